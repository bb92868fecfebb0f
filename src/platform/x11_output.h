// Window output on an X11 display: an image the size of the presented frame that the presenter
// composes into and then puts into an application's window, through MIT shared memory where the
// server offers it and plain XPutImage otherwise. Also a bare window for tools and tests.
#pragma once

#include <cstdint>

namespace mora::platform {

// The failing step of an X11 call sequence and its code (an X error code or errno; 0 when the
// call gives none).
struct X11Failure {
    const char* step = "";
    std::uint32_t code = 0;
};

struct X11Output;  // opaque: display connection, window, graphics context, image

// Opens a connection to $DISPLAY for `window` (an X11 window id), checks that the window's
// visual stores pixels as 0x00RRGGBB little-endian words, and makes a width x height image.
// Shared memory is used when allowed and the server accepts it. Null on failure, with the step.
X11Output* OpenX11Output(std::uint64_t window, std::int32_t width, std::int32_t height, bool allowSharedMemory,
                         X11Failure* failure);

// Replaces the image by one of the new size. On failure the output has no image and every show
// fails until a resize succeeds.
bool ResizeX11Output(X11Output* output, std::int32_t width, std::int32_t height, X11Failure* failure);

// The image memory, top row first, 4 bytes per pixel (B, G, R, x); null when there is none.
std::uint8_t* X11OutputPixels(X11Output* output, std::uint32_t* rowPitch);
void X11OutputSize(const X11Output* output, std::int32_t* width, std::int32_t* height);
bool X11OutputUsesSharedMemory(const X11Output* output);

// Puts the whole image at the window's top-left corner and waits until the server has taken it,
// so the memory may be written again at once. False (with the step) on an X error.
bool ShowX11Output(X11Output* output, X11Failure* failure);

// Frees the image and closes the connection; null is allowed.
void CloseX11Output(X11Output* output);

// A plain mapped top-level window on its own connection, for tools and tests.
struct X11Window;
X11Window* CreateX11Window(std::int32_t width, std::int32_t height, const char* title);
std::uint64_t X11WindowId(const X11Window* window);
// Reads width x height pixels from the window's top-left corner as 0x00RRGGBB words.
bool ReadX11Window(X11Window* window, std::int32_t width, std::int32_t height, std::uint32_t* pixels);
void DestroyX11Window(X11Window* window);

}  // namespace mora::platform
