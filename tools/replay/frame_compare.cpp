// Per-frame image difference for --compare.
#include "frame_compare.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace mora::replay {

FrameDifference CompareBgra(std::span<const uint8_t> actual, std::span<const uint8_t> reference) {
    FrameDifference result;
    if (actual.size() != reference.size()) {
        result.sizeMismatch = true;
        return result;
    }
    uint64_t squaredSum = 0;
    const std::size_t count = actual.size();
    for (std::size_t pixel = 0; pixel < count; pixel += 4) {
        bool differs = false;
        for (std::size_t byte = pixel; byte < pixel + 4 && byte < count; ++byte) {
            const int32_t delta = std::abs(static_cast<int32_t>(actual[byte]) - static_cast<int32_t>(reference[byte]));
            if (delta == 0) continue;
            differs = true;
            squaredSum += static_cast<uint64_t>(delta * delta);
            if (delta > result.maxChannelDifference) result.maxChannelDifference = delta;
        }
        if (differs) ++result.differingPixels;
        ++result.pixelCount;
    }
    if (squaredSum == 0) {
        result.psnr = std::numeric_limits<double>::infinity();
    } else {
        const double meanSquared = static_cast<double>(squaredSum) / static_cast<double>(count);
        result.psnr = 10.0 * std::log10(255.0 * 255.0 / meanSquared);
    }
    return result;
}

bool WithinTolerance(const FrameDifference& difference, int32_t tolerance) {
    return !difference.sizeMismatch && difference.maxChannelDifference <= tolerance;
}

}  // namespace mora::replay
