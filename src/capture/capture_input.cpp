// Positioned reads over a capture file or a memory block.
#include "capture/capture_input.h"

#include <cstring>

namespace mora::capture {

bool OpenCaptureInput(CaptureInput& input, const char* path) {
    input = CaptureInput{};
    if (!platform::OpenFile(input.file, path, platform::FileMode::Read)) return false;
    const int64_t size = platform::OpenFileSize(input.file);
    input.size = size < 0 ? 0 : static_cast<uint64_t>(size);
    return true;
}

void OpenCaptureInput(CaptureInput& input, std::span<const uint8_t> bytes) {
    input = CaptureInput{};
    input.memory = bytes.data();
    input.size = bytes.size();
}

void CloseCaptureInput(CaptureInput& input) {
    platform::CloseFile(input.file);
    input = CaptureInput{};
}

bool SeekCaptureInput(CaptureInput& input, uint64_t offset) {
    if (offset > static_cast<uint64_t>(INT64_MAX)) return false;
    if (input.memory == nullptr && !platform::SeekFile(input.file, offset)) return false;
    input.position = offset;
    return true;
}

uint64_t CaptureInputRemaining(const CaptureInput& input) {
    return input.position >= input.size ? 0 : input.size - input.position;
}

bool ReadCaptureInput(CaptureInput& input, void* out, uint64_t count) {
    if (count == 0) return true;
    if (count > CaptureInputRemaining(input)) return false;
    if (input.memory != nullptr) {
        std::memcpy(out, input.memory + input.position, count);
        input.position += count;
        return true;
    }
    auto* bytes = static_cast<uint8_t*>(out);
    uint64_t done = 0;
    while (done < count) {
        const int64_t got = platform::ReadFile(input.file, bytes + done, count - done);
        if (got <= 0) {
            input.position += done;
            return false;
        }
        done += static_cast<uint64_t>(got);
    }
    input.position += count;
    return true;
}

}  // namespace mora::capture
