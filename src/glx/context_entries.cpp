// The exported GLX entries that make, select and describe contexts. Selection goes through
// wglMakeCurrent on the drawable's rendering context, so the driver's own rules for contexts and
// threads apply unchanged; refusals are reported to the X error handler as GLX specifies.
#include "api/first_viewport.h"
#include "entry/entry_boundary.h"
#include "glx/context_attributes.h"
#include "glx/fb_config.h"
#include "glx/glx_api.h"
#include "glx/glx_contexts.h"
#include "glx/glx_drawables.h"
#include "glx/glx_errors.h"
#include "mora/wgl.h"
#include "platform/device_context.h"
#include "platform/x11_glx_display.h"

namespace {

using mora::glx::CoreError;
using mora::glx::GlxContext;
using mora::glx::GlxError;
using mora::glx::Request;

GLXContext NewContext(Display* dpy, const mora::glx::FbConfig* config, int screen, GLXContext share, Request request) {
    if (share != nullptr && !mora::glx::IsLiveGlxContext(share)) {
        mora::glx::RaiseError(dpy, GlxError::Context, request, 0);
        return nullptr;
    }
    GlxContext* context = mora::glx::CreateGlxContext(dpy, config, screen);
    if (context == nullptr) mora::glx::RaiseError(dpy, CoreError::Alloc, request, 0);
    return reinterpret_cast<GLXContext>(context);
}

// Puts back the WGL selection of what this thread had current, after a refused switch.
void RestoreCurrent(const mora::glx::ThreadCurrent& current) {
    if (current.drawable != nullptr) {
        wglMakeCurrent(current.drawable->deviceContext, current.drawable->renderingContext);
    }
}

Bool Release(mora::glx::ThreadCurrent& current) {
    wglMakeCurrent(nullptr, nullptr);
    mora::glx::ReleaseGlxContext(current.context);
    current = mora::glx::ThreadCurrent{};
    return True;
}

Bool MakeCurrent(Display* dpy, GLXDrawable draw, GLXDrawable read, GLXContext handle, Request request) {
    if (dpy == nullptr) return False;
    mora::glx::ThreadCurrent& current = mora::glx::CurrentOnThisThread();
    if (handle == nullptr) {
        if (draw != None || read != None) {
            mora::glx::RaiseError(dpy, CoreError::Match, request, draw);
            return False;
        }
        return Release(current);
    }
    auto* context = reinterpret_cast<GlxContext*>(handle);
    // The thread's current context stays usable until it is released, even once destroyed.
    if (context != current.context && !mora::glx::IsLiveGlxContext(handle)) {
        mora::glx::RaiseError(dpy, GlxError::Context, request, 0);
        return False;
    }
    if (context->display != dpy || draw == None || read == None) {
        mora::glx::RaiseError(dpy, CoreError::Match, request, draw);
        return False;
    }
    bool missing = false;
    mora::glx::GlxDrawable* drawable = mora::glx::AcquireDrawable(dpy, draw, &missing);
    int32_t width = 0;
    int32_t height = 0;
    if (drawable != nullptr && read != draw && !mora::platform::X11WindowSize(dpy, read, &width, &height)) {
        missing = true;
        draw = read;
        drawable = nullptr;
    }
    if (drawable == nullptr) {
        if (missing) {
            mora::glx::RaiseError(dpy, GlxError::Drawable, request, draw);
        } else {
            mora::glx::RaiseError(dpy, CoreError::Alloc, request, draw);
        }
        return False;
    }
    const bool switching = context != current.context;
    if (switching && !mora::glx::ClaimGlxContext(context)) {
        mora::glx::RaiseError(dpy, CoreError::Access, request, 0);
        return False;
    }
    if (wglMakeCurrent(drawable->deviceContext, drawable->renderingContext) == FALSE) {
        if (switching) mora::glx::ReleaseGlxContext(context);
        RestoreCurrent(current);
        mora::glx::RaiseError(dpy, CoreError::Access, request, draw);
        return False;
    }
    if (switching) mora::glx::ReleaseGlxContext(current.context);
    current = mora::glx::ThreadCurrent{context, dpy, draw, read, drawable};
    if (!context->madeCurrent) {
        context->madeCurrent = true;
        if (mora::glx::WindowSize(*drawable, &width, &height)) {
            mora::api::SetFirstViewport(width, height);
        }
    }
    return True;
}

}  // namespace

