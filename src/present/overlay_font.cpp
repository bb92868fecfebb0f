// Font lookup through fontconfig and glyph rendering through FreeType for the FPS overlay.
#include "present/overlay_font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <cstring>
#include <new>
#include <string>

namespace mora {

namespace {

// Used when fontconfig matches nothing or its match cannot be opened.
constexpr char kFallbackFontFile[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

struct FontFile {
    std::string path;
    int index = 0;
};

// Bold sans-serif as fontconfig resolves it for this system; false when it knows no font.
bool MatchBoldSans(FontFile& file) {
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr) return false;
    bool found = false;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:weight=bold"));
    if (pattern != nullptr) {
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pattern, &result);
        FcChar8* path = nullptr;
        if (match != nullptr && result == FcResultMatch &&
            FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr) {
            file.path = reinterpret_cast<const char*>(path);
            if (FcPatternGetInteger(match, FC_INDEX, 0, &file.index) != FcResultMatch) file.index = 0;
            found = true;
        }
        if (match != nullptr) FcPatternDestroy(match);
        FcPatternDestroy(pattern);
    }
    FcConfigDestroy(config);
    return found;
}

bool Fail(PresentFailure* failure, const char* step, uint32_t code) {
    if (failure != nullptr) *failure = PresentFailure{step, code};
    return false;
}

// Owns the FreeType library and face for the duration of one load.
struct FreeTypeSession {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeSession() {
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }
};

bool RenderGlyphs(FT_Face face, OverlayFont& font, PresentFailure* failure) {
    // A face without a bold style is emboldened the way FreeType's synthetic bold does it.
    const bool embolden = (face->style_flags & FT_STYLE_FLAG_BOLD) == 0;
    font.coverage.clear();
    for (int slot = 0; slot < kOverlayGlyphCount; ++slot) {
        const FT_Error error = FT_Load_Char(face, static_cast<unsigned char>(kOverlayCharacters[slot]),
                                            FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP);
        if (error != 0) return Fail(failure, "FT_Load_Char(FPS overlay)", static_cast<uint32_t>(error));
        FT_GlyphSlot glyphSlot = face->glyph;
        if (embolden) FT_GlyphSlot_Embolden(glyphSlot);
        const FT_Error renderError = FT_Render_Glyph(glyphSlot, FT_RENDER_MODE_NORMAL);
        if (renderError != 0) return Fail(failure, "FT_Load_Char(FPS overlay)", static_cast<uint32_t>(renderError));

        const FT_Bitmap& bitmap = glyphSlot->bitmap;
        OverlayGlyph& glyph = font.glyph[slot];
        glyph.offset = static_cast<uint32_t>(font.coverage.size());
        glyph.width = static_cast<int32_t>(bitmap.width);
        glyph.height = static_cast<int32_t>(bitmap.rows);
        glyph.left = glyphSlot->bitmap_left;
        glyph.top = glyphSlot->bitmap_top;
        glyph.advance = static_cast<int32_t>(glyphSlot->advance.x);
        try {
            for (unsigned row = 0; row < bitmap.rows; ++row) {
                const unsigned char* line = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
                font.coverage.insert(font.coverage.end(), line, line + bitmap.width);
            }
        } catch (const std::bad_alloc&) {
            return Fail(failure, "FT_Load_Char(FPS overlay)", kFailureOutOfMemory);
        }
    }
    if (FT_HAS_KERNING(face)) {
        for (int left = 0; left < kOverlayGlyphCount; ++left) {
            const FT_UInt leftIndex = FT_Get_Char_Index(face, static_cast<unsigned char>(kOverlayCharacters[left]));
            for (int right = 0; right < kOverlayGlyphCount; ++right) {
                const FT_UInt rightIndex =
                    FT_Get_Char_Index(face, static_cast<unsigned char>(kOverlayCharacters[right]));
                FT_Vector delta{0, 0};
                if (FT_Get_Kerning(face, leftIndex, rightIndex, FT_KERNING_UNFITTED, &delta) == 0) {
                    font.kerning[left][right] = static_cast<int32_t>(delta.x);
                }
            }
        }
    }
    return true;
}

}  // namespace

int OverlayGlyphSlot(char c) {
    if (c == '\0') return -1;
    const char* found = std::strchr(kOverlayCharacters, c);
    return found != nullptr ? static_cast<int>(found - kOverlayCharacters) : -1;
}

bool LoadOverlayFont(OverlayFont& font, int32_t pixelSize, PresentFailure* failure) {
    font.loaded = false;
    FontFile file;
    const bool matched = MatchBoldSans(file);

    FreeTypeSession session;
    FT_Error error = FT_Init_FreeType(&session.library);
    if (error != 0) return Fail(failure, "FT_Init_FreeType(FPS overlay)", static_cast<uint32_t>(error));
    error = matched ? FT_New_Face(session.library, file.path.c_str(), file.index, &session.face) : 1;
    if (error != 0) {
        session.face = nullptr;
        error = FT_New_Face(session.library, kFallbackFontFile, 0, &session.face);
        if (error != 0) {
            session.face = nullptr;
            return Fail(failure, matched ? "FT_New_Face(FPS overlay)" : "FcFontMatch(FPS overlay)",
                        static_cast<uint32_t>(error));
        }
    }
    error = FT_Set_Pixel_Sizes(session.face, 0, static_cast<FT_UInt>(pixelSize));
    if (error != 0) return Fail(failure, "FT_Set_Pixel_Sizes(FPS overlay)", static_cast<uint32_t>(error));

    font = OverlayFont{};
    if (!RenderGlyphs(session.face, font, failure)) return false;
    const FT_Size_Metrics& metrics = session.face->size->metrics;
    font.ascender = static_cast<int32_t>((metrics.ascender + 32) >> 6);
    font.lineHeight = static_cast<int32_t>((metrics.height + 32) >> 6);
    font.pixelSize = pixelSize;
    font.loaded = true;
    return true;
}

}  // namespace mora
