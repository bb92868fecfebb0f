// FPS text through Direct2D and DirectWrite. The text format asks for "Bahnschrift" bold at 60
// pixels; where that family is not installed (older Windows, Wine) DirectWrite would silently draw
// nothing, so the first family of a short list that the system collection holds is used instead.
#include "platform/win32/d3d11_overlay.h"

#include "platform/shared_module.h"
#include "platform/system_font.h"
#include "platform/win32/wide_text.h"

namespace mora::platform {

namespace {

using CreateD2dFactory = HRESULT(WINAPI*)(D2D1_FACTORY_TYPE, REFIID, const D2D1_FACTORY_OPTIONS*, void**);
using CreateDwriteFactory = HRESULT(WINAPI*)(DWRITE_FACTORY_TYPE, REFIID, IUnknown**);

// The wanted family first, then common ones: Windows before 10 has Segoe UI and Arial; Wine has
// neither Arial nor Tahoma but the Liberation and DejaVu families of the host.

template <typename T>
void Release(T*& object) {
    if (object != nullptr) object->Release();
    object = nullptr;
}

bool Report(D3d11Report report, const char* step, HRESULT hr) {
    if (report != nullptr) report(D3d11Failure{step, static_cast<std::uint32_t>(hr)});
    return false;
}

HRESULT FromLastError() { return HRESULT_FROM_WIN32(GetLastError()); }

// The first of kOverlayFontFamilies in DirectWrite's system collection; the first of the list
// when none is (or the lookup fails).
const char* InstalledFamily(IDWriteFactory* factory) {
    const char* found = kOverlayFontFamilies[0];
    IDWriteFontCollection* fonts = nullptr;
    if (FAILED(factory->GetSystemFontCollection(&fonts, FALSE)) || fonts == nullptr) return found;
    for (const char* family : kOverlayFontFamilies) {
        UINT32 index = 0;
        BOOL exists = FALSE;
        if (SUCCEEDED(fonts->FindFamilyName(Wide(family).c_str(), &index, &exists)) && exists) {
            found = family;
            break;
        }
    }
    fonts->Release();
    return found;
}

bool CreateObjects(D3d11Overlay& overlay, IDXGISurface* backBuffer, D3d11Report report) {
    if (overlay.d2dFactory == nullptr) {
        if (overlay.d2d1Module == nullptr) overlay.d2d1Module = LoadModule("d2d1.dll", false, nullptr);
        auto create = reinterpret_cast<CreateD2dFactory>(ModuleSymbol(overlay.d2d1Module, "D2D1CreateFactory"));
        if (create == nullptr) return Report(report, "D2D1CreateFactory(FPS overlay)", FromLastError());
        const HRESULT hr = create(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory), nullptr,
                                  reinterpret_cast<void**>(&overlay.d2dFactory));
        if (FAILED(hr)) return Report(report, "D2D1CreateFactory(FPS overlay)", hr);
    }
    if (overlay.dwriteFactory == nullptr) {
        if (overlay.dwriteModule == nullptr) overlay.dwriteModule = LoadModule("dwrite.dll", false, nullptr);
        auto create = reinterpret_cast<CreateDwriteFactory>(ModuleSymbol(overlay.dwriteModule, "DWriteCreateFactory"));
        if (create == nullptr) return Report(report, "DWriteCreateFactory(FPS overlay)", FromLastError());
        const HRESULT hr = create(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                  reinterpret_cast<IUnknown**>(&overlay.dwriteFactory));
        if (FAILED(hr)) return Report(report, "DWriteCreateFactory(FPS overlay)", hr);
    }
    if (overlay.target == nullptr) {
        D2D1_RENDER_TARGET_PROPERTIES properties{};
        properties.type = D2D1_RENDER_TARGET_TYPE_DEFAULT;
        properties.pixelFormat = D2D1_PIXEL_FORMAT{DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE};
        properties.dpiX = 96.0f;  // one device-independent pixel = one pixel
        properties.dpiY = 96.0f;
        properties.usage = D2D1_RENDER_TARGET_USAGE_NONE;
        properties.minLevel = D2D1_FEATURE_LEVEL_DEFAULT;
        const HRESULT hr = overlay.d2dFactory->CreateDxgiSurfaceRenderTarget(backBuffer, &properties, &overlay.target);
        if (FAILED(hr)) return Report(report, "CreateDxgiSurfaceRenderTarget(FPS overlay)", hr);
    }
    if (overlay.textBrush == nullptr) {
        const HRESULT hr =
            overlay.target->CreateSolidColorBrush(D2D1_COLOR_F{1.0f, 1.0f, 1.0f, 1.0f}, &overlay.textBrush);
        if (FAILED(hr)) return Report(report, "CreateSolidColorBrush(FPS overlay)", hr);
    }
    if (overlay.shadowBrush == nullptr) {
        const HRESULT hr =
            overlay.target->CreateSolidColorBrush(D2D1_COLOR_F{0.0f, 0.0f, 0.0f, 0.8f}, &overlay.shadowBrush);
        if (FAILED(hr)) return Report(report, "CreateSolidColorBrush(FPS shadow)", hr);
    }
    if (overlay.textFormat == nullptr) {
        const char* family = InstalledFamily(overlay.dwriteFactory);
        HRESULT hr = overlay.dwriteFactory->CreateTextFormat(Wide(family).c_str(), nullptr, DWRITE_FONT_WEIGHT_BOLD,
                                                             DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL,
                                                             60.0f, L"en-us", &overlay.textFormat);
        if (SUCCEEDED(hr)) hr = overlay.textFormat->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_LEADING);
        if (SUCCEEDED(hr)) hr = overlay.textFormat->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_NEAR);
        if (FAILED(hr)) {
            Release(overlay.textFormat);
            return Report(report, "CreateTextFormat(FPS overlay)", hr);
        }
        overlay.family = family;
    }
    return true;
}

}  // namespace

