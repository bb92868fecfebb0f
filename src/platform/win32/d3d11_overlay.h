// The FPS text of the Direct3D 11 output, drawn with Direct2D and DirectWrite onto the back buffer.
#pragma once

#include <d2d1.h>
#include <dwrite.h>
#include <dxgi.h>

#include "platform/d3d11_output.h"
#include "platform/shared_module.h"

namespace mora::platform {

struct D3d11Overlay {
    SharedModule* d2d1Module = nullptr;
    SharedModule* dwriteModule = nullptr;
    ID2D1Factory* d2dFactory = nullptr;
    ID2D1RenderTarget* target = nullptr;
    ID2D1SolidColorBrush* textBrush = nullptr;
    ID2D1SolidColorBrush* shadowBrush = nullptr;
    IDWriteFactory* dwriteFactory = nullptr;
    IDWriteTextFormat* textFormat = nullptr;
    const char* family = "";  // the family the text format uses
};

// Draws `text` (ASCII, lines split at '\n', at most 63 characters used) onto `backBuffer`: the
// shadow at (34, 19), the text at (30, 15). Missing objects are created first; a failed creation
// goes to `report` and leaves this frame without text (the next frame tries again).
void DrawD3d11Overlay(D3d11Overlay& overlay, IDXGISurface* backBuffer, const char* text, D3d11Report report);

// Drops the objects tied to the back buffer (before the swap chain's buffers are resized).
void ReleaseD3d11OverlayTarget(D3d11Overlay& overlay);

void ReleaseD3d11Overlay(D3d11Overlay& overlay);

}  // namespace mora::platform
