// GLX drawable records (see glx_drawables.h). Records are looked up under a lock and never move;
// one is freed only by glXDestroyWindow.
#include "glx/glx_drawables.h"

#include <algorithm>
#include <new>
#include <vector>

#include "mora/mora_dc.h"
#include "platform/device_context.h"
#include "platform/mutex.h"

namespace mora::glx {

namespace {

struct DrawableRegistry {
    platform::Mutex lock;
    std::vector<GlxDrawable*> live;
};

// Never destroyed: programs release GLX objects from their own static destructors too.
DrawableRegistry& Registry() {
    static auto* registry = new DrawableRegistry;
    return *registry;
}

GlxDrawable* FindLocked(DrawableRegistry& registry, void* display, uint64_t window) {
    for (GlxDrawable* drawable : registry.live) {
        if (drawable->display == display && drawable->window == window) return drawable;
    }
    return nullptr;
}

void FreeDrawable(GlxDrawable* drawable) {
    if (drawable->renderingContext != nullptr) wglDeleteContext(drawable->renderingContext);
    if (drawable->deviceContext != nullptr) moraDestroyOffscreenDC(drawable->deviceContext);
    delete drawable;
}

}  // namespace

bool WindowSize(const GlxDrawable& drawable, int32_t* width, int32_t* height) {
    return platform::X11WindowSize(drawable.display, drawable.window, width, height);
}

GlxDrawable* FindDrawable(void* display, uint64_t window) {
    DrawableRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    return FindLocked(registry, display, window);
}

GlxDrawable* AcquireDrawable(void* display, uint64_t window, bool* missing) {
    *missing = false;
    if (GlxDrawable* known = FindDrawable(display, window)) return known;
    auto* drawable = new (std::nothrow) GlxDrawable;
    if (drawable == nullptr) return nullptr;
    drawable->display = display;
    drawable->window = window;
    if (window == 0 || !WindowSize(*drawable, &drawable->width, &drawable->height)) {
        *missing = true;
        delete drawable;
        return nullptr;
    }
    drawable->deviceContext = moraCreateX11DC(display, static_cast<unsigned long>(window));
    drawable->renderingContext =
        drawable->deviceContext != nullptr ? wglCreateContext(drawable->deviceContext) : nullptr;
    if (drawable->renderingContext == nullptr) {
        FreeDrawable(drawable);
        return nullptr;
    }
    DrawableRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    // Another thread may have made the same record meanwhile: keep the first.
    if (GlxDrawable* raced = FindLocked(registry, display, window)) {
        FreeDrawable(drawable);
        return raced;
    }
    try {
        registry.live.push_back(drawable);
    } catch (const std::bad_alloc&) {
        FreeDrawable(drawable);
        return nullptr;
    }
    return drawable;
}

void ForgetDrawable(GlxDrawable* drawable) {
    DrawableRegistry& registry = Registry();
    {
        platform::MutexLock hold(registry.lock);
        const auto found = std::find(registry.live.begin(), registry.live.end(), drawable);
        if (found == registry.live.end()) return;
        registry.live.erase(found);
    }
    FreeDrawable(drawable);
}

void FollowWindowSize(GlxDrawable& drawable) {
    int32_t width = 0;
    int32_t height = 0;
    if (!WindowSize(drawable, &width, &height) || width < 1 || height < 1) return;
    if (width == drawable.width && height == drawable.height && drawable.renderingContext != nullptr) return;
    // The recorded frame lives in the driver's GL state, not in the rendering context: only the
    // Surface is replaced, and the pending commands render into the new one.
    wglMakeCurrent(nullptr, nullptr);
    if (drawable.renderingContext != nullptr) wglDeleteContext(drawable.renderingContext);
    drawable.renderingContext = wglCreateContext(drawable.deviceContext);
    drawable.width = width;
    drawable.height = height;
    if (drawable.renderingContext != nullptr) wglMakeCurrent(drawable.deviceContext, drawable.renderingContext);
}

}  // namespace mora::glx