void DrawD3d11Overlay(D3d11Overlay& overlay, IDXGISurface* backBuffer, const char* text, D3d11Report report) {
    if (text == nullptr || text[0] == '\0' || backBuffer == nullptr) return;
    if (!CreateObjects(overlay, backBuffer, report)) return;
    wchar_t wide[64];
    UINT32 length = 0;
    for (; text[length] != '\0' && length < 63; ++length) wide[length] = static_cast<unsigned char>(text[length]);
    wide[length] = L'\0';
    const D2D1_DRAW_TEXT_OPTIONS options = D2D1_DRAW_TEXT_OPTIONS_NO_SNAP;
    overlay.target->BeginDraw();
    overlay.target->DrawText(wide, length, overlay.textFormat, D2D1_RECT_F{34.0f, 19.0f, 1000.0f, 260.0f},
                             overlay.shadowBrush, options, DWRITE_MEASURING_MODE_NATURAL);
    overlay.target->DrawText(wide, length, overlay.textFormat, D2D1_RECT_F{30.0f, 15.0f, 1000.0f, 260.0f},
                             overlay.textBrush, options, DWRITE_MEASURING_MODE_NATURAL);
    if (overlay.target->EndDraw() == static_cast<HRESULT>(D2DERR_RECREATE_TARGET)) ReleaseD3d11OverlayTarget(overlay);
}

void ReleaseD3d11OverlayTarget(D3d11Overlay& overlay) {
    Release(overlay.shadowBrush);
    Release(overlay.textBrush);
    Release(overlay.target);
}

void ReleaseD3d11Overlay(D3d11Overlay& overlay) {
    Release(overlay.textFormat);
    Release(overlay.dwriteFactory);
    ReleaseD3d11OverlayTarget(overlay);
    Release(overlay.d2dFactory);
    UnloadModule(overlay.dwriteModule);
    UnloadModule(overlay.d2d1Module);
    overlay.dwriteModule = nullptr;
    overlay.d2d1Module = nullptr;
    overlay.family = "";
}

}  // namespace mora::platform
