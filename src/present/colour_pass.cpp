// Colour pass: filter taps, the folded colour matrix and tone table, and the row loops. The row
// loops are plain loops over contiguous arrays so that the compiler vectorises them; only the
// tone-table lookups stay scalar.
#include "present/colour_pass.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <new>
#include <type_traits>

#include "present/staging_ring.h"

namespace mora {

namespace {

// YIQ forward and inverse transforms and the Rec. 709 luma weights of the post-process.
constexpr double kToYiq[3][3] = {
    {0.299, 0.587, 0.114}, {0.595716, -0.274453, -0.321263}, {0.211456, -0.522591, 0.311135}};
constexpr double kFromYiq[3][3] = {{1.0, 0.9563, 0.621}, {1.0, -0.2721, -0.6474}, {1.0, -1.107, 1.7046}};
constexpr double kLuma709[3] = {0.2126, 0.7152, 0.0722};

// Video range: limited = full x 219/255 + 16/255, so black becomes 16 and white 235 (the studio
// range of 8-bit video). A scale of 224/255 would put white at 240, outside that range.
constexpr float kVideoScale = 0.85882353f;
constexpr float kVideoOffset = 0.0627451f;

using Matrix3 = double[3][3];

void Multiply(const Matrix3& a, const Matrix3& b, Matrix3& out) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) out[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
    }
}

// Hue rotation, saturation, brightness and the byte scale as one matrix over R, G, B bytes.
void BuildColourMatrix(const PostProcessConstants& constants, float out[9]) {
    const double angle = constants.hueRadians;
    const double s = std::sin(angle);
    const double k = std::cos(angle);
    const Matrix3 rotate = {{1.0, 0.0, 0.0}, {0.0, k, -s}, {0.0, s, k}};
    const double sat = constants.saturation;
    Matrix3 saturate;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) saturate[r][c] = (r == c ? sat : 0.0) + (1.0 - sat) * kLuma709[c];
    }
    Matrix3 hue, toRgb, full;
    Multiply(rotate, kToYiq, hue);
    Multiply(kFromYiq, hue, toRgb);
    Multiply(saturate, toRgb, full);
    const double scale = static_cast<double>(constants.brightness) / 255.0;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) out[r * 3 + c] = static_cast<float>(full[r][c] * scale);
    }
}

// Gamma and video range of one clamped channel value, then the output byte, in the single
// precision of the pixel shader.
uint8_t ToneByte(float t, const PostProcessConstants& constants) {
    const float exponent = constants.gamma > 0.01f ? constants.gamma : 0.01f;
    const float curved = t > 0.0f ? std::exp2(std::log2(t) * exponent) : 0.0f;
    const float limited = curved * kVideoScale + kVideoOffset;
    float v = curved + constants.videoRange * (limited - curved);
    v = v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
    return static_cast<uint8_t>(v * 255.0f + 0.5f);
}

// Entry 0 is exact 0 (black stays exactly at its video level), the last entry exact 1, every
// other entry the middle of its bucket's float range.
void BuildToneTable(const PostProcessConstants& constants, uint8_t* tone) {
    tone[0] = ToneByte(0.0f, constants);
    for (uint32_t i = 1; i + 1 < kToneTableSize; ++i) {
        const float t = std::bit_cast<float>(kToneFloorBits + (i << kToneIndexShift) + (1u << (kToneIndexShift - 1)));
        tone[i] = ToneByte(t, constants);
    }
    tone[kToneTableSize - 1] = ToneByte(1.0f, constants);
}

constexpr float kToneFloor = 0x1p-32f;
static_assert(std::bit_cast<uint32_t>(kToneFloor) == kToneFloorBits);

// Values above 1 and NaN take 1, values below the floor (negative ones included) take the floor,
// so the index is always in the table. Written as min then max so that each is one instruction.
inline uint32_t ToneIndex(float v) {
    const float upper = v < 1.0f ? v : 1.0f;
    const float t = upper > kToneFloor ? upper : kToneFloor;
    return (std::bit_cast<uint32_t>(t) - kToneFloorBits) >> kToneIndexShift;
}

