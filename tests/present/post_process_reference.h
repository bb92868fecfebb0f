// The post-process pixel shader written out step by step in single precision (YIQ hue rotation,
// Rec. 709 saturation, brightness with clamp, gamma through exp2/log2, video range 16..235 with
// clamp):
// the reference the folded-matrix, table-driven colour pass is checked against.
#pragma once

#include <cmath>
#include <cstdint>

#include "present/post_process.h"

namespace mora::test {

struct Rgb {
    float r, g, b;
};

inline float Saturate(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

inline Rgb ReferencePostProcess(Rgb c, const PostProcessConstants& k) {
    const float y = 0.299f * c.r + 0.587f * c.g + 0.114f * c.b;
    const float i = 0.595716f * c.r - 0.274453f * c.g - 0.321263f * c.b;
    const float q = 0.211456f * c.r - 0.522591f * c.g + 0.311135f * c.b;
    const float s = std::sin(k.hueRadians);
    const float co = std::cos(k.hueRadians);
    const float i2 = i * co - q * s;
    const float q2 = i * s + q * co;
    Rgb v{y + 0.9563f * i2 + 0.621f * q2, y - 0.2721f * i2 - 0.6474f * q2, y - 1.107f * i2 + 1.7046f * q2};
    const float luma = 0.2126f * v.r + 0.7152f * v.g + 0.0722f * v.b;
    v = Rgb{luma + k.saturation * (v.r - luma), luma + k.saturation * (v.g - luma), luma + k.saturation * (v.b - luma)};
    v = Rgb{Saturate(v.r * k.brightness), Saturate(v.g * k.brightness), Saturate(v.b * k.brightness)};
    const float exponent = std::fmax(k.gamma, 0.01f);
    auto curve = [&](float x) { return x > 0.0f ? std::exp2(std::log2(x) * exponent) : 0.0f; };
    v = Rgb{curve(v.r), curve(v.g), curve(v.b)};
    auto video = [&](float x) { return Saturate(x + k.videoRange * (x * 0.85882353f + 0.0627451f - x)); };
    return Rgb{video(v.r), video(v.g), video(v.b)};
}

inline uint32_t ToByte(float v) { return static_cast<uint32_t>(Saturate(v) * 255.0f + 0.5f); }

// One 0xAARRGGBB pixel through the reference; alpha passes through.
inline uint32_t ReferencePixel(uint32_t pixel, const PostProcessConstants& k) {
    const Rgb in{static_cast<float>((pixel >> 16) & 0xFF) / 255.0f, static_cast<float>((pixel >> 8) & 0xFF) / 255.0f,
                 static_cast<float>(pixel & 0xFF) / 255.0f};
    const Rgb out = ReferencePostProcess(in, k);
    return (pixel & 0xFF000000u) | ToByte(out.r) << 16 | ToByte(out.g) << 8 | ToByte(out.b);
}

// Largest difference of the four channels of two pixels.
inline int ChannelDistance(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int d = std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
        worst = d > worst ? d : worst;
    }
    return worst;
}

}  // namespace mora::test
