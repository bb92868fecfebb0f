// Context records, their registry and the per-thread current context. Handles coming from the
// application are looked up in the registry before they are used, so a deleted or made-up HGLRC
// is refused instead of being dereferenced.
#include "wgl/context_record.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>

#include "platform/device_context.h"
#include "platform/mutex.h"
#include "present/dxgi_present.h"
#include "wgl/thread_record.h"

namespace mora {

namespace {

struct ContextRegistry {
    platform::Mutex lock;
    std::vector<ContextRecord*> live;
};

// Never destroyed: applications delete contexts from their own static destructors too.
ContextRegistry& Registry() {
    static ContextRegistry* registry = new ContextRegistry;
    return *registry;
}

bool RegisteredLocked(const ContextRegistry& registry, const void* handle) {
    return handle != nullptr && std::find(registry.live.begin(), registry.live.end(), handle) != registry.live.end();
}

std::atomic<uint64_t> gPresentSerial{0};

// The client size for a new Surface: the window's client rectangle, an empty side replaced by the
// default; the default size when the rectangle cannot be read.
void ClientSizeOf(const platform::Window* window, int32_t* width, int32_t* height) {
    platform::ClientRect rect;
    if (window != nullptr && platform::GetClientRect(window, &rect)) {
        const int32_t w = rect.right - rect.left;
        const int32_t h = rect.bottom - rect.top;
        *width = w < 1 ? kDefaultSurfaceWidth : w;
        *height = h < 1 ? kDefaultSurfaceHeight : h;
        return;
    }
    *width = kDefaultSurfaceWidth;
    *height = kDefaultSurfaceHeight;
}

void FreeContextRecord(ContextRecord* context) {
    ReleaseSurface(context->surface);
    context->deviceContext = nullptr;
    Shutdown(context->surface.presenter);
    delete context;
}

// The live context on hdc that presented last, or null. Called with the registry lock held.
const ContextRecord* LatestPresenterLocked(const ContextRegistry& registry, HDC hdc) {
    const ContextRecord* latest = nullptr;
    for (const ContextRecord* context : registry.live) {
        if (hdc == nullptr || context->deviceContext != hdc || context->surface.presentedFrames == 0) continue;
        if (latest == nullptr || context->presentSerial > latest->presentSerial) latest = context;
    }
    return latest;
}

}  // namespace

ContextRecord* CreateContextRecord(HDC hdc) {
    auto* context = new (std::nothrow) ContextRecord;
    if (context == nullptr) return nullptr;
    context->deviceContext = hdc;
    const platform::Window* window = platform::WindowFromDC(hdc);
    int32_t width = 0;
    int32_t height = 0;
    ClientSizeOf(window, &width, &height);
    if (!CreateSurface(context->surface, width, height, window)) {
        FreeContextRecord(context);
        return nullptr;
    }
    ContextRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    try {
        registry.live.push_back(context);
    } catch (const std::bad_alloc&) {
        FreeContextRecord(context);
        return nullptr;
    }
    return context;
}

bool DeleteContextRecord(const void* handle) {
    ContextRegistry& registry = Registry();
    {
        platform::MutexLock hold(registry.lock);
        const auto found = std::find(registry.live.begin(), registry.live.end(), handle);
        if (handle == nullptr || found == registry.live.end()) return false;
        registry.live.erase(found);
    }
    ThreadRecord& thread = CurrentThreadRecord();
    if (thread.currentContext == handle) thread.currentContext = nullptr;
    FreeContextRecord(static_cast<ContextRecord*>(const_cast<void*>(handle)));
    return true;
}

bool IsLiveContext(const void* handle) {
    ContextRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    return RegisteredLocked(registry, handle);
}

ContextRecord* CurrentContextRecord() {
    ThreadRecord& thread = CurrentThreadRecord();
    if (thread.currentContext == nullptr) return nullptr;
    if (!IsLiveContext(thread.currentContext)) {
        thread.currentContext = nullptr;
        return nullptr;
    }
    return static_cast<ContextRecord*>(thread.currentContext);
}

void SetCurrentContextRecord(ContextRecord* context) { CurrentThreadRecord().currentContext = context; }

bool EnsureSurfaceSize(ContextRecord& context, int32_t width, int32_t height) {
    Surface& surface = context.surface;
    if (width < 1 || height < 1) return SurfaceHasBuffers(surface);
    if (SurfaceHasBuffers(surface) && surface.width >= width && surface.height >= height) return true;
    const platform::Window* window = platform::WindowFromDC(context.deviceContext);
    if (window == nullptr) return false;
    const int32_t newWidth = std::max(surface.width, width);
    const int32_t newHeight = std::max(surface.height, height);
    return CreateSurface(surface, newWidth, newHeight, window);
}

void EnsureCurrentSurfaceSize(int32_t width, int32_t height) {
    if (ContextRecord* context = CurrentContextRecord()) EnsureSurfaceSize(*context, width, height);
}

void NoteFramePresented(ContextRecord& context) {
    context.presentSerial = gPresentSerial.fetch_add(1, std::memory_order_relaxed) + 1;
}

bool PresentedFrameSize(HDC hdc, int32_t* width, int32_t* height) {
    ContextRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    const ContextRecord* context = LatestPresenterLocked(registry, hdc);
    const ImageView image = context != nullptr ? PresentedImage(context->surface.presenter) : ImageView{};
    const bool found = IsUsable(image);
    if (width != nullptr) *width = found ? image.width : 0;
    if (height != nullptr) *height = found ? image.height : 0;
    return found;
}

bool ReadPresentedFrame(HDC hdc, void* bgra, int64_t rowPitch) {
    if (bgra == nullptr) return false;
    ContextRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    const ContextRecord* context = LatestPresenterLocked(registry, hdc);
    if (context == nullptr) return false;
    const ImageView image = PresentedImage(context->surface.presenter);
    const int64_t rowBytes = static_cast<int64_t>(image.width) * 4;
    if (!IsUsable(image) || rowPitch < rowBytes) return false;
    auto* out = static_cast<uint8_t*>(bgra);
    for (int32_t y = 0; y < image.height; ++y) {
        std::memcpy(out + static_cast<uint64_t>(y) * static_cast<uint64_t>(rowPitch), ImageRow(image, y),
                    static_cast<size_t>(rowBytes));
    }
    return true;
}

}  // namespace mora
