// The exported GLX entries for drawables: swapping, GLX windows, the refused pixmaps and
// pbuffers, drawable queries, swap intervals and the synchronisation no-ops.
#include "entry/entry_boundary.h"
#include "glx/fb_config.h"
#include "glx/glx_api.h"
#include "glx/glx_contexts.h"
#include "glx/glx_drawables.h"
#include "glx/glx_errors.h"
#include "mora/wgl.h"
#include "platform/device_context.h"

namespace {

using mora::glx::CoreError;
using mora::glx::GlxError;
using mora::glx::Request;

constexpr int kMaxSwapInterval = 8;

bool WindowExists(Display* dpy, XID window) {
    int32_t width = 0;
    int32_t height = 0;
    return window != None && mora::platform::X11WindowSize(dpy, window, &width, &height);
}

}  // namespace

extern "C" {

// The frame recorded on the calling thread is rendered and shown in `drawable` when that is the
// thread's current drawable; any other live window has no frame of this thread to show.
void glXSwapBuffers(Display* dpy, GLXDrawable drawable) try {
    if (dpy == nullptr) return;
    mora::glx::ThreadCurrent& current = mora::glx::CurrentOnThisThread();
    if (current.drawable != nullptr && current.display == dpy && current.draw == drawable) {
        mora::glx::FollowWindowSize(*current.drawable);
        wglSwapBuffers(current.drawable->deviceContext);
        return;
    }
    if (mora::glx::FindDrawable(dpy, drawable) == nullptr && !WindowExists(dpy, drawable)) {
        mora::glx::RaiseError(dpy, GlxError::Drawable, Request::SwapBuffers, drawable);
    }
} MORA_ENTRY_BOUNDARY()

// A GLX window is the X window itself: its id names both.
GLXWindow glXCreateWindow(Display* dpy, GLXFBConfig config, Window window, const int*) try {
    if (dpy == nullptr) return None;
    if (mora::glx::ConfigFromHandle(config) == nullptr) {
        mora::glx::RaiseError(dpy, GlxError::FbConfig, Request::CreateWindow, 0);
        return None;
    }
    if (mora::glx::GlxDrawable* known = mora::glx::FindDrawable(dpy, window);
        known != nullptr && known->madeByCreateWindow) {
        mora::glx::RaiseError(dpy, CoreError::Alloc, Request::CreateWindow, window);
        return None;
    }
    bool missing = false;
    mora::glx::GlxDrawable* drawable = mora::glx::AcquireDrawable(dpy, window, &missing);
    if (drawable == nullptr) {
        if (missing) {
            mora::glx::RaiseError(dpy, CoreError::WindowId, Request::CreateWindow, window);
        } else {
            mora::glx::RaiseError(dpy, CoreError::Alloc, Request::CreateWindow, window);
        }
        return None;
    }
    drawable->madeByCreateWindow = true;
    return window;
} MORA_ENTRY_BOUNDARY(None)

// A window still current on this thread keeps its record until the process ends (GLX destroys a
// current drawable only once it is no longer current).
void glXDestroyWindow(Display* dpy, GLXWindow window) try {
    if (dpy == nullptr) return;
    mora::glx::GlxDrawable* drawable = mora::glx::FindDrawable(dpy, window);
    if (drawable == nullptr || !drawable->madeByCreateWindow) {
        mora::glx::RaiseError(dpy, GlxError::GlxWindow, Request::DestroyWindow, window);
        return;
    }
    drawable->madeByCreateWindow = false;
    const bool windowGone = !WindowExists(dpy, window);
    if (mora::glx::CurrentOnThisThread().drawable != drawable) mora::glx::ForgetDrawable(drawable);
    // Destroying the X window destroyed its GLX window already: this one no longer exists.
    if (windowGone) mora::glx::RaiseError(dpy, GlxError::GlxWindow, Request::DestroyWindow, window);
} MORA_ENTRY_BOUNDARY()

// Pixmaps and pbuffers are refused: None, without an error, so that programs probing for them
// carry on with windows.
GLXPixmap glXCreateGLXPixmap(Display*, XVisualInfo*, Pixmap) { return None; }
GLXPixmap glXCreatePixmap(Display*, GLXFBConfig, Pixmap, const int*) { return None; }
GLXPbuffer glXCreatePbuffer(Display*, GLXFBConfig, const int*) { return None; }

void glXDestroyGLXPixmap(Display* dpy, GLXPixmap pixmap) {
    if (dpy != nullptr) mora::glx::RaiseError(dpy, GlxError::Pixmap, Request::DestroyGlxPixmap, pixmap);
}
void glXDestroyPixmap(Display* dpy, GLXPixmap pixmap) {
    if (dpy != nullptr) mora::glx::RaiseError(dpy, GlxError::Pixmap, Request::DestroyPixmap, pixmap);
}
void glXDestroyPbuffer(Display* dpy, GLXPbuffer pbuffer) {
    if (dpy != nullptr) mora::glx::RaiseError(dpy, GlxError::Pbuffer, Request::DestroyPbuffer, pbuffer);
}

void glXQueryDrawable(Display* dpy, GLXDrawable drawable, int attribute, unsigned int* value) try {
    if (dpy == nullptr || value == nullptr) return;
    int32_t width = 0;
    int32_t height = 0;
    if (drawable == None || !mora::platform::X11WindowSize(dpy, drawable, &width, &height)) {
        mora::glx::RaiseError(dpy, GlxError::Drawable, Request::GetDrawableAttributes, drawable);
        return;
    }
    const mora::glx::GlxDrawable* known = mora::glx::FindDrawable(dpy, drawable);
    switch (attribute) {
        case mora::glx::kWidth: *value = static_cast<unsigned int>(width); break;
        case mora::glx::kHeight: *value = static_cast<unsigned int>(height); break;
        case mora::glx::kFbConfigId: *value = static_cast<unsigned int>(mora::glx::kDoubleBufferedConfig.id); break;
        case mora::glx::kPreservedContents:
        case mora::glx::kLargestPbuffer: *value = 0; break;
        case mora::glx::kSwapInterval:
            *value = static_cast<unsigned int>(known != nullptr ? known->swapInterval : 1);
            break;
        case mora::glx::kMaxSwapInterval: *value = kMaxSwapInterval; break;
        default: mora::glx::RaiseError(dpy, CoreError::Value, Request::GetDrawableAttributes, drawable); break;
    }
} MORA_ENTRY_BOUNDARY()

void glXSelectEvent(Display*, GLXDrawable, unsigned long) {}

void glXGetSelectedEvent(Display*, GLXDrawable, unsigned long* mask) {
    if (mask != nullptr) *mask = 0;
}

// The driver presents every swap at once; intervals are recorded and answered, never waited for.
void glXSwapIntervalEXT(Display* dpy, GLXDrawable drawable, int interval) try {
    if (dpy == nullptr) return;
    if (interval < 0) {
        mora::glx::RaiseError(dpy, CoreError::Value, Request::SwapBuffers, drawable);
        return;
    }
    bool missing = false;
    mora::glx::GlxDrawable* known = mora::glx::AcquireDrawable(dpy, drawable, &missing);
    if (known == nullptr) {
        mora::glx::RaiseError(dpy, GlxError::Drawable, Request::SwapBuffers, drawable);
        return;
    }
    known->swapInterval = interval > kMaxSwapInterval ? kMaxSwapInterval : interval;
} MORA_ENTRY_BOUNDARY()

int glXSwapIntervalMESA(unsigned int interval) {
    mora::glx::ThreadCurrent& current = mora::glx::CurrentOnThisThread();
    if (current.drawable == nullptr) return mora::glx::kBadContext;
    current.drawable->swapInterval = interval > kMaxSwapInterval ? kMaxSwapInterval : static_cast<int32_t>(interval);
    return 0;
}

int glXGetSwapIntervalMESA(void) {
    const mora::glx::ThreadCurrent& current = mora::glx::CurrentOnThisThread();
    return current.drawable != nullptr ? current.drawable->swapInterval : 0;
}

int glXSwapIntervalSGI(int interval) {
    constexpr int kBadValue = 6;  // GLX_BAD_VALUE
    if (interval <= 0) return kBadValue;
    return glXSwapIntervalMESA(static_cast<unsigned int>(interval));
}

// Every GL call's work is done when its frame is swapped; X requests need no waiting either.
void glXWaitGL(void) {}
void glXWaitX(void) {}
// Font glyph lists need display lists, which this driver only counts.
void glXUseXFont(Font, int, int, int) {}

}  // extern "C"
