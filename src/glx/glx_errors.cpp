// GLX error reporting through the application's X error handler.
#include "glx/glx_errors.h"

#include "platform/x11_glx_display.h"

namespace mora::glx {

namespace {

// Without a server-side GLX extension there are no GLX error codes: the core error closest in
// meaning is reported instead.
uint8_t CoreStandIn(GlxError error) {
    switch (error) {
        case GlxError::Drawable:
        case GlxError::Pixmap:
        case GlxError::Pbuffer: return 9;  // core BadDrawable
        case GlxError::GlxWindow: return static_cast<uint8_t>(CoreError::WindowId);
        case GlxError::Profile: return static_cast<uint8_t>(CoreError::Value);
        case GlxError::Context:
        case GlxError::FbConfig: break;
    }
    return static_cast<uint8_t>(CoreError::Match);
}

}  // namespace

void RaiseError(void* display, GlxError error, Request request, uint64_t resource) {
    platform::X11ExtensionCodes glx;
    if (platform::QueryX11Extension(display, "GLX", &glx)) {
        platform::ReportX11Error(display, static_cast<uint8_t>(glx.firstError + static_cast<int>(error)),
                                 static_cast<uint8_t>(glx.majorOpcode), static_cast<uint16_t>(request), resource);
    } else {
        platform::ReportX11Error(display, CoreStandIn(error), 0, static_cast<uint16_t>(request), resource);
    }
}

void RaiseError(void* display, CoreError error, Request request, uint64_t resource) {
    platform::X11ExtensionCodes glx;
    const uint8_t major = platform::QueryX11Extension(display, "GLX", &glx) ? static_cast<uint8_t>(glx.majorOpcode) : 0;
    platform::ReportX11Error(display, static_cast<uint8_t>(error), major, static_cast<uint16_t>(request), resource);
}

bool ServerGlxBases(void* display, int* firstError, int* firstEvent) {
    platform::X11ExtensionCodes glx;
    if (!platform::QueryX11Extension(display, "GLX", &glx)) return false;
    if (firstError != nullptr) *firstError = glx.firstError;
    if (firstEvent != nullptr) *firstEvent = glx.firstEvent;
    return true;
}

}  // namespace mora::glx
