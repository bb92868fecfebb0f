// The post-process colour pass on the CPU: stretches the rendered image to the output size with
// linear filtering and edge clamping, then applies hue rotation, saturation, brightness, gamma and
// video range. PresentSwapChain runs it every frame from the staging buffer into the output image.
//
// Cost model: equal sizes with neutral settings are a row copy. Otherwise hue, saturation,
// brightness and the 1/255 scale fold into one 3x3 matrix, and gamma and video range into one
// table over the clamped channel value, indexed by the top bits of its float encoding: exponent
// and 9 mantissa bits, so the relative step is 1/512 everywhere in [2^-32, 1]. The table (16 KiB)
// stays in the first-level cache. Values below 2^-32 use the entry of 0: they differ from 0 by
// less than half an output step for every gamma of at least 0.3 (the settings allow 0.5 and up).
#pragma once

#include <cstdint>
#include <vector>

#include "present/image_view.h"
#include "present/post_process.h"

namespace mora {

// Tone table index of a channel value t clamped to [2^-32, 1]: (bits(t) - bits(2^-32)) >> 14.
inline constexpr uint32_t kToneIndexShift = 14;
inline constexpr uint32_t kToneFloorBits = 0x2F800000u;                                               // 2^-32
inline constexpr uint32_t kToneOneBits = 0x3F800000u;                                                 // 1.0
inline constexpr uint32_t kToneTableSize = ((kToneOneBits - kToneFloorBits) >> kToneIndexShift) + 1;  // 1.0 is last

struct ColourPass {
    // Colour tables for `tableConstants`; rebuilt when the constants change.
    PostProcessConstants tableConstants;
    bool tablesValid = false;
    bool neutral = true;
    float matrix[9] = {};       // output R, G, B rows over input R, G, B bytes (0..255)
    std::vector<uint8_t> tone;  // kToneTableSize output bytes

    // Filter taps for the current sizes; rebuilt when a size changes.
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
    int32_t targetWidth = 0;
    int32_t targetHeight = 0;
    std::vector<int32_t> column0;  // per output column: float index (x 4) of the left and right texel
    std::vector<int32_t> column1;
    std::vector<float> columnWeight;
    std::vector<int32_t> row0;  // per output row: the upper and lower source row
    std::vector<int32_t> row1;
    std::vector<float> rowWeight;

    // Work space, sized by PrepareColourPass so that a frame allocates nothing.
    std::vector<float> sourceRow;       // sourceWidth x 4 channels after the vertical pass
    std::vector<float> spanChannels;    // filtered B, G, R, A of one span of an output row
    std::vector<uint32_t> spanIndices;  // R, G, B tone index planes of one span
};

// Output pixels per span of the row loops: the span buffers (7 KiB) and the tone table fit the
// first-level cache together.
inline constexpr int32_t kColourSpan = 256;

// Prepares the taps and work space for a source -> target size pair (each 1..16384). Does nothing
// when the sizes are the prepared ones. False when a size is out of range or memory runs out.
bool PrepareColourPass(ColourPass& pass, int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth,
                       int32_t targetHeight);

// Where the source texel coordinate of output pixel `index` falls: the two texels (clamped to
// 0..sourceSize-1) and the weight of the second, as the sampler computes them for the pixel
// centre (index + 0.5) / targetSize.
struct FilterTap {
    int32_t first = 0;
    int32_t second = 0;
    float weight = 0.0f;
};
FilterTap LinearFilterTap(int32_t index, int32_t sourceSize, int32_t targetSize);

// Converts source into target with `constants`. The sizes must be the prepared ones (else
// false, target untouched). Allocates nothing; changed constants rebuild the tables in place.
bool RunColourPass(ColourPass& pass, const PostProcessConstants& constants, const ImageView& source,
                   const ImageView& target);

}  // namespace mora
