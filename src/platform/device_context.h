// Device contexts: the records an HDC stands for on this platform. Each names one drawable the
// window-system entry points render into, either a window-less offscreen area of a given client
// size or an X11 window. The exported moraCreate*DC functions make them; WindowFromDC and
// GetClientRect answer for them as the Win32 functions of the same names do for a window's DC.
#pragma once

#include <cstdint>

namespace mora::platform {

enum class WindowKind : std::uint32_t {
    Offscreen = 1,  // presented frames stay in memory
    X11 = 2,        // presented frames go to an X11 window
    Win32 = 3,      // a Windows window: the HDC is the application's own (GetDC, BeginPaint)
};

// The drawable behind a device context.
struct Window {
    WindowKind kind = WindowKind::Offscreen;
    std::int32_t clientWidth = 0;  // offscreen: the client size given at creation, 0 when empty
    std::int32_t clientHeight = 0;
    void* display = nullptr;      // X11: the application's Display; null to query on a connection of our own
    std::uint64_t x11Window = 0;  // X11: the window id
    void* hwnd = nullptr;         // Win32: the window handle
};

struct DeviceContext {
    Window window;
};

// Client rectangle in window coordinates; left and top are always 0.
struct ClientRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// A window-less drawable with a width x height client area; a size below 1 gives an empty client
// area. Null when memory runs out.
DeviceContext* CreateOffscreenDeviceContext(std::int32_t width, std::int32_t height);

// A drawable for X11 window `window` of `display` (may be null). Null for window 0 or when memory
// runs out. The window is not checked here: its client size is asked for when a context needs it.
DeviceContext* CreateX11DeviceContext(void* display, std::uint64_t window);

// Forgets and frees a device context made above; false (nothing done) for null or any other value.
bool DestroyDeviceContext(const void* handle);

// True while `handle` is a device context made above and not yet destroyed.
bool IsDeviceContext(const void* handle);

// The window of a live device context; null for null, unknown or destroyed handles. The pointer
// stays valid until the device context is destroyed.
const Window* WindowFromDC(const void* handle);

// The window's client rectangle (0, 0, width, height). False when window is null or its size
// cannot be read (an X11 window that no longer exists, no display connection).
bool GetClientRect(const Window* window, ClientRect* rect);

// The window behind a device context that the system made rather than the functions above (a
// window's HDC on Windows, found with the system's WindowFromDC); null for any handle on systems
// where every device context is made here. The record lives as long as the process.
const Window* SystemWindowFromDC(const void* handle);

// The client size of an X11 or Win32 window, asked of the window system. False when it cannot be
// read or the window kind does not exist on this system.
bool SystemWindowSize(const Window& window, std::int32_t* width, std::int32_t* height);

// The size of X11 window `window`, asked on `display` or, when it is null, on a connection of its
// own to $DISPLAY. X errors are caught, never passed to Xlib's default handler.
bool X11WindowSize(void* display, std::uint64_t window, std::int32_t* width, std::int32_t* height);

// The window's rectangle on its screen (root-window coordinates), asked as X11WindowSize asks.
bool X11WindowScreenRect(void* display, std::uint64_t window, ClientRect* rect);

// True when a connection to $DISPLAY can be opened (it is closed again at once).
bool X11DisplayReachable();

}  // namespace mora::platform
