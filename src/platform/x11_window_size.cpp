// The size of an X11 window, with protocol errors (a window id that does not exist) caught
// instead of reaching Xlib's default handler, which would end the process.
#include <X11/Xlib.h>

#include <atomic>
#include <cstdint>

#include "platform/device_context.h"
#include "platform/mutex.h"

namespace mora::platform {

namespace {

// Xlib has one process-wide error handler. While a query runs, errors of its connection are
// recorded; errors of other connections go to the handler that was installed before.
Mutex gQueryLock;
std::atomic<Display*> gQueryDisplay{nullptr};
int gQueryError = 0;
XErrorHandler gPreviousHandler = nullptr;

int QueryErrorHandler(Display* display, XErrorEvent* event) {
    if (display == gQueryDisplay.load(std::memory_order_acquire)) {
        if (gQueryError == 0) gQueryError = event->error_code;
        return 0;
    }
    return gPreviousHandler != nullptr ? gPreviousHandler(display, event) : 0;
}

}  // namespace

// The window's attributes and its top-left corner in root coordinates, asked with errors trapped.
static bool QueryWindow(void* displayHandle, std::uint64_t window, XWindowAttributes* attributes, int* rootX,
                        int* rootY) {
    if (window == 0) return false;
    Display* display = static_cast<Display*>(displayHandle);
    Display* own = nullptr;
    if (display == nullptr) {
        own = XOpenDisplay(nullptr);
        if (own == nullptr) return false;
        display = own;
    }
    Status status = 0;
    int error = 0;
    {
        MutexLock hold(gQueryLock);
        gQueryError = 0;
        gQueryDisplay.store(display, std::memory_order_release);
        gPreviousHandler = XSetErrorHandler(&QueryErrorHandler);
        status = XGetWindowAttributes(display, static_cast<::Window>(window), attributes);
        if (status != 0 && rootX != nullptr) {
            ::Window child = 0;
            status = XTranslateCoordinates(display, static_cast<::Window>(window), attributes->root, 0, 0, rootX, rootY,
                                           &child);
        }
        XSync(display, False);
        XSetErrorHandler(gPreviousHandler);
        gQueryDisplay.store(nullptr, std::memory_order_release);
        error = gQueryError;
    }
    if (own != nullptr) XCloseDisplay(own);
    return status != 0 && error == 0;
}

bool X11WindowSize(void* displayHandle, std::uint64_t window, std::int32_t* width, std::int32_t* height) {
    if (width == nullptr || height == nullptr) return false;
    XWindowAttributes attributes{};
    if (!QueryWindow(displayHandle, window, &attributes, nullptr, nullptr)) return false;
    *width = attributes.width;
    *height = attributes.height;
    return true;
}

bool X11WindowScreenRect(void* displayHandle, std::uint64_t window, ClientRect* rect) {
    if (rect == nullptr) return false;
    XWindowAttributes attributes{};
    int x = 0;
    int y = 0;
    if (!QueryWindow(displayHandle, window, &attributes, &x, &y)) return false;
    *rect = ClientRect{x, y, x + attributes.width, y + attributes.height};
    return true;
}

bool X11DisplayReachable() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    XCloseDisplay(display);
    return true;
}

}  // namespace mora::platform

namespace mora::platform {

// Every device context on this system is made by the device-context functions.
const Window* SystemWindowFromDC(const void*) { return nullptr; }

bool SystemWindowSize(const Window& window, std::int32_t* width, std::int32_t* height) {
    return window.kind == WindowKind::X11 && X11WindowSize(window.display, window.x11Window, width, height);
}

}  // namespace mora::platform
