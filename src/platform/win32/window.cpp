// Windows device contexts are the application's own HDCs: the window behind one comes from the
// system's WindowFromDC and its size from GetClientRect. One Window record per HWND is kept for
// the life of the process, so a pointer handed out stays valid however the application releases
// and re-gets its device contexts.
#include <windows.h>

#include <new>
#include <vector>

#include "platform/device_context.h"
#include "platform/mutex.h"

namespace mora::platform {

namespace {

struct SystemWindows {
    Mutex lock;
    std::vector<Window*> known;
};

SystemWindows& Windows() {
    static SystemWindows* windows = new SystemWindows;  // never destroyed, like the DC registry
    return *windows;
}

}  // namespace

const Window* SystemWindowFromDC(const void* handle) {
    if (handle == nullptr) return nullptr;
    HWND hwnd = ::WindowFromDC(static_cast<HDC>(const_cast<void*>(handle)));
    if (hwnd == nullptr) return nullptr;
    SystemWindows& windows = Windows();
    MutexLock hold(windows.lock);
    for (Window* window : windows.known) {
        if (window->hwnd == hwnd) return window;
    }
    auto* window = new (std::nothrow) Window;
    if (window == nullptr) return nullptr;
    window->kind = WindowKind::Win32;
    window->hwnd = hwnd;
    try {
        windows.known.push_back(window);
    } catch (const std::bad_alloc&) {
        delete window;
        return nullptr;
    }
    return window;
}

bool SystemWindowSize(const Window& window, std::int32_t* width, std::int32_t* height) {
    RECT rect;
    if (window.kind != WindowKind::Win32 || !::GetClientRect(static_cast<HWND>(window.hwnd), &rect)) return false;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return true;
}

bool X11WindowSize(void*, std::uint64_t, std::int32_t*, std::int32_t*) { return false; }
bool X11WindowScreenRect(void*, std::uint64_t, ClientRect*) { return false; }
// No X display on Windows: the panel's toolkit view is an X11 one.
bool X11DisplayReachable() { return false; }

}  // namespace mora::platform