extern "C" {

GLXContext glXCreateContext(Display* dpy, XVisualInfo* vis, GLXContext shareList, Bool) try {
    if (dpy == nullptr) return nullptr;
    mora::platform::X11Visual given;
    mora::platform::X11Visual ours;
    if (!mora::platform::X11VisualInfoIdentity(vis, &given) ||
        !mora::platform::FindX11TrueColorVisual(dpy, given.screen, &ours) || ours.id != given.id) {
        mora::glx::RaiseError(dpy, CoreError::Value, Request::CreateContext, 0);
        return nullptr;
    }
    return NewContext(dpy, &mora::glx::kDoubleBufferedConfig, given.screen, shareList, Request::CreateContext);
} MORA_ENTRY_BOUNDARY(nullptr)

GLXContext glXCreateNewContext(Display* dpy, GLXFBConfig config, int renderType, GLXContext shareList, Bool) try {
    if (dpy == nullptr) return nullptr;
    const mora::glx::FbConfig* record = mora::glx::ConfigFromHandle(config);
    if (record == nullptr) {
        mora::glx::RaiseError(dpy, GlxError::FbConfig, Request::CreateNewContext, 0);
        return nullptr;
    }
    if (renderType != mora::glx::kRgbaType) {
        mora::glx::RaiseError(dpy, CoreError::Value, Request::CreateNewContext, 0);
        return nullptr;
    }
    return NewContext(dpy, record, mora::platform::X11DefaultScreen(dpy), shareList, Request::CreateNewContext);
} MORA_ENTRY_BOUNDARY(nullptr)

GLXContext glXCreateContextAttribsARB(Display* dpy, GLXFBConfig config, GLXContext shareContext, Bool,
                                      const int* attribList) try {
    if (dpy == nullptr) return nullptr;
    const mora::glx::FbConfig* record = mora::glx::ConfigFromHandle(config);
    if (record == nullptr) {
        mora::glx::RaiseError(dpy, GlxError::FbConfig, Request::CreateContextAttribs, 0);
        return nullptr;
    }
    switch (mora::glx::CheckContextAttributes(attribList)) {
        case mora::glx::AttributeVerdict::Accept: break;
        case mora::glx::AttributeVerdict::Unsupported:
            mora::glx::RaiseError(dpy, GlxError::FbConfig, Request::CreateContextAttribs, 0);
            return nullptr;
        case mora::glx::AttributeVerdict::Mismatch:
            mora::glx::RaiseError(dpy, CoreError::Match, Request::CreateContextAttribs, 0);
            return nullptr;
        case mora::glx::AttributeVerdict::Undefined:
            mora::glx::RaiseError(dpy, CoreError::Value, Request::CreateContextAttribs, 0);
            return nullptr;
        case mora::glx::AttributeVerdict::UnknownProfile:
            mora::glx::RaiseError(dpy, GlxError::Profile, Request::CreateContextAttribs, 0);
            return nullptr;
    }
    return NewContext(dpy, record, mora::platform::X11DefaultScreen(dpy), shareContext, Request::CreateContextAttribs);
} MORA_ENTRY_BOUNDARY(nullptr)

void glXDestroyContext(Display* dpy, GLXContext ctx) try {
    if (dpy == nullptr || ctx == nullptr) return;
    if (!mora::glx::DestroyGlxContext(ctx)) mora::glx::RaiseError(dpy, GlxError::Context, Request::DestroyContext, 0);
} MORA_ENTRY_BOUNDARY()

Bool glXMakeCurrent(Display* dpy, GLXDrawable drawable, GLXContext ctx) try {
    return MakeCurrent(dpy, drawable, drawable, ctx, Request::MakeCurrent);
} MORA_ENTRY_BOUNDARY(False)

Bool glXMakeContextCurrent(Display* dpy, GLXDrawable draw, GLXDrawable read, GLXContext ctx) try {
    return MakeCurrent(dpy, draw, read, ctx, Request::MakeContextCurrent);
} MORA_ENTRY_BOUNDARY(False)

GLXContext glXGetCurrentContext(void) { return reinterpret_cast<GLXContext>(mora::glx::CurrentOnThisThread().context); }
GLXDrawable glXGetCurrentDrawable(void) { return mora::glx::CurrentOnThisThread().draw; }
GLXDrawable glXGetCurrentReadDrawable(void) { return mora::glx::CurrentOnThisThread().read; }
Display* glXGetCurrentDisplay(void) { return static_cast<Display*>(mora::glx::CurrentOnThisThread().display); }

Bool glXIsDirect(Display* dpy, GLXContext ctx) try {
    if (dpy == nullptr) return False;
    if (mora::glx::IsLiveGlxContext(ctx)) return True;
    mora::glx::RaiseError(dpy, GlxError::Context, Request::CreateContext, 0);
    return False;
} MORA_ENTRY_BOUNDARY(False)

int glXQueryContext(Display* dpy, GLXContext ctx, int attribute, int* value) try {
    if (dpy == nullptr) return mora::glx::kNoExtension;
    if (!mora::glx::IsLiveGlxContext(ctx)) {
        mora::glx::RaiseError(dpy, GlxError::Context, Request::QueryContext, 0);
        return mora::glx::kBadContext;
    }
    const auto* context = reinterpret_cast<const GlxContext*>(ctx);
    int v = 0;
    switch (attribute) {
        case mora::glx::kFbConfigId: v = context->config->id; break;
        case mora::glx::kRenderType: v = mora::glx::kRgbaType; break;
        case mora::glx::kScreen: v = context->screen; break;
        default: return mora::glx::kBadAttribute;
    }
    if (value != nullptr) *value = v;
    return mora::glx::kSuccess;
} MORA_ENTRY_BOUNDARY(mora::glx::kBadContext)

// There is one GL state in the driver: a copy between two contexts has nothing to move.
void glXCopyContext(Display* dpy, GLXContext src, GLXContext dst, unsigned long) try {
    if (dpy == nullptr) return;
    if (!mora::glx::IsLiveGlxContext(src) || !mora::glx::IsLiveGlxContext(dst)) {
        mora::glx::RaiseError(dpy, GlxError::Context, Request::CreateContext, 0);
    }
} MORA_ENTRY_BOUNDARY()

}  // extern "C"
