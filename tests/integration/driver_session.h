// What the integration tests share: an offscreen device context with a current rendering context,
// a known GL state to start each test from, and the presented image read back through the public
// read-back functions. Everything goes through the driver's exported API (include/mora).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mora/gl.h"
#include "mora/mora_dc.h"
#include "mora/wgl.h"

namespace mora_it {

// Packs 8-bit channels the way presented and read-back BGRA pixels hold them: 0xAARRGGBB.
constexpr uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }
constexpr uint32_t Rgb(uint32_t word) { return word & 0x00FFFFFFu; }

// An offscreen DC of width x height with a context made current on this thread. The destructor
// releases the context first, then the DC.
struct OffscreenSession {
    HDC dc = nullptr;
    HGLRC rc = nullptr;
    int width = 0;
    int height = 0;

    OffscreenSession(int w, int h);
    ~OffscreenSession();
    OffscreenSession(const OffscreenSession&) = delete;
    OffscreenSession& operator=(const OffscreenSession&) = delete;
    bool ok() const { return dc != nullptr && rc != nullptr; }
};

// Puts the GL state these tests change (depth test, shade model, colours, clear values) back to
// its GL default (the GL state is one per process and shared by all contexts), then sets a
// full-surface viewport and a pixel-exact orthographic projection: GL x and y are window pixel
// coordinates, y = 0 at the bottom.
void ResetGlState(int width, int height);

// The last presented frame of dc, top row first, 0xAARRGGBB words; empty when none.
struct PresentedFrame {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    // Pixel at window column x, row y counted from the top.
    uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x];
    }
};
PresentedFrame ReadPresented(HDC dc);

// One pixel of the current surface through glReadPixels (GL_BGRA_EXT), GL coordinates (y from the
// bottom), as 0xAARRGGBB.
uint32_t ReadPixel(int x, int y);

// A screen-aligned rectangle [x0, x1) x [y0, y1) in GL window coordinates, drawn as two triangles
// with the current colour; texture coordinates 0..1 across it.
void DrawRect(float x0, float y0, float x1, float y1);

}  // namespace mora_it
