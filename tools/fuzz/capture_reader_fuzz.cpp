// libFuzzer target for the capture reader: any bytes must be refused with a message or loaded
// with texture tables that stay inside their texel storage. Build with clang:
//   clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -Isrc tools/fuzz/capture_reader_fuzz.cpp \
//     src/capture/capture_reader.cpp src/capture/capture_input.cpp src/capture/capture_format.cpp \
//     src/capture/crc32.cpp src/platform/file.cpp src/platform/thread.cpp -o capture_reader_fuzz
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "capture/capture_format.h"
#include "capture/capture_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mora::CaptureData capture;
    if (!mora::ReadCaptureFromMemory(std::span<const uint8_t>(data, size), capture)) {
        if (mora::LastCaptureReadError()[0] == '\0') std::abort();  // a refusal always names its reason
        return 0;
    }
    for (const mora::TextureSlot& slot : capture.textures) {
        if (!mora::TextureTablesInsideStorage(slot)) std::abort();
    }
    if (capture.frameStreams.size() != capture.frameBlobs.size() ||
        capture.frameStreams.size() != capture.frameReferencePixels.size()) {
        std::abort();
    }
    return 0;
}
