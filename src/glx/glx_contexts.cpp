// GLX context records and the thread's current GLX state.
#include "glx/glx_contexts.h"

#include <algorithm>
#include <new>
#include <vector>

#include "platform/mutex.h"

namespace mora::glx {

namespace {

struct ContextRegistry {
    platform::Mutex lock;
    std::vector<GlxContext*> live;
};

// Never destroyed: programs destroy contexts from their own static destructors too.
ContextRegistry& Registry() {
    static auto* registry = new ContextRegistry;
    return *registry;
}

thread_local ThreadCurrent tCurrent;
// Its address tells the threads apart.
thread_local char tThreadToken;

bool LiveLocked(const ContextRegistry& registry, const void* handle) {
    return handle != nullptr && std::find(registry.live.begin(), registry.live.end(), handle) != registry.live.end();
}

void EraseLocked(ContextRegistry& registry, GlxContext* context) {
    registry.live.erase(std::find(registry.live.begin(), registry.live.end(), context));
    delete context;
}

}  // namespace

ThreadCurrent& CurrentOnThisThread() { return tCurrent; }

GlxContext* CreateGlxContext(void* display, const FbConfig* config, int32_t screen) {
    auto* context = new (std::nothrow) GlxContext{display, config, screen, nullptr, false};
    if (context == nullptr) return nullptr;
    ContextRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    try {
        registry.live.push_back(context);
    } catch (const std::bad_alloc&) {
        delete context;
        return nullptr;
    }
    return context;
}

bool IsLiveGlxContext(const void* handle) {
    ContextRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    return LiveLocked(registry, handle) && !static_cast<const GlxContext*>(handle)->destroyPending;
}

bool DestroyGlxContext(const void* handle) {
    ContextRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    if (!LiveLocked(registry, handle)) return false;
    auto* context = static_cast<GlxContext*>(const_cast<void*>(handle));
    if (context->owner != nullptr) {
        // Destroying it again while it is still current changes nothing.
        context->destroyPending = true;
    } else {
        EraseLocked(registry, context);
    }
    return true;
}

bool ClaimGlxContext(GlxContext* context) {
    ContextRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    if (!LiveLocked(registry, context) || context->destroyPending) return false;
    if (context->owner != nullptr && context->owner != &tThreadToken) return false;
    context->owner = &tThreadToken;
    return true;
}

void ReleaseGlxContext(GlxContext* context) {
    if (context == nullptr) return;
    ContextRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    if (!LiveLocked(registry, context) || context->owner != &tThreadToken) return;
    context->owner = nullptr;
    if (context->destroyPending) EraseLocked(registry, context);
}

}  // namespace mora::glx
