// Xlib calls for the GLX front (see x11_glx_display.h).
#include "platform/x11_glx_display.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>

namespace mora::platform {

std::int32_t X11DefaultScreen(void* display) { return DefaultScreen(static_cast<Display*>(display)); }

std::int32_t X11ScreenCount(void* display) { return ScreenCount(static_cast<Display*>(display)); }

bool FindX11TrueColorVisual(void* display, std::int32_t screen, X11Visual* visual) {
    auto* x = static_cast<Display*>(display);
    if (x == nullptr || visual == nullptr || screen < 0 || screen >= ScreenCount(x)) return false;
    XVisualInfo info{};
    if (XMatchVisualInfo(x, screen, 24, TrueColor, &info) == 0) return false;
    if (info.red_mask != 0xFF0000u || info.green_mask != 0xFF00u || info.blue_mask != 0xFFu) return false;
    *visual = X11Visual{static_cast<std::uint64_t>(info.visualid), info.depth, screen};
    return true;
}

void* NewX11VisualInfo(void* display, const X11Visual& visual) {
    XVisualInfo pattern{};
    pattern.visualid = static_cast<VisualID>(visual.id);
    pattern.screen = visual.screen;
    int count = 0;
    XVisualInfo* found =
        XGetVisualInfo(static_cast<Display*>(display), VisualIDMask | VisualScreenMask, &pattern, &count);
    if (found != nullptr && count < 1) {
        XFree(found);
        return nullptr;
    }
    return found;
}

bool X11VisualInfoIdentity(const void* visualInfo, X11Visual* visual) {
    if (visualInfo == nullptr || visual == nullptr) return false;
    const auto* info = static_cast<const XVisualInfo*>(visualInfo);
    *visual = X11Visual{static_cast<std::uint64_t>(info->visualid), info->depth, info->screen};
    return true;
}

void* AllocateForXFree(std::size_t bytes) { return std::malloc(bytes == 0 ? 1 : bytes); }

bool QueryX11Extension(void* display, const char* name, X11ExtensionCodes* codes) {
    int major = 0;
    int event = 0;
    int error = 0;
    if (XQueryExtension(static_cast<Display*>(display), name, &major, &event, &error) == 0) return false;
    if (codes != nullptr) *codes = X11ExtensionCodes{major, event, error};
    return true;
}

void ReportX11Error(void* display, std::uint8_t errorCode, std::uint8_t majorOpcode, std::uint16_t minorOpcode,
                    std::uint64_t resource) {
    auto* x = static_cast<Display*>(display);
    if (x == nullptr) return;
    // Xlib only hands out the installed handler by replacing it: put it straight back.
    XErrorHandler handler = XSetErrorHandler(nullptr);
    XSetErrorHandler(handler);
    XErrorEvent event{};
    event.type = 0;
    event.display = x;
    event.resourceid = static_cast<XID>(resource);
    event.serial = NextRequest(x) - 1;
    event.error_code = errorCode;
    event.request_code = majorOpcode;
    event.minor_code = static_cast<unsigned char>(minorOpcode);
    if (handler != nullptr) handler(x, &event);
}

}  // namespace mora::platform
