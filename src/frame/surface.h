// Surface: the drawable half of a rendering context: the presenter that hands the renderer each
// frame's colour memory and shows it at the end of the frame, the CPU depth buffer, and the colour
// memory mapped for the current frame. wglCreateContext creates it, glViewport grows it (through
// the context's Ensure size), wglSwapBuffers renders into and presents it, wglDeleteContext
// releases it.
#pragma once

#include <cstdint>

#include "platform/device_context.h"
#include "present/dxgi_present.h"
#include "render/surface_view.h"

namespace mora {

struct Surface {
    DxgiPresent presenter;
    float* depthBuffer = nullptr;   // width x height values, rows of width values; null when released
    uint8_t* colourBase = nullptr;  // colour memory of the current frame; null when released or after a failed present
    int32_t width = 0;
    int32_t height = 0;
    int32_t colourPitch = 0;       // bytes between colour rows, as BeginFrame returned it
    uint64_t presentedFrames = 0;  // successful presents since the Surface was created
};

// "MORA::Surface::Create": releases the Surface, then builds the presenter for `window` at
// width x height (render and output size alike), maps the first frame's colour memory and
// allocates the depth buffer. False, with the Surface released, when width or height is below 1,
// window is null, the presenter cannot be built or mapped (trace lines under
// "MORA::Surface::Create") or the depth buffer cannot be allocated.
bool CreateSurface(Surface& surface, int32_t width, int32_t height, const platform::Window* window);

// Shuts the presenter down, frees the depth buffer and zeroes the sizes, pointer and pitch.
void ReleaseSurface(Surface& surface);

// Both the colour memory and the depth buffer exist.
bool SurfaceHasBuffers(const Surface& surface);

// The end-of-frame present: with both buffers, shows the frame and takes the next frame's colour
// memory (null and 0 when that fails); a failed show leaves the Surface without colour memory.
// Without buffers nothing happens. True when a frame was shown.
bool PresentSurface(Surface& surface);

// The buffers RenderFrame draws into.
SurfaceView ViewOfSurface(const Surface& surface);

}  // namespace mora
