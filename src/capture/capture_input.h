// The bytes a capture reader walks: an open file or a block of memory, read at a position with
// the same seek and short-read behaviour for both. The capture reader uses it; the memory form
// lets tests and the fuzzer feed bytes without a file.
#pragma once

#include <cstdint>
#include <span>

#include "platform/file.h"

namespace mora::capture {

struct CaptureInput {
    platform::File file;  // used when memory is null
    const uint8_t* memory = nullptr;
    uint64_t size = 0;  // total bytes (the file's size when opened)
    uint64_t position = 0;
};

// Opens `path` for reading; false when it cannot be opened.
bool OpenCaptureInput(CaptureInput& input, const char* path);
void OpenCaptureInput(CaptureInput& input, std::span<const uint8_t> bytes);
void CloseCaptureInput(CaptureInput& input);

// Moves to an absolute offset. As with a file, a position past the end is allowed (reads there
// return nothing); only an offset beyond the signed 64-bit range fails.
bool SeekCaptureInput(CaptureInput& input, uint64_t offset);

// Bytes left between the position and the end (0 past the end).
uint64_t CaptureInputRemaining(const CaptureInput& input);

// Reads exactly `count` bytes into `out`; false on a short read. A count larger than what is
// left fails before anything is read, so callers may size their buffers after this check.
bool ReadCaptureInput(CaptureInput& input, void* out, uint64_t count);

}  // namespace mora::capture
