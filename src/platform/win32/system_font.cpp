// Glyphs of a system font through GDI: GetGlyphOutlineW with GGO_GRAY8_BITMAP renders each
// character into 65 coverage levels, which are stretched to 0..255.
#include "platform/system_font.h"

#include <windows.h>

#include <new>

#include "platform/win32/wide_text.h"

namespace mora::platform {

struct SystemFont {
    HDC dc = nullptr;
    HFONT font = nullptr;
    HGDIOBJ previous = nullptr;
    std::vector<KERNINGPAIR> kerning;
};

namespace {

int CALLBACK NoteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one match is enough
}

bool Fail(SystemFontFailure* failure, const char* step, DWORD code) {
    if (failure != nullptr) *failure = SystemFontFailure{step, code != 0 ? code : GDI_ERROR};
    return false;
}

}  // namespace

const char* InstalledFontFamily(std::span<const char* const> families) {
    HDC dc = GetDC(nullptr);
    if (dc == nullptr) return nullptr;
    const char* chosen = nullptr;
    for (const char* family : families) {
        const std::wstring wide = Wide(family);
        LOGFONTW wanted{};
        wanted.lfCharSet = DEFAULT_CHARSET;
        if (wide.empty() || wide.size() >= LF_FACESIZE) continue;
        wide.copy(wanted.lfFaceName, wide.size());
        bool found = false;
        EnumFontFamiliesExW(dc, &wanted, NoteFamily, reinterpret_cast<LPARAM>(&found), 0);
        if (found) {
            chosen = family;
            break;
        }
    }
    ReleaseDC(nullptr, dc);
    return chosen;
}

SystemFont* OpenBoldSystemFont(const char* family, std::int32_t pixelSize, SystemFontFailure* failure) {
    auto* font = new (std::nothrow) SystemFont;
    if (font == nullptr) {
        Fail(failure, "OpenBoldSystemFont", ERROR_OUTOFMEMORY);
        return nullptr;
    }
    font->dc = CreateCompatibleDC(nullptr);
    if (font->dc == nullptr) {
        Fail(failure, "CreateCompatibleDC", GetLastError());
        CloseSystemFont(font);
        return nullptr;
    }
    // A negative height asks for the em size, not the cell height.
    font->font = CreateFontW(-pixelSize, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, Wide(family).c_str());
    if (font->font == nullptr) {
        Fail(failure, "CreateFontW", GetLastError());
        CloseSystemFont(font);
        return nullptr;
    }
    font->previous = SelectObject(font->dc, font->font);
    try {
        const DWORD pairs = GetKerningPairsW(font->dc, 0, nullptr);
        if (pairs > 0 && pairs != GDI_ERROR) {
            font->kerning.resize(pairs);
            font->kerning.resize(GetKerningPairsW(font->dc, pairs, font->kerning.data()));
        }
    } catch (const std::bad_alloc&) {
        font->kerning.clear();  // kerning is a refinement: the text still lays out without it
    }
    return font;
}

void CloseSystemFont(SystemFont* font) {
    if (font == nullptr) return;
    if (font->previous != nullptr) SelectObject(font->dc, font->previous);
    if (font->font != nullptr) DeleteObject(font->font);
    if (font->dc != nullptr) DeleteDC(font->dc);
    delete font;
}

SystemFontMetrics SystemFontLineMetrics(SystemFont* font) {
    TEXTMETRICW metrics{};
    if (font == nullptr || !GetTextMetricsW(font->dc, &metrics)) return {};
    return SystemFontMetrics{metrics.tmAscent, metrics.tmHeight + metrics.tmExternalLeading};
}

bool RenderSystemGlyph(SystemFont* font, char c, SystemGlyph& glyph, std::vector<std::uint8_t>& coverage,
                       SystemFontFailure* failure) {
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    GLYPHMETRICS metrics{};
    const UINT character = static_cast<unsigned char>(c);
    const DWORD size = GetGlyphOutlineW(font->dc, character, GGO_GRAY8_BITMAP, &metrics, 0, nullptr, &identity);
    if (size == GDI_ERROR) return Fail(failure, "GetGlyphOutlineW", GetLastError());
    glyph = SystemGlyph{};
    glyph.advance = metrics.gmCellIncX * 64;
    if (size == 0) return true;  // nothing to draw (the space)

    glyph.width = static_cast<std::int32_t>(metrics.gmBlackBoxX);
    glyph.height = static_cast<std::int32_t>(metrics.gmBlackBoxY);
    glyph.left = metrics.gmptGlyphOrigin.x;
    glyph.top = metrics.gmptGlyphOrigin.y;
    // Rows are padded to 4 bytes; levels run 0..64.
    const std::size_t pitch = (static_cast<std::size_t>(glyph.width) + 3) & ~std::size_t{3};
    if (pitch * static_cast<std::size_t>(glyph.height) > size)
        return Fail(failure, "GetGlyphOutlineW", ERROR_INVALID_DATA);
    try {
        std::vector<std::uint8_t> levels(size);
        if (GetGlyphOutlineW(font->dc, character, GGO_GRAY8_BITMAP, &metrics, size, levels.data(), &identity) ==
            GDI_ERROR) {
            return Fail(failure, "GetGlyphOutlineW", GetLastError());
        }
        coverage.reserve(coverage.size() + static_cast<std::size_t>(glyph.width) * glyph.height);
        for (std::int32_t row = 0; row < glyph.height; ++row) {
            const std::uint8_t* line = levels.data() + pitch * static_cast<std::size_t>(row);
            for (std::int32_t x = 0; x < glyph.width; ++x) {
                const unsigned level = line[x] > 64 ? 64u : line[x];
                coverage.push_back(static_cast<std::uint8_t>((level * 255u + 32u) / 64u));
            }
        }
    } catch (const std::bad_alloc&) {
        return Fail(failure, "GetGlyphOutlineW", ERROR_OUTOFMEMORY);
    }
    return true;
}

std::int32_t SystemFontKerning(SystemFont* font, char left, char right) {
    const WCHAR first = static_cast<unsigned char>(left);
    const WCHAR second = static_cast<unsigned char>(right);
    for (const KERNINGPAIR& pair : font->kerning) {
        if (pair.wFirst == first && pair.wSecond == second) return pair.iKernAmount * 64;
    }
    return 0;
}

}  // namespace mora::platform
