// Comparison of a replayed frame with the reference pixels captured when it was first rendered:
// largest channel difference, number of differing pixels and PSNR. mora-replay's --compare uses
// it once per frame.
#pragma once

#include <cstdint>
#include <span>

namespace mora::replay {

struct FrameDifference {
    bool sizeMismatch = false;         // the two images do not have the same byte count
    int32_t maxChannelDifference = 0;  // 0..255 over the B, G, R and A bytes
    uint64_t differingPixels = 0;      // pixels with any byte different
    uint64_t pixelCount = 0;
    double psnr = 0.0;  // dB over all four channels; +infinity when identical
};

// Compares two BGRA images of the same layout byte for byte (a trailing partial pixel counts as
// a pixel). Images of different byte counts give sizeMismatch and nothing else.
FrameDifference CompareBgra(std::span<const uint8_t> actual, std::span<const uint8_t> reference);

// True when the difference lies within `tolerance` (the largest accepted channel difference).
bool WithinTolerance(const FrameDifference& difference, int32_t tolerance);

}  // namespace mora::replay
