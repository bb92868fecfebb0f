// Text the driver draws itself (the FPS overlay) rendered by the system's font renderer on
// Windows (GDI): a bold font of the first installed family of a list of wishes, its glyphs as 8-bit
// coverage bitmaps. Windows builds only; elsewhere the overlay renders with FreeType.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace mora::platform {

struct SystemFontFailure {
    const char* step = "";
    std::uint32_t code = 0;  // GetLastError(), or the GDI_ERROR of the failed call
};

// The FPS overlay's font families in order of preference, for both of its renderers (GDI and
// DirectWrite): the first one installed is used. A Wine prefix has none of the Windows fonts, only
// what the host's fontconfig offers.
inline constexpr const char* kOverlayFontFamilies[] = {"Bahnschrift", "Segoe UI",        "Arial",
                                                       "Tahoma",      "Liberation Sans", "DejaVu Sans"};

// The first of `families` that this system has installed, or null when it has none of them. A
// family that is missing would otherwise be replaced silently by whatever the system picks (on a
// Wine prefix without Windows fonts, possibly no usable glyphs at all).
const char* InstalledFontFamily(std::span<const char* const> families);

struct SystemFont;  // opaque: the font and the memory device context it is selected into

// Opens `family` in bold at `pixelSize` pixels per em. Null on failure, with the step.
SystemFont* OpenBoldSystemFont(const char* family, std::int32_t pixelSize, SystemFontFailure* failure);
void CloseSystemFont(SystemFont* font);

struct SystemFontMetrics {
    std::int32_t ascender = 0;    // pixels above the baseline
    std::int32_t lineHeight = 0;  // baseline to baseline, pixels
};
SystemFontMetrics SystemFontLineMetrics(SystemFont* font);

struct SystemGlyph {
    std::int32_t width = 0;  // bitmap size in pixels (0 x 0 for a blank glyph such as the space)
    std::int32_t height = 0;
    std::int32_t left = 0;     // bitmap left edge relative to the pen position
    std::int32_t top = 0;      // bitmap top edge above the baseline
    std::int32_t advance = 0;  // pen advance in 1/64 pixel
};

// Renders character `c` antialiased and appends its width x height coverage bytes (0..255, rows
// top first, no padding) to `coverage`. False on failure, with the step.
bool RenderSystemGlyph(SystemFont* font, char c, SystemGlyph& glyph, std::vector<std::uint8_t>& coverage,
                       SystemFontFailure* failure);

// Kerning of the pair `left` then `right` in 1/64 pixel (0 when the font has none for it).
std::int32_t SystemFontKerning(SystemFont* font, char left, char right);

}  // namespace mora::platform
