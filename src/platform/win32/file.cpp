// Files on Windows: the C runtime's descriptors (binary mode, no inheritance) over UTF-8 paths, and
// whole-file replacement by writing "<path>.tmp<thread id>", flushing it and moving it over the
// target with MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
#include "platform/file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/thread.h"
#include "platform/win32/wide_text.h"

#undef CreateDirectory  // windows.h maps the name to CreateDirectoryW

namespace mora::platform {

namespace {

bool Attributes(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data) {
    return path != nullptr && GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, data) != 0;
}

}  // namespace

bool OpenFile(File& file, const char* path, FileMode mode) {
    file.descriptor = -1;
    if (path == nullptr) return false;
    int flags = _O_BINARY | _O_NOINHERIT;
    switch (mode) {
        case FileMode::Read: flags |= _O_RDONLY; break;
        case FileMode::WriteTruncate: flags |= _O_WRONLY | _O_CREAT | _O_TRUNC; break;
        case FileMode::Append: flags |= _O_WRONLY | _O_CREAT | _O_APPEND; break;
        case FileMode::ReadWrite: flags |= _O_RDWR | _O_CREAT; break;
    }
    file.descriptor = _wopen(Wide(path).c_str(), flags, _S_IREAD | _S_IWRITE);
    return file.descriptor >= 0;
}

bool IsOpen(const File& file) { return file.descriptor >= 0; }

bool WriteFile(File& file, const void* data, std::size_t size) {
    if (file.descriptor < 0 || (size != 0 && data == nullptr)) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
        const int written = _write(file.descriptor, bytes, chunk);
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

std::int64_t ReadFile(File& file, void* data, std::size_t size) {
    if (file.descriptor < 0 || (size != 0 && data == nullptr)) return -1;
    const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
    return _read(file.descriptor, data, chunk);
}

bool SeekFile(File& file, std::uint64_t offset) {
    if (file.descriptor < 0 || offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
    return _lseeki64(file.descriptor, static_cast<__int64>(offset), SEEK_SET) >= 0;
}

std::int64_t FileOffset(const File& file) {
    if (file.descriptor < 0) return -1;
    return _lseeki64(file.descriptor, 0, SEEK_CUR);
}

std::int64_t OpenFileSize(const File& file) {
    if (file.descriptor < 0) return -1;
    return _filelengthi64(file.descriptor);
}

bool SyncFile(File& file) { return file.descriptor >= 0 && _commit(file.descriptor) == 0; }

void CloseFile(File& file) {
    if (file.descriptor >= 0) _close(file.descriptor);
    file.descriptor = -1;
}

bool ReplaceFileAtomically(const char* path, const void* data, std::size_t size) {
    if (path == nullptr) return false;
    char suffix[32];
    std::snprintf(suffix, sizeof(suffix), ".tmp%u", static_cast<unsigned>(CurrentThreadId()));
    const std::string temporary = std::string(path) + suffix;
    File file;
    if (!OpenFile(file, temporary.c_str(), FileMode::WriteTruncate)) return false;
    bool ok = WriteFile(file, data, size);
    ok = SyncFile(file) && ok;
    CloseFile(file);
    const std::wstring from = Wide(temporary.c_str());
    if (ok && MoveFileExW(from.c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileW(from.c_str());
    return false;
}

std::int64_t FileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!Attributes(path, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return -1;
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool FileExists(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return Attributes(path, &data);
}

bool RemoveFile(const char* path) { return path != nullptr && DeleteFileW(Wide(path).c_str()) != 0; }

bool ReadWholeFile(const char* path, std::string& contents, std::size_t maxBytes) {
    contents.clear();
    File file;
    if (!OpenFile(file, path, FileMode::Read)) return false;
    // Only a disk file: a pipe or a device could block or never end.
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.descriptor));
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK) {
        CloseFile(file);
        return false;
    }
    char chunk[65536];
    bool ok = true;
    for (;;) {
        const std::int64_t got = ReadFile(file, chunk, sizeof(chunk));
        if (got < 0) {
            ok = false;
            break;
        }
        if (got == 0) break;
        contents.append(chunk, static_cast<std::size_t>(got));
        if (contents.size() > maxBytes) {  // whatever the size said: read no further than the limit
            ok = false;
            break;
        }
    }
    CloseFile(file);
    return ok;
}

std::string CurrentDirectory() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0) return {};
    std::wstring path(length, L'\0');
    if (GetCurrentDirectoryW(length, path.data()) == 0) return {};
    return Narrow(path.c_str());
}

bool ChangeDirectory(const char* path) { return path != nullptr && SetCurrentDirectoryW(Wide(path).c_str()) != 0; }

bool CreateDirectory(const char* path) {
    if (path == nullptr) return false;
    if (CreateDirectoryW(Wide(path).c_str(), nullptr)) return true;
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetLastError() == ERROR_ALREADY_EXISTS && Attributes(path, &data) &&
           (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string CreateTemporaryDirectory(const char* prefix) {
    wchar_t base[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, base);
    if (length == 0 || length > MAX_PATH) return {};
    const std::string root = Narrow(base) + (prefix != nullptr ? prefix : "mora");
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof(suffix), "%08lx%02u", GetTickCount() ^ GetCurrentProcessId(), attempt);
        const std::string path = root + suffix;
        if (CreateDirectoryW(Wide(path.c_str()).c_str(), nullptr)) return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

bool RemoveDirectoryTree(const char* path) {
    if (path == nullptr) return false;
    const std::wstring wide = Wide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return DeleteFileW(wide.c_str()) != 0;
    bool ok = true;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((wide + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (std::wcscmp(entry.cFileName, L".") == 0 || std::wcscmp(entry.cFileName, L"..") == 0) continue;
            const std::string child = std::string(path) + "\\" + Narrow(entry.cFileName);
            ok = RemoveDirectoryTree(child.c_str()) && ok;
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    return RemoveDirectoryW(wide.c_str()) != 0 && ok;
}

}  // namespace mora::platform
