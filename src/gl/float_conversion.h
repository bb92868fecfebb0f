// Defined float conversions for GL arguments: float to integer truncation (glTexEnvf,
// glTexParameterf, the environment-mode float of glTexEnvfv) and double to float narrowing
// (glOrtho, glFrustum, glDepthRange, glClearDepth), with results fixed for NaN and overflow.
#pragma once

#include <cstdint>
#include <limits>

namespace mora {

// Truncates toward zero. NaN gives 0; values at or beyond the i32 range saturate to
// INT32_MIN / INT32_MAX (a plain cast would be undefined there).
constexpr int32_t TruncateToInt32(float value) {
    if (!(value == value)) {
        return 0;
    }
    if (value >= 2147483648.0f) {
        return std::numeric_limits<int32_t>::max();
    }
    if (value < -2147483648.0f) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(value);
}

// Narrows a double to the nearest float; magnitudes beyond the float range become infinities
// (as IEEE rounding does) rather than undefined behaviour. NaN stays NaN.
constexpr float NarrowToFloat(double value) {
    constexpr double kMax = static_cast<double>(std::numeric_limits<float>::max());
    if (value > kMax) {
        // Values that still round to FLT_MAX stay finite.
        return value < kMax + 0x1p103 ? std::numeric_limits<float>::max() : std::numeric_limits<float>::infinity();
    }
    if (value < -kMax) {
        return value > -kMax - 0x1p103 ? -std::numeric_limits<float>::max() : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

}  // namespace mora