// Through int32: the signed conversion is one instruction, the unsigned one is not.
inline uint32_t RoundToByte(float v) { return static_cast<uint32_t>(static_cast<int32_t>(v + 0.5f)); }

inline float Channel(uint32_t pixel, int shift) {
    return static_cast<float>(static_cast<int32_t>((pixel >> shift) & 0xFFu));
}

// Each row loop is built twice, for AVX2 and for the baseline instruction set, and the loader
// picks one per processor (GCC function multi-versioning); the loops themselves stay plain C++.
// ThreadSanitizer's runtime is not ready when the loader runs the version resolvers, so a
// ThreadSanitizer build keeps the baseline loop only; Windows executables have no loader-resolved
// functions (ifunc), so the Windows build does too.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(__SANITIZE_THREAD__) && !defined(_WIN32)
#define MORA_ROW_LOOP [[gnu::target_clones("avx2", "default")]]
#else
#define MORA_ROW_LOOP
#endif

// The row loops work on spans of a row so that every loop reads and writes short contiguous
// arrays that stay in the first-level cache next to the tone table.
struct SpanBuffers {
    float* channels;     // filtered B, G, R, A of each pixel, interleaved
    uint32_t* redIndex;  // tone indices, one plane per output channel
    uint32_t* greenIndex;
    uint32_t* blueIndex;
};

SpanBuffers Spans(ColourPass& pass) {
    uint32_t* i = pass.spanIndices.data();
    return SpanBuffers{pass.spanChannels.data(), i, i + kColourSpan, i + 2 * kColourSpan};
}

// Two source rows blended with the vertical weight into float channels (B, G, R, A as in memory).
MORA_ROW_LOOP void BlendRows(const uint8_t* __restrict upper, const uint8_t* __restrict lower, float weight,
                             int32_t count, float* __restrict out) {
    for (int32_t i = 0; i < count; ++i) {
        const float a = upper[i];
        const float b = lower[i];
        out[i] = a + weight * (b - a);
    }
}

// Horizontal taps of `count` output pixels; the four channels of a pixel are one vector operation.
MORA_ROW_LOOP void SampleColumns(const float* __restrict in, const int32_t* __restrict first,
                                 const int32_t* __restrict second, const float* __restrict weight, int32_t count,
                                 float* __restrict out) {
    for (int32_t x = 0; x < count; ++x) {
        const float* p0 = in + first[x];
        const float* p1 = in + second[x];
        const float w = weight[x];
        for (int c = 0; c < 4; ++c) out[x * 4 + c] = p0[c] + w * (p1[c] - p0[c]);
    }
}

MORA_ROW_LOOP void PackRounded(const float* __restrict in, int32_t count, uint32_t* __restrict out) {
    for (int32_t x = 0; x < count; ++x) {
        out[x] = RoundToByte(in[x * 4]) | RoundToByte(in[x * 4 + 1]) << 8 | RoundToByte(in[x * 4 + 2]) << 16 |
                 RoundToByte(in[x * 4 + 3]) << 24;
    }
}

// Matrix and clamp to tone indices, from pixel words (equal sizes) or filtered channels.
template <typename Source>
MORA_ROW_LOOP void MatrixToIndices(const Source* __restrict in, int32_t count, const float* matrix,
                                   const SpanBuffers& spans) {
    const float m0 = matrix[0], m1 = matrix[1], m2 = matrix[2];
    const float m3 = matrix[3], m4 = matrix[4], m5 = matrix[5];
    const float m6 = matrix[6], m7 = matrix[7], m8 = matrix[8];
    uint32_t* __restrict redIndex = spans.redIndex;
    uint32_t* __restrict greenIndex = spans.greenIndex;
    uint32_t* __restrict blueIndex = spans.blueIndex;
    for (int32_t x = 0; x < count; ++x) {
        float b, g, r;
        if constexpr (std::is_same_v<Source, uint32_t>) {
            b = Channel(in[x], 0);
            g = Channel(in[x], 8);
            r = Channel(in[x], 16);
        } else {
            b = in[x * 4];
            g = in[x * 4 + 1];
            r = in[x * 4 + 2];
        }
        redIndex[x] = ToneIndex(m0 * r + m1 * g + m2 * b);
        greenIndex[x] = ToneIndex(m3 * r + m4 * g + m5 * b);
        blueIndex[x] = ToneIndex(m6 * r + m7 * g + m8 * b);
    }
}

