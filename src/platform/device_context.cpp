// Device-context records and their registry: a handle is only ever dereferenced after the
// registry has confirmed it, so a stale or made-up HDC is answered as "no window".
#include "platform/device_context.h"

#include <algorithm>
#include <new>
#include <vector>

#include "platform/mutex.h"

namespace mora::platform {

namespace {

struct DeviceContextRegistry {
    Mutex lock;
    std::vector<const DeviceContext*> live;
};

// Never destroyed: an application may release its device contexts from its own static
// destructors, after ours would have run.
DeviceContextRegistry& Registry() {
    static DeviceContextRegistry* registry = new DeviceContextRegistry;
    return *registry;
}

bool RegisteredLocked(const DeviceContextRegistry& registry, const void* handle) {
    return handle != nullptr && std::find(registry.live.begin(), registry.live.end(), handle) != registry.live.end();
}

DeviceContext* Register(DeviceContext* context) {
    if (context == nullptr) return nullptr;
    DeviceContextRegistry& registry = Registry();
    MutexLock hold(registry.lock);
    try {
        registry.live.push_back(context);
    } catch (const std::bad_alloc&) {
        delete context;
        return nullptr;
    }
    return context;
}

}  // namespace

DeviceContext* CreateOffscreenDeviceContext(std::int32_t width, std::int32_t height) {
    auto* context = new (std::nothrow) DeviceContext;
    if (context == nullptr) return nullptr;
    context->window.kind = WindowKind::Offscreen;
    context->window.clientWidth = std::max(width, 0);
    context->window.clientHeight = std::max(height, 0);
    return Register(context);
}

DeviceContext* CreateX11DeviceContext(void* display, std::uint64_t window) {
    if (window == 0) return nullptr;
    auto* context = new (std::nothrow) DeviceContext;
    if (context == nullptr) return nullptr;
    context->window.kind = WindowKind::X11;
    context->window.display = display;
    context->window.x11Window = window;
    return Register(context);
}

bool DestroyDeviceContext(const void* handle) {
    DeviceContextRegistry& registry = Registry();
    {
        MutexLock hold(registry.lock);
        const auto found = std::find(registry.live.begin(), registry.live.end(), handle);
        if (handle == nullptr || found == registry.live.end()) return false;
        registry.live.erase(found);
    }
    delete static_cast<const DeviceContext*>(handle);
    return true;
}

bool IsDeviceContext(const void* handle) {
    DeviceContextRegistry& registry = Registry();
    MutexLock hold(registry.lock);
    return RegisteredLocked(registry, handle);
}

const Window* WindowFromDC(const void* handle) {
    if (!IsDeviceContext(handle)) return SystemWindowFromDC(handle);
    return &static_cast<const DeviceContext*>(handle)->window;
}

bool GetClientRect(const Window* window, ClientRect* rect) {
    if (window == nullptr || rect == nullptr) return false;
    std::int32_t width = window->clientWidth;
    std::int32_t height = window->clientHeight;
    if (window->kind != WindowKind::Offscreen && !SystemWindowSize(*window, &width, &height)) {
        return false;
    }
    *rect = ClientRect{0, 0, width, height};
    return true;
}

}  // namespace mora::platform
