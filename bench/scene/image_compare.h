// Agreement between two renderings of the same frame: per pixel the largest difference of the
// red, green and blue channels (alpha is not shown and not compared), and over the image the PSNR
// and the share of pixels whose largest difference exceeds 8 levels. Used by the comparison tests
// and by the scene benchmark's image check.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mora::scene {

inline constexpr int kDifferenceLevel = 8;  // a pixel "differs" above this many levels

struct ImageDifference {
    int maxChannelDifference = 0;  // largest over all pixels and RGB channels, 0..255
    double psnr = 0.0;             // dB over the RGB channels; infinity for identical images
    double shareOver8 = 0.0;       // fraction of pixels whose largest difference is above 8
    uint64_t pixelsOver8 = 0;
    uint64_t pixelCount = 0;
    int worstX = 0;  // a pixel with the largest difference (first in row order)
    int worstY = 0;
    uint32_t worstA = 0;
    uint32_t worstB = 0;
};

// a and b: width x height 0xAARRGGBB words each, same layout. Empty or mismatched sizes give a
// difference with maxChannelDifference 255, psnr 0 and share 1.
ImageDifference CompareImages(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int width, int height);

// One line for test messages and reports, e.g. "max 12, PSNR 41.3 dB, 0.21% over 8 (worst at 3,7:
// 0xFF102030 vs 0xFF1A2030)".
std::string DescribeDifference(const ImageDifference& difference);

// A picture of where the images differ: each channel's absolute difference times 4, opaque.
std::vector<uint32_t> DifferenceImage(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b);

}  // namespace mora::scene
