#include "image_compare.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace mora::scene {

namespace {

int Channel(uint32_t argb, int shift) { return static_cast<int>((argb >> shift) & 0xFFu); }

}  // namespace

ImageDifference CompareImages(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int width, int height) {
    ImageDifference result;
    const uint64_t count = width > 0 && height > 0 ? static_cast<uint64_t>(width) * static_cast<uint64_t>(height) : 0;
    result.pixelCount = count;
    if (count == 0 || a.size() != count || b.size() != count) {
        result.maxChannelDifference = 255;
        result.shareOver8 = 1.0;
        return result;
    }
    double squaredSum = 0.0;
    for (uint64_t i = 0; i < count; ++i) {
        int largest = 0;
        for (const int shift : {16, 8, 0}) {
            const int d = std::abs(Channel(a[i], shift) - Channel(b[i], shift));
            squaredSum += static_cast<double>(d) * static_cast<double>(d);
            largest = std::max(largest, d);
        }
        if (largest > kDifferenceLevel) ++result.pixelsOver8;
        if (largest > result.maxChannelDifference) {
            result.maxChannelDifference = largest;
            result.worstX = static_cast<int>(i % static_cast<uint64_t>(width));
            result.worstY = static_cast<int>(i / static_cast<uint64_t>(width));
            result.worstA = a[i];
            result.worstB = b[i];
        }
    }
    const double meanSquared = squaredSum / (3.0 * static_cast<double>(count));
    result.psnr =
        meanSquared > 0.0 ? 10.0 * std::log10(255.0 * 255.0 / meanSquared) : std::numeric_limits<double>::infinity();
    result.shareOver8 = static_cast<double>(result.pixelsOver8) / static_cast<double>(count);
    return result;
}

std::string DescribeDifference(const ImageDifference& difference) {
    if (difference.pixelCount > 0 && difference.maxChannelDifference == 0) return "identical";
    char text[200];
    std::snprintf(text, sizeof text, "max %d, PSNR %.2f dB, %.3f%% over %d (worst at %d,%d: 0x%08X vs 0x%08X)",
                  difference.maxChannelDifference, difference.psnr, difference.shareOver8 * 100.0, kDifferenceLevel,
                  difference.worstX, difference.worstY, difference.worstA, difference.worstB);
    return text;
}

std::vector<uint32_t> DifferenceImage(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    std::vector<uint32_t> out(std::min(a.size(), b.size()));
    for (std::size_t i = 0; i < out.size(); ++i) {
        uint32_t word = 0xFF000000u;
        for (const int shift : {16, 8, 0}) {
            const int d = std::min(255, 4 * std::abs(Channel(a[i], shift) - Channel(b[i], shift)));
            word |= static_cast<uint32_t>(d) << shift;
        }
        out[i] = word;
    }
    return out;
}

}  // namespace mora::scene
