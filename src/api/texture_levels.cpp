// Texture level queries and proxy uploads.
#include "api/texture_levels.h"

#include <unordered_map>

#include "entry/entry_frame.h"
#include "gl/gl_enums.h"

namespace mora::api {

namespace {

constexpr uint32_t kTextureWidth = 0x1000;
constexpr uint32_t kTextureHeight = 0x1001;
constexpr uint32_t kTextureInternalFormat = 0x1003;  // also GL_TEXTURE_COMPONENTS
constexpr uint32_t kTextureBorder = 0x1005;
constexpr uint32_t kTextureRedSize = 0x805C;
constexpr uint32_t kTextureGreenSize = 0x805D;
constexpr uint32_t kTextureBlueSize = 0x805E;
constexpr uint32_t kTextureAlphaSize = 0x805F;
constexpr uint32_t kTextureLuminanceSize = 0x8060;
constexpr uint32_t kTextureIntensitySize = 0x8061;
constexpr int32_t kRgba = 0x1908;
constexpr int32_t kMaxProxyLevel = 10;  // kMaxTextureSize >> 10 == 1

// The components a GL 1.1 internal format keeps, as bits; 0 for anything else.
enum Component : uint32_t { kRed = 1, kGreen = 2, kBlue = 4, kAlpha = 8, kLuminance = 16, kIntensity = 32 };
constexpr uint32_t kRgb = kRed | kGreen | kBlue;

uint32_t ComponentsOf(int32_t internalformat) {
    switch (internalformat) {
        case 1:
        case 0x1909:
        case 0x803F:
        case 0x8040:
        case 0x8041:
        case 0x8042:  // L, L4..L16
            return kLuminance;
        case 2:
        case 0x190A:
        case 0x8043:
        case 0x8044:
        case 0x8045:
        case 0x8046:
        case 0x8047:
        case 0x8048: return kLuminance | kAlpha;  // LA, L4A4..L16A16
        case 0x1906:
        case 0x803B:
        case 0x803C:
        case 0x803D:
        case 0x803E:  // A, A4..A16
            return kAlpha;
        case 0x8049:
        case 0x804A:
        case 0x804B:
        case 0x804C:
        case 0x804D:  // I, I4..I16
            return kIntensity;
        case 3:
        case 0x1907:
        case 0x2A10:
        case 0x804F:
        case 0x8050:
        case 0x8051:
        case 0x8052:
        case 0x8053:
        case 0x8054: return kRgb;  // RGB, R3_G3_B2, RGB4..RGB16
        case 4:
        case 0x1908:
        case 0x8055:
        case 0x8056:
        case 0x8057:
        case 0x8058:
        case 0x8059:
        case 0x805A:
        case 0x805B: return kRgb | kAlpha;  // RGBA, RGBA2..RGBA16
        default: return 0;
    }
}

struct Level {
    int32_t width = 0;
    int32_t height = 0;
    int32_t internalFormat = 0;
};

Level gProxyLevels[kMaxProxyLevel + 1];
// The internal format asked for, by texture name (absent: never asked). Kept by name rather than
// in a table indexed by it, so that a far-out name costs one entry. Never destroyed: programs
// upload from their static destructors.
std::unordered_map<uint32_t, int32_t>& InternalFormats() {
    static auto* const formats = new std::unordered_map<uint32_t, int32_t>;
    return *formats;
}

// Texels are stored as 8 bits per component whatever was asked for.
int32_t ComponentSize(int32_t internalFormat, uint32_t component) {
    return (ComponentsOf(internalFormat) & component) != 0 ? 8 : 0;
}

Level BoundLevel(int32_t level) {
    const GlContext& ctx = mora::TheGlContext();
    const uint32_t name = ctx.boundTexture;
    if (name >= ctx.textureTable.size()) return {};
    const TextureSlot& slot = ctx.textureTable[name];
    if (slot.hasImage == 0 || level < 0 || level >= slot.levelCount || level >= kMaxTextureLevels) return {};
    const auto found = InternalFormats().find(name);
    const int32_t asked = found != InternalFormats().end() ? found->second : 0;
    return {slot.levelWidth[level], slot.levelHeight[level], asked != 0 ? asked : kRgba};
}

}  // namespace

void SetProxyLevel(int32_t level, int32_t internalformat, int32_t width, int32_t height, int32_t border) {
    if (level < 0 || level > kMaxProxyLevel) return;
    const int32_t limit = kMaxTextureSize >> level;
    const bool fits = width >= 1 && height >= 1 && width <= limit && height <= limit && border == 0 &&
                      ComponentsOf(internalformat) != 0;
    gProxyLevels[level] = fits ? Level{width, height, internalformat} : Level{};
}

void NoteInternalFormat(uint32_t name, int32_t internalformat) {
    if (ComponentsOf(internalformat) == 0) internalformat = 0;
    if (internalformat == 0) {
        InternalFormats().erase(name);
    } else {
        InternalFormats()[name] = internalformat;
    }
}

bool TexLevelParameter(uint32_t target, int32_t level, uint32_t pname, int32_t& value) {
    Level answer;
    if (target == gle::kTexture2D) {
        answer = BoundLevel(level);
    } else if (target == kProxyTexture2D) {
        if (level >= 0 && level <= kMaxProxyLevel) answer = gProxyLevels[level];
    } else {
        return false;
    }
    const int32_t format = answer.internalFormat;
    switch (pname) {
        case kTextureWidth: value = answer.width; return true;
        case kTextureHeight: value = answer.height; return true;
        case kTextureInternalFormat: value = format; return true;
        case kTextureBorder: value = 0; return true;
        case kTextureRedSize: value = ComponentSize(format, kRed); return true;
        case kTextureGreenSize: value = ComponentSize(format, kGreen); return true;
        case kTextureBlueSize: value = ComponentSize(format, kBlue); return true;
        case kTextureAlphaSize: value = ComponentSize(format, kAlpha); return true;
        case kTextureLuminanceSize: value = ComponentSize(format, kLuminance); return true;
        case kTextureIntensitySize: value = ComponentSize(format, kIntensity); return true;
        default: return false;
    }
}

void ResetTextureLevels() {
    for (Level& level : gProxyLevels) level = {};
    InternalFormats().clear();
}

}  // namespace mora::api
