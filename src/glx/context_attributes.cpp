// The verdict on a glXCreateContextAttribsARB request.
#include "glx/context_attributes.h"

#include "glx/glx_tokens.h"

namespace mora::glx {

namespace {

constexpr int kColourIndexType = 0x8015;
constexpr int kEs2ProfileBit = 4;
// Robust access is not offered, so its flag is as unknown as any other.
constexpr int kKnownFlags = kContextDebugBit | kContextForwardCompatibleBit;

// The OpenGL versions that exist: the highest minor version of each major version.
bool VersionExists(int major, int minor) {
    constexpr int kLastMinor[] = {-1, 5, 1, 3, 6};
    return major >= 1 && major <= 4 && minor >= 0 && minor <= kLastMinor[major];
}
constexpr int kKnownProfilesMask = kContextCoreProfileBit | kContextCompatibilityProfileBit | kEs2ProfileBit;

}  // namespace

AttributeVerdict CheckContextAttributes(const int* attributes) {
    int major = 1;
    int minor = 0;
    int flags = 0;
    int profile = kContextCoreProfileBit;
    int renderType = kRgbaType;
    for (const int* a = attributes; a != nullptr && a[0] != 0; a += 2) {
        switch (a[0]) {
            case kContextMajorVersion: major = a[1]; break;
            case kContextMinorVersion: minor = a[1]; break;
            case kContextFlags: flags = a[1]; break;
            case kContextProfileMask: profile = a[1]; break;
            case kRenderType: renderType = a[1]; break;
            default: return AttributeVerdict::Undefined;
        }
    }
    if ((flags & ~kKnownFlags) != 0) return AttributeVerdict::Undefined;
    if (renderType == kColourIndexType) return AttributeVerdict::Mismatch;
    if (renderType != kRgbaType) return AttributeVerdict::Undefined;
    // The profile matters from OpenGL 3.2 on, but a mask that names no valid profile, several, or
    // the ES profile (never offered) is refused whatever the version.
    const bool oneProfile = profile != 0 && (profile & (profile - 1)) == 0;
    if ((profile & ~kKnownProfilesMask) != 0 || !oneProfile || profile == kEs2ProfileBit)
        return AttributeVerdict::UnknownProfile;
    // A version that does not exist, or forward compatibility before 3.0, is a bad match; an
    // existing version beyond 1.1 is one this configuration cannot give.
    if (!VersionExists(major, minor)) return AttributeVerdict::Mismatch;
    if ((flags & kContextForwardCompatibleBit) != 0 && major < 3) return AttributeVerdict::Mismatch;
    if (major != 1 || minor > 1) return AttributeVerdict::Unsupported;
    return AttributeVerdict::Accept;
}

}  // namespace mora::glx
