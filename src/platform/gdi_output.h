// Window output through GDI on Windows: a 32-bit top-down image in memory the size of the presented
// frame that the presenter composes into, copied onto the window's client area with
// SetDIBitsToDevice. Needs nothing beyond gdi32 and user32, so it works where no Direct3D does.
#pragma once

#include <cstdint>

namespace mora::platform {

struct GdiFailure {
    const char* step = "";
    std::uint32_t code = 0;  // GetLastError()
};

struct GdiOutput;  // opaque: window, image memory

// An output for window `hwnd` with a width x height image. Null on failure, with the step.
GdiOutput* OpenGdiOutput(void* hwnd, std::int32_t width, std::int32_t height, GdiFailure* failure);
bool ResizeGdiOutput(GdiOutput* output, std::int32_t width, std::int32_t height, GdiFailure* failure);
// The image, top row first, 4 bytes per pixel (B, G, R, x); null when there is none.
std::uint8_t* GdiOutputPixels(GdiOutput* output, std::uint32_t* rowPitch);
void GdiOutputSize(const GdiOutput* output, std::int32_t* width, std::int32_t* height);
// Copies the image to the window's top-left corner.
bool ShowGdiOutput(GdiOutput* output, GdiFailure* failure);
void CloseGdiOutput(GdiOutput* output);

}  // namespace mora::platform
