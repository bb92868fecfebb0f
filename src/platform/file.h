// Unbuffered files for diagnostics and captures: open, read, write, seek,
// close, and whole-file replacement by writing a temporary file and renaming it
// over the target, so a reader never sees a half-written file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mora::platform {

enum class FileMode : std::uint8_t {
    Read,           // existing file, read only
    WriteTruncate,  // create or truncate, write only
    Append,         // create if missing, every write goes to the end
    ReadWrite,      // create if missing, no truncation
};

struct File {
    int descriptor = -1;
};

// FileMode::Read opens only a regular file, and never waits (a FIFO or a device is refused).
bool OpenFile(File& file, const char* path, FileMode mode);
bool IsOpen(const File& file);
// Writes all `size` bytes; false on any short or failed write.
bool WriteFile(File& file, const void* data, std::size_t size);
// Reads up to `size` bytes; returns the count read (0 at end), -1 on error.
std::int64_t ReadFile(File& file, void* data, std::size_t size);
// Moves to an absolute offset; false on failure.
bool SeekFile(File& file, std::uint64_t offset);
// Current offset, or -1 on error.
std::int64_t FileOffset(const File& file);
// Size of the open file, or -1 on error.
std::int64_t OpenFileSize(const File& file);
// Pushes written data to the storage device.
bool SyncFile(File& file);
void CloseFile(File& file);

// Writes data to "<path>.tmp<thread id>", syncs it and renames it over path.
// On failure the old file is untouched and the temporary file removed.
bool ReplaceFileAtomically(const char* path, const void* data, std::size_t size);

// Size of a file by path, or -1 when it does not exist.
std::int64_t FileSize(const char* path);
bool FileExists(const char* path);
bool RemoveFile(const char* path);

// Reads the whole file into `contents`; false when it cannot be read or holds more than
// maxBytes (then at most maxBytes + 1 bytes were read).
bool ReadWholeFile(const char* path, std::string& contents, std::size_t maxBytes = SIZE_MAX);

// Process current directory (relative diagnostic files land there).
std::string CurrentDirectory();
bool ChangeDirectory(const char* path);
// Creates one directory (its parent must exist); true when it now exists.
bool CreateDirectory(const char* path);
// Creates a fresh, empty directory under the system temporary directory whose
// name starts with `prefix`; returns its path, or "" on failure.
std::string CreateTemporaryDirectory(const char* prefix);
// Removes a directory and everything below it; false if anything remains.
bool RemoveDirectoryTree(const char* path);

}  // namespace mora::platform
