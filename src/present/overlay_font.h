// The FPS overlay's font: the few characters the overlay text uses, rendered once as 8-bit
// coverage bitmaps from a bold sans font (found through fontconfig, DejaVu Sans Bold as the last
// resort) with FreeType. After loading no font library state is kept; drawing only blends the
// stored bitmaps.
#pragma once

#include <cstdint>
#include <vector>

#include "present/present_target.h"

namespace mora {

// Every character "%d x %d\nFPS %d\nCPU %d%%" can produce.
inline constexpr char kOverlayCharacters[] = " %-0123456789CFPSUx";
inline constexpr int kOverlayGlyphCount = sizeof(kOverlayCharacters) - 1;

struct OverlayGlyph {
    uint32_t offset = 0;  // first coverage byte in OverlayFont::coverage
    int32_t width = 0;    // bitmap size in pixels
    int32_t height = 0;
    int32_t left = 0;     // bitmap left edge relative to the pen position
    int32_t top = 0;      // bitmap top edge above the baseline
    int32_t advance = 0;  // pen advance in 1/64 pixel
};

struct OverlayFont {
    bool loaded = false;
    int32_t pixelSize = 0;
    int32_t ascender = 0;    // baseline of the first line below the layout top, pixels
    int32_t lineHeight = 0;  // baseline to baseline, pixels
    OverlayGlyph glyph[kOverlayGlyphCount];
    int32_t kerning[kOverlayGlyphCount][kOverlayGlyphCount] = {};  // 1/64 pixel, left x right
    std::vector<uint8_t> coverage;
};

// Glyph slot of an overlay character, or -1.
int OverlayGlyphSlot(char c);

// Finds the font and renders the glyphs at `pixelSize` pixels per em. On failure the font stays
// unloaded and `failure` names the step ("FcFontMatch(FPS overlay)", "FT_Init_FreeType(FPS
// overlay)", "FT_New_Face(FPS overlay)", "FT_Set_Pixel_Sizes(FPS overlay)", "FT_Load_Char(FPS
// overlay)") with the FreeType error code (or E_OUTOFMEMORY / E_FAIL).
bool LoadOverlayFont(OverlayFont& font, int32_t pixelSize, PresentFailure* failure);

}  // namespace mora
