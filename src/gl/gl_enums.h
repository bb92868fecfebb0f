// GL enumerant values the GL-state code compares against or stores as defaults.
// Values, not names from a system header: the driver is the GL implementation itself.
#pragma once

#include <cstdint>

namespace mora::gle {

// Capabilities (glEnable, glDisable, glIsEnabled).
inline constexpr uint32_t kCullFace = 0x0B44;
inline constexpr uint32_t kDepthTest = 0x0B71;
inline constexpr uint32_t kAlphaTest = 0x0BC0;
inline constexpr uint32_t kBlend = 0x0BE2;
inline constexpr uint32_t kTexture2D = 0x0DE1;
inline constexpr uint32_t kScissorTest = 0x0C11;

// Query names (glGetFloatv).
inline constexpr uint32_t kDepthRange = 0x0B70;
inline constexpr uint32_t kViewport = 0x0BA2;
inline constexpr uint32_t kModelviewMatrix = 0x0BA6;
inline constexpr uint32_t kProjectionMatrix = 0x0BA7;
inline constexpr uint32_t kTextureMatrix = 0x0BA8;

// Matrix modes.
inline constexpr uint32_t kModelview = 0x1700;
inline constexpr uint32_t kProjection = 0x1701;
inline constexpr uint32_t kTexture = 0x1702;

// Clear mask bits.
inline constexpr uint32_t kColorBufferBit = 0x4000;
inline constexpr uint32_t kDepthBufferBit = 0x0100;

// Defaults of the context.
inline constexpr uint32_t kZero = 0;
inline constexpr uint32_t kOne = 1;
inline constexpr uint32_t kAlways = 0x0207;
inline constexpr uint32_t kLess = 0x0201;
inline constexpr uint32_t kModulate = 0x2100;
inline constexpr uint32_t kBack = 0x0405;
inline constexpr uint32_t kFrontFaceDefault = 0x0901;  // the default front face value (clockwise)

// Texture environment.
inline constexpr uint32_t kTextureEnv = 0x2300;
inline constexpr uint32_t kTextureEnvMode = 0x2200;
inline constexpr uint32_t kTextureEnvColor = 0x2201;

// Texture parameters and their defaults.
inline constexpr uint32_t kTextureMagFilter = 0x2800;
inline constexpr uint32_t kTextureMinFilter = 0x2801;
inline constexpr uint32_t kTextureWrapS = 0x2802;
inline constexpr uint32_t kTextureWrapT = 0x2803;
inline constexpr uint32_t kRepeat = 0x2901;
inline constexpr uint32_t kLinear = 0x2601;
inline constexpr uint32_t kLinearMipmapLinear = 0x2703;

// Pixel formats and the one accepted pixel type.
inline constexpr uint32_t kAlpha = 0x1906;
inline constexpr uint32_t kRgb = 0x1907;
inline constexpr uint32_t kRgba = 0x1908;
inline constexpr uint32_t kLuminance = 0x1909;
inline constexpr uint32_t kBgrExt = 0x80E0;
inline constexpr uint32_t kBgraExt = 0x80E1;
inline constexpr uint32_t kUnsignedByte = 0x1401;

// Primitive modes.
inline constexpr uint32_t kPoints = 0;
inline constexpr uint32_t kLines = 1;
inline constexpr uint32_t kLineLoop = 2;
inline constexpr uint32_t kLineStrip = 3;
inline constexpr uint32_t kTriangles = 4;
inline constexpr uint32_t kTriangleStrip = 5;
inline constexpr uint32_t kTriangleFan = 6;
inline constexpr uint32_t kQuads = 7;
inline constexpr uint32_t kQuadStrip = 8;
inline constexpr uint32_t kPolygon = 9;

// glShadeModel.
inline constexpr uint32_t kFlat = 0x1D00;

}  // namespace mora::gle
