// GLX tokens the driver understands (values from the GLX 1.4 and extension specifications), kept
// apart from the entry declarations so that files without Xlib can use them.
#pragma once

namespace mora::glx {

// Tokens (values from the GLX 1.4 and extension specifications).
enum : int {
    kUseGl = 1,
    kBufferSize = 2,
    kLevel = 3,
    kRgba = 4,
    kDoubleBuffer = 5,
    kStereo = 6,
    kAuxBuffers = 7,
    kRedSize = 8,
    kGreenSize = 9,
    kBlueSize = 10,
    kAlphaSize = 11,
    kDepthSize = 12,
    kStencilSize = 13,
    kAccumRedSize = 14,
    kAccumGreenSize = 15,
    kAccumBlueSize = 16,
    kAccumAlphaSize = 17,
    kConfigCaveat = 0x20,
    kXVisualType = 0x22,
    kTransparentType = 0x23,
    kTransparentIndexValue = 0x24,
    kTransparentRedValue = 0x25,
    kTransparentGreenValue = 0x26,
    kTransparentBlueValue = 0x27,
    kTransparentAlphaValue = 0x28,
    kNone = 0x8000,
    kTrueColor = 0x8002,
    kVisualId = 0x800B,
    kScreen = 0x800C,
    kDrawableType = 0x8010,
    kRenderType = 0x8011,
    kXRenderable = 0x8012,
    kFbConfigId = 0x8013,
    kRgbaType = 0x8014,
    kMaxPbufferWidth = 0x8016,
    kMaxPbufferHeight = 0x8017,
    kMaxPbufferPixels = 0x8018,
    kPreservedContents = 0x801B,
    kLargestPbuffer = 0x801C,
    kWidth = 0x801D,
    kHeight = 0x801E,
    kSampleBuffers = 100000,
    kSamples = 100001,
    kWindowBit = 1,
    kRgbaBit = 1,
    kVendor = 1,
    kVersion = 2,
    kExtensions = 3,
    kFramebufferSrgbCapable = 0x20B2,
    kSwapInterval = 0x20F1,
    kMaxSwapInterval = 0x20F2,
    kContextMajorVersion = 0x2091,
    kContextMinorVersion = 0x2092,
    kContextFlags = 0x2094,
    kContextProfileMask = 0x9126,
    kContextCoreProfileBit = 1,
    kContextCompatibilityProfileBit = 2,
    kContextDebugBit = 1,
    kContextForwardCompatibleBit = 2,
    kContextRobustAccessBit = 4,
};
inline constexpr int kDontCare = -1;  // GLX_DONT_CARE, 0xFFFFFFFF

// Return codes of glXGetConfig, glXGetFBConfigAttrib and glXQueryContext.
enum : int { kSuccess = 0, kBadScreen = 1, kBadAttribute = 2, kNoExtension = 3, kBadVisual = 4, kBadContext = 5 };

}  // namespace mora::glx
