// The post-process colour parameters: the five DriverSettings values (integers x 100, hue in
// degrees) clamped and converted to the 32-byte PostProcessConstants record that the colour pass
// reads. DxgiPresent rebuilds them from the settings on every present, so panel changes show on
// the next frame.
#pragma once

#include <cstddef>
#include <cstdint>

#include "panel/driver_settings.h"

namespace mora {

// Constant-buffer layout: 32-bit floats at these byte offsets.
struct PostProcessConstants {
    float gamma = 1.0f;       // exponent per channel (neutral 1)
    float hueRadians = 0.0f;  // hue rotation in YIQ space (neutral 0)
    float saturation = 1.0f;  // factor around Rec. 709 luma (neutral 1)
    float brightness = 1.0f;  // multiplier before the clamp (neutral 1)
    float videoRange = 0.0f;  // blend from full range (0) to video range (1)
    float _pad[3] = {0.0f, 0.0f, 0.0f};
};
static_assert(sizeof(PostProcessConstants) == 32);
static_assert(offsetof(PostProcessConstants, gamma) == 0);
static_assert(offsetof(PostProcessConstants, hueRadians) == 4);
static_assert(offsetof(PostProcessConstants, saturation) == 8);
static_assert(offsetof(PostProcessConstants, brightness) == 12);
static_assert(offsetof(PostProcessConstants, videoRange) == 16);
static_assert(offsetof(PostProcessConstants, _pad) == 20);

// Clamps every field of `settings` into its post-process range (gamma 10..300, hue -180..180,
// saturation and brightness 0..300, video range 0..100; these are wider than the loader's
// ranges and apply to whatever the record holds) and converts it.
PostProcessConstants PostProcessConstantsFrom(const DriverSettings& settings);

// The constants of the process-wide settings.
void BuildPostProcessConstants(PostProcessConstants* out);

// True when the colour pass leaves every colour as it is (gamma 1, hue 0, saturation 1,
// brightness 1, video range 0).
bool IsNeutral(const PostProcessConstants& constants);

}  // namespace mora
