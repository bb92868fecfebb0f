#include "platform/file.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/thread.h"

namespace mora::platform {

bool OpenFile(File& file, const char* path, FileMode mode) {
    file.descriptor = -1;
    if (path == nullptr) return false;
    int flags = O_CLOEXEC;
    switch (mode) {
        // Without blocking: opening a FIFO for reading would otherwise wait for a writer.
        case FileMode::Read: flags |= O_RDONLY | O_NONBLOCK; break;
        case FileMode::WriteTruncate: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
        case FileMode::Append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
        case FileMode::ReadWrite: flags |= O_RDWR | O_CREAT; break;
    }
    int fd;
    do {
        fd = open(path, flags, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0 && mode == FileMode::Read) {
        // Only regular files are read: a device or a FIFO has no size and may never end or answer.
        struct stat info {};
        if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
            close(fd);
            fd = -1;
        }
    }
    file.descriptor = fd;
    return fd >= 0;
}

bool IsOpen(const File& file) { return file.descriptor >= 0; }

bool WriteFile(File& file, const void* data, std::size_t size) {
    if (file.descriptor < 0) return false;
    if (size != 0 && data == nullptr) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t written = write(file.descriptor, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

std::int64_t ReadFile(File& file, void* data, std::size_t size) {
    if (file.descriptor < 0 || (size != 0 && data == nullptr)) return -1;
    ssize_t got;
    do {
        got = read(file.descriptor, data, size);
    } while (got < 0 && errno == EINTR);
    return got;
}

bool SeekFile(File& file, std::uint64_t offset) {
    if (file.descriptor < 0 || offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
    return lseek(file.descriptor, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

std::int64_t FileOffset(const File& file) {
    if (file.descriptor < 0) return -1;
    return lseek(file.descriptor, 0, SEEK_CUR);
}

std::int64_t OpenFileSize(const File& file) {
    struct stat info {};
    if (file.descriptor < 0 || fstat(file.descriptor, &info) != 0) return -1;
    return info.st_size;
}

bool SyncFile(File& file) { return file.descriptor >= 0 && fsync(file.descriptor) == 0; }

void CloseFile(File& file) {
    if (file.descriptor >= 0) close(file.descriptor);
    file.descriptor = -1;
}

bool ReplaceFileAtomically(const char* path, const void* data, std::size_t size) {
    if (path == nullptr) return false;
    char suffix[32];
    std::snprintf(suffix, sizeof(suffix), ".tmp%u", CurrentThreadId());
    const std::string temporary = std::string(path) + suffix;
    File file;
    if (!OpenFile(file, temporary.c_str(), FileMode::WriteTruncate)) return false;
    bool ok = WriteFile(file, data, size);
    ok = SyncFile(file) && ok;
    CloseFile(file);
    if (ok && rename(temporary.c_str(), path) == 0) return true;
    unlink(temporary.c_str());
    return false;
}

std::int64_t FileSize(const char* path) {
    struct stat info {};
    if (path == nullptr || stat(path, &info) != 0) return -1;
    return info.st_size;
}

bool FileExists(const char* path) {
    struct stat info {};
    return path != nullptr && stat(path, &info) == 0;
}

bool RemoveFile(const char* path) { return path != nullptr && unlink(path) == 0; }

bool ReadWholeFile(const char* path, std::string& contents, std::size_t maxBytes) {
    contents.clear();
    File file;
    if (!OpenFile(file, path, FileMode::Read)) return false;
    char chunk[65536];
    bool ok = true;
    // The limit holds whatever the file's size said at open: a file may grow while it is read.
    for (;;) {
        const std::size_t room = maxBytes - contents.size();
        const std::int64_t got = ReadFile(file, chunk, room < sizeof(chunk) ? room + 1 : sizeof(chunk));
        if (got < 0 || static_cast<std::size_t>(got) > room) {
            ok = false;
            break;
        }
        if (got == 0) break;
        contents.append(chunk, static_cast<std::size_t>(got));
    }
    CloseFile(file);
    return ok;
}

std::string CurrentDirectory() {
    std::string path(256, '\0');
    for (;;) {
        if (getcwd(path.data(), path.size()) != nullptr) {
            path.resize(std::strlen(path.c_str()));
            return path;
        }
        if (errno != ERANGE) return {};
        path.resize(path.size() * 2);
    }
}

bool ChangeDirectory(const char* path) { return path != nullptr && chdir(path) == 0; }

bool CreateDirectory(const char* path) {
    if (path == nullptr) return false;
    if (mkdir(path, 0755) == 0) return true;
    struct stat info {};
    return errno == EEXIST && stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

std::string CreateTemporaryDirectory(const char* prefix) {
    const char* base = getenv("TMPDIR");
    std::string pattern = (base != nullptr && base[0] != '\0') ? base : "/tmp";
    pattern += '/';
    pattern += prefix != nullptr ? prefix : "mora";
    pattern += "XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return {};
    return pattern;
}

bool RemoveDirectoryTree(const char* path) {
    if (path == nullptr) return false;
    struct stat info {};
    if (lstat(path, &info) != 0) return false;
    if (!S_ISDIR(info.st_mode)) return unlink(path) == 0;
    DIR* directory = opendir(path);
    if (directory == nullptr) return false;
    bool ok = true;
    while (dirent* entry = readdir(directory)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        const std::string child = std::string(path) + "/" + entry->d_name;
        ok = RemoveDirectoryTree(child.c_str()) && ok;
    }
    closedir(directory);
    return rmdir(path) == 0 && ok;
}

}  // namespace mora::platform