// Tone lookups; alpha from the source words (equal sizes) or the filtered channels.
template <typename Source>
MORA_ROW_LOOP void PackToned(const Source* __restrict in, const SpanBuffers& spans, const uint8_t* __restrict tone,
                             int32_t count, uint32_t* __restrict out) {
    const uint32_t* __restrict redIndex = spans.redIndex;
    const uint32_t* __restrict greenIndex = spans.greenIndex;
    const uint32_t* __restrict blueIndex = spans.blueIndex;
    for (int32_t x = 0; x < count; ++x) {
        uint32_t alpha;
        if constexpr (std::is_same_v<Source, uint32_t>) {
            alpha = in[x] >> 24;
        } else {
            alpha = RoundToByte(in[x * 4 + 3]);
        }
        out[x] =
            alpha << 24 | uint32_t{tone[redIndex[x]]} << 16 | uint32_t{tone[greenIndex[x]]} << 8 | tone[blueIndex[x]];
    }
}

const uint8_t* SourceRow(const ImageView& image, int32_t y) {
    return image.pixels + static_cast<uint64_t>(y) * image.rowPitch;
}

template <typename T>
bool ResizeVector(std::vector<T>& v, std::size_t size) {
    try {
        v.resize(size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace

FilterTap LinearFilterTap(int32_t index, int32_t sourceSize, int32_t targetSize) {
    if (sourceSize == targetSize) return FilterTap{index, index, 0.0f};  // texel centres exactly
    const float u = (static_cast<float>(index) + 0.5f) / static_cast<float>(targetSize);
    const float texel = u * static_cast<float>(sourceSize) - 0.5f;
    const float base = std::floor(texel);
    FilterTap tap;
    tap.weight = texel - base;
    tap.first = static_cast<int32_t>(base);
    tap.second = tap.first + 1;
    const int32_t last = sourceSize - 1;
    tap.first = tap.first < 0 ? 0 : (tap.first > last ? last : tap.first);
    tap.second = tap.second < 0 ? 0 : (tap.second > last ? last : tap.second);
    return tap;
}

bool PrepareColourPass(ColourPass& pass, int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth,
                       int32_t targetHeight) {
    for (const int32_t extent : {sourceWidth, sourceHeight, targetWidth, targetHeight}) {
        if (extent < 1 || extent > kMaxStagingExtent) return false;
    }
    if (pass.sourceWidth == sourceWidth && pass.sourceHeight == sourceHeight && pass.targetWidth == targetWidth &&
        pass.targetHeight == targetHeight && pass.tone.size() == kToneTableSize) {
        return true;
    }
    pass.sourceWidth = pass.sourceHeight = pass.targetWidth = pass.targetHeight = 0;
    const auto tw = static_cast<std::size_t>(targetWidth);
    const auto th = static_cast<std::size_t>(targetHeight);
    if (!ResizeVector(pass.tone, kToneTableSize) || !ResizeVector(pass.column0, tw) ||
        !ResizeVector(pass.column1, tw) || !ResizeVector(pass.columnWeight, tw) || !ResizeVector(pass.row0, th) ||
        !ResizeVector(pass.row1, th) || !ResizeVector(pass.rowWeight, th) ||
        !ResizeVector(pass.sourceRow, static_cast<std::size_t>(sourceWidth) * 4u) ||
        !ResizeVector(pass.spanChannels, static_cast<std::size_t>(kColourSpan) * 4u) ||
        !ResizeVector(pass.spanIndices, static_cast<std::size_t>(kColourSpan) * 3u)) {
        return false;
    }
    for (int32_t x = 0; x < targetWidth; ++x) {
        const FilterTap tap = LinearFilterTap(x, sourceWidth, targetWidth);
        pass.column0[static_cast<std::size_t>(x)] = tap.first * 4;
        pass.column1[static_cast<std::size_t>(x)] = tap.second * 4;
        pass.columnWeight[static_cast<std::size_t>(x)] = tap.weight;
    }
    for (int32_t y = 0; y < targetHeight; ++y) {
        const FilterTap tap = LinearFilterTap(y, sourceHeight, targetHeight);
        pass.row0[static_cast<std::size_t>(y)] = tap.first;
        pass.row1[static_cast<std::size_t>(y)] = tap.second;
        pass.rowWeight[static_cast<std::size_t>(y)] = tap.weight;
    }
    pass.sourceWidth = sourceWidth;
    pass.sourceHeight = sourceHeight;
    pass.targetWidth = targetWidth;
    pass.targetHeight = targetHeight;
    return true;
}

bool RunColourPass(ColourPass& pass, const PostProcessConstants& constants, const ImageView& source,
                   const ImageView& target) {
    if (!IsUsable(source) || !IsUsable(target) || source.width != pass.sourceWidth ||
        source.height != pass.sourceHeight || target.width != pass.targetWidth || target.height != pass.targetHeight ||
        pass.tone.size() != kToneTableSize) {
        return false;
    }
    if (!pass.tablesValid || std::memcmp(&pass.tableConstants, &constants, sizeof(constants)) != 0) {
        pass.tableConstants = constants;
        pass.neutral = IsNeutral(constants);
        BuildColourMatrix(constants, pass.matrix);
        BuildToneTable(constants, pass.tone.data());
        pass.tablesValid = true;
    }

    const int32_t width = target.width;
    const bool sameSize = source.width == target.width && source.height == target.height;
    if (sameSize && pass.neutral) {
        const auto rowBytes = static_cast<std::size_t>(width) * 4u;
        for (int32_t y = 0; y < target.height; ++y) std::memcpy(ImageRow(target, y), SourceRow(source, y), rowBytes);
        return true;
    }

    const SpanBuffers spans = Spans(pass);
    float* sourceRow = pass.sourceRow.data();
    for (int32_t y = 0; y < target.height; ++y) {
        uint32_t* out = ImageRow(target, y);
        if (sameSize) {
            const auto* in = reinterpret_cast<const uint32_t*>(SourceRow(source, y));
            for (int32_t start = 0; start < width; start += kColourSpan) {
                const int32_t count = width - start < kColourSpan ? width - start : kColourSpan;
                MatrixToIndices(in + start, count, pass.matrix, spans);
                PackToned(in + start, spans, pass.tone.data(), count, out + start);
            }
            continue;
        }
        const auto sy = static_cast<std::size_t>(y);
        BlendRows(SourceRow(source, pass.row0[sy]), SourceRow(source, pass.row1[sy]), pass.rowWeight[sy],
                  source.width * 4, sourceRow);
        for (int32_t start = 0; start < width; start += kColourSpan) {
            const int32_t count = width - start < kColourSpan ? width - start : kColourSpan;
            const auto column = static_cast<std::size_t>(start);
            SampleColumns(sourceRow, pass.column0.data() + column, pass.column1.data() + column,
                          pass.columnWeight.data() + column, count, spans.channels);
            if (pass.neutral) {
                PackRounded(spans.channels, count, out + start);
            } else {
                MatrixToIndices(spans.channels, count, pass.matrix, spans);
                PackToned(spans.channels, spans, pass.tone.data(), count, out + start);
            }
        }
    }
    return true;
}

}  // namespace mora
