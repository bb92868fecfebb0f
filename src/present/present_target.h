// Where presented frames go: a record of function pointers that DxgiPresent calls to get the
// memory a frame is composed into and to show it. The offscreen target keeps the image for
// read-back (tests and tools run the whole pipeline without a window: the null presenter); the
// X11 target puts it into a window.
#pragma once

#include <cstdint>

#include "present/image_view.h"

namespace mora {

struct PostProcessConstants;

// A failed step of a target call: the step name and its error code (an X error code, errno, or
// an HRESULT-style code when the step gives none).
struct PresentFailure {
    const char* step = "";
    uint32_t code = 0;
};

// Codes for failures that have no code of their own.
inline constexpr uint32_t kFailureOutOfMemory = 0x8007000Eu;  // E_OUTOFMEMORY
inline constexpr uint32_t kFailureUnspecified = 0x80004005u;  // E_FAIL

struct PresentTarget {
    const char* name;
    // Opens the output for `window` at width x height; sets *state (owned by the target).
    bool (*open)(void* window, int32_t width, int32_t height, void** state, PresentFailure* failure);
    // Changes the output size; the image content is undefined afterwards.
    bool (*resize)(void* state, int32_t width, int32_t height, PresentFailure* failure);
    // The image the next frame is composed into: width x height, top row first.
    ImageView (*image)(void* state);
    // Shows the composed image.
    bool (*show)(void* state, PresentFailure* failure);
    // Frees everything; null state is allowed.
    void (*close)(void* state);

    // A target that owns the staging memory and runs the colour pass and the overlay itself (on a
    // GPU) sets these three; for the others the presenter's staging ring and CPU colour pass feed
    // image(). sizeStaging sizes the two staging images for the rendered size, mapStaging hands
    // one out (the same memory again while it is handed out), presentStaging shows it with the
    // constants and the overlay text (null for none).
    bool (*sizeStaging)(void* state, int32_t width, int32_t height, PresentFailure* failure) = nullptr;
    bool (*mapStaging)(void* state, int32_t index, ImageView* image, PresentFailure* failure) = nullptr;
    bool (*presentStaging)(void* state, int32_t index, const PostProcessConstants& constants, const char* overlayText,
                           PresentFailure* failure) = nullptr;
    // Where frames go when this target cannot be built (its failures are traced first); null: nowhere.
    const PresentTarget& (*fallback)() = nullptr;
};

// Keeps the last presented image in memory; the window handle is not used.
const PresentTarget& OffscreenPresentTarget();

// Shows frames in the X11 window whose id is the window handle (the id as a pointer-sized
// integer), on a connection of its own to $DISPLAY.
const PresentTarget& X11PresentTarget();

// The target for this system's windows: X11 on Linux (the window handle is the X11 window id as
// above); on Windows (the window handle is the HWND) Direct3D 11, falling back to GDI.
const PresentTarget& WindowPresentTarget();

}  // namespace mora
