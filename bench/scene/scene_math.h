// Small vector helpers and the deterministic random generator of the synthetic scene. Everything
// the scene draws derives from a seed and a frame number through these, so two renderers (and two
// runs) receive exactly the same calls.
#pragma once

#include <cmath>
#include <cstdint>

namespace mora::scene {

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
inline Vec3 Normalize(Vec3 a) {
    const float length = Length(a);
    return length > 0.0f ? a * (1.0f / length) : Vec3{0.0f, 0.0f, 0.0f};
}
inline Vec3 Lerp(Vec3 a, Vec3 b, float t) { return a + (b - a) * t; }

inline float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }
// A 0..1 float as a byte, rounded to nearest.
inline uint8_t UnitToByte(float v) { return static_cast<uint8_t>(Clamp01(v) * 255.0f + 0.5f); }

inline constexpr float kPi = 3.14159265358979f;

// SplitMix64: a small, well-mixed generator whose sequence is the same on every platform (the
// standard library's distributions are not).
struct Rng {
    uint64_t state = 0;
};

inline uint64_t NextU64(Rng& rng) {
    uint64_t z = (rng.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
// Uniform in [0, 1), 24 bits.
inline float NextUnit(Rng& rng) { return static_cast<float>(NextU64(rng) >> 40) * (1.0f / 16777216.0f); }
inline float NextRange(Rng& rng, float lo, float hi) { return lo + (hi - lo) * NextUnit(rng); }
// Uniform integer in [0, n); n >= 1.
inline uint32_t NextBelow(Rng& rng, uint32_t n) { return static_cast<uint32_t>(NextU64(rng) % n); }

// A generator for one purpose: the scene seed mixed with a stream number, so that adding draws to
// one part of the scene does not shift the random numbers of another.
inline Rng StreamRng(uint64_t seed, uint64_t stream) {
    Rng rng{seed * 0x100000001B3ull + stream * 0xC2B2AE3D27D4EB4Full};
    NextU64(rng);
    return rng;
}

}  // namespace mora::scene
