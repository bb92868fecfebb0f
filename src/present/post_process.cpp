// Settings to PostProcessConstants.
#include "present/post_process.h"

namespace mora {

namespace {

// Single-precision scale factors of the conversion.
constexpr float kHundredth = 0.01f;
constexpr float kRadiansPerDegree = 0.017453292f;

// The unsigned fields are read as unsigned values: a negative word is a huge number and takes
// the upper bound, as an unsigned clamp does.
float ClampedUnsigned(const SettingWord& field, uint32_t low, uint32_t high) {
    uint32_t value = static_cast<uint32_t>(SettingValue(field));
    if (value < low) value = low;
    if (value > high) value = high;
    return static_cast<float>(value);
}

}  // namespace

PostProcessConstants PostProcessConstantsFrom(const DriverSettings& settings) {
    PostProcessConstants constants;
    constants.gamma = ClampedUnsigned(settings.GammaX100, 10, 300) * kHundredth;
    int32_t hue = SettingValue(settings.HueDeg);
    hue = hue < -180 ? -180 : (hue > 180 ? 180 : hue);
    constants.hueRadians = static_cast<float>(hue) * kRadiansPerDegree;
    constants.saturation = ClampedUnsigned(settings.SaturationX100, 0, 300) * kHundredth;
    constants.brightness = ClampedUnsigned(settings.BrightnessX100, 0, 300) * kHundredth;
    constants.videoRange = ClampedUnsigned(settings.VideoRangeX100, 0, 100) * kHundredth;
    return constants;
}

void BuildPostProcessConstants(PostProcessConstants* out) {
    if (out != nullptr) *out = PostProcessConstantsFrom(TheDriverSettings());
}

bool IsNeutral(const PostProcessConstants& constants) {
    return constants.gamma == 1.0f && constants.hueRadians == 0.0f && constants.saturation == 1.0f &&
           constants.brightness == 1.0f && constants.videoRange == 0.0f;
}

}  // namespace mora
