// The FPS overlay's font in the Windows build: the first installed family of the overlay's list,
// bold, rendered once through the system's font renderer into the same coverage bitmaps the
// FreeType build makes. After loading no font object is kept.
#include <cstring>
#include <new>

#include "platform/system_font.h"
#include "present/overlay_font.h"

namespace mora {

namespace {

bool Fail(PresentFailure* failure, const char* step, uint32_t code) {
    if (failure != nullptr) *failure = PresentFailure{step, code};
    return false;
}

// The step names the trace shows for the platform's failures.
const char* OverlayStep(const char* platformStep) {
    if (std::strcmp(platformStep, "GetGlyphOutlineW") == 0) return "GetGlyphOutlineW(FPS overlay)";
    if (std::strcmp(platformStep, "CreateFontW") == 0) return "CreateFontW(FPS overlay)";
    return "CreateCompatibleDC(FPS overlay)";
}

struct FontHold {
    platform::SystemFont* font = nullptr;
    ~FontHold() { platform::CloseSystemFont(font); }
};

}  // namespace

int OverlayGlyphSlot(char c) {
    if (c == '\0') return -1;
    const char* found = std::strchr(kOverlayCharacters, c);
    return found != nullptr ? static_cast<int>(found - kOverlayCharacters) : -1;
}

bool LoadOverlayFont(OverlayFont& font, int32_t pixelSize, PresentFailure* failure) {
    font.loaded = false;
    const char* family = platform::InstalledFontFamily(platform::kOverlayFontFamilies);
    if (family == nullptr) return Fail(failure, "EnumFontFamiliesExW(FPS overlay)", kFailureUnspecified);
    platform::SystemFontFailure systemFailure;
    FontHold hold{platform::OpenBoldSystemFont(family, pixelSize, &systemFailure)};
    if (hold.font == nullptr) return Fail(failure, OverlayStep(systemFailure.step), systemFailure.code);

    font = OverlayFont{};
    try {
        for (int slot = 0; slot < kOverlayGlyphCount; ++slot) {
            platform::SystemGlyph rendered;
            const auto offset = static_cast<uint32_t>(font.coverage.size());
            if (!platform::RenderSystemGlyph(hold.font, kOverlayCharacters[slot], rendered, font.coverage,
                                             &systemFailure)) {
                return Fail(failure, OverlayStep(systemFailure.step), systemFailure.code);
            }
            font.glyph[slot] =
                OverlayGlyph{offset, rendered.width, rendered.height, rendered.left, rendered.top, rendered.advance};
        }
    } catch (const std::bad_alloc&) {
        return Fail(failure, "GetGlyphOutlineW(FPS overlay)", kFailureOutOfMemory);
    }
    for (int left = 0; left < kOverlayGlyphCount; ++left) {
        for (int right = 0; right < kOverlayGlyphCount; ++right) {
            font.kerning[left][right] =
                platform::SystemFontKerning(hold.font, kOverlayCharacters[left], kOverlayCharacters[right]);
        }
    }
    const platform::SystemFontMetrics metrics = platform::SystemFontLineMetrics(hold.font);
    font.ascender = metrics.ascender;
    font.lineHeight = metrics.lineHeight;
    font.pixelSize = pixelSize;
    font.loaded = true;
    return true;
}

}  // namespace mora
