// GLX drawables: each X window a GLX context has been made current on gets a record with a
// device context for the window and the rendering context (and so the Surface) that draws into
// it. All GLX contexts share the driver's one GL state, so the record is what differs between
// drawables. A window resized between frames gets a rendering context of the new size before the
// next frame is rendered.
#pragma once

#include <cstdint>

#include "mora/wgl.h"

namespace mora::glx {

struct GlxDrawable {
    void* display = nullptr;
    uint64_t window = 0;
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;
    int32_t width = 0;  // the window's size when the rendering context was made
    int32_t height = 0;
    int32_t swapInterval = 1;  // recorded for glXQueryDrawable; frames are never held back
    bool madeByCreateWindow = false;
};

// The record for `window` on `display`, made on first use when the window exists. Null when it
// does not (or memory runs out); *missing then tells which.
GlxDrawable* AcquireDrawable(void* display, uint64_t window, bool* missing);

// The record for `window` on `display`, or null.
GlxDrawable* FindDrawable(void* display, uint64_t window);

// Deletes the record's rendering and device contexts and forgets it. The calling thread must not
// have it current.
void ForgetDrawable(GlxDrawable* drawable);

// Before a frame of the calling thread's current drawable is rendered: when the window's size
// has changed, replaces the rendering context by one of the new size and makes it current.
void FollowWindowSize(GlxDrawable& drawable);

// The window's size now; false when it cannot be read (the window is gone).
bool WindowSize(const GlxDrawable& drawable, int32_t* width, int32_t* height);

}  // namespace mora::glx
