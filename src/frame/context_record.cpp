// Context records, their registry and the per-thread current context. Handles coming from the
// application are looked up in the registry before they are used, so a deleted, stale or made-up
// HGLRC is refused instead of being dereferenced.
#include "frame/context_record.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>

#include "entry/thread_record.h"
#include "platform/device_context.h"
#include "platform/mutex.h"
#include "present/dxgi_present.h"

namespace mora {

namespace {

// A registry slot: the live record in it (null when free) and its generation, which changes each
// time the slot is freed so that an old handle to it stops matching.
struct ContextSlot {
    ContextRecord* record = nullptr;
    uintptr_t generation = 1;
};

// A handle is (generation << kSlotBits) | (slot index + 1): never null, and never the address of
// anything, so a made-up or stale handle is found out by lookup instead of dereferenced.
constexpr int kSlotBits = 16;
constexpr uintptr_t kSlotMask = (uintptr_t{1} << kSlotBits) - 1;
constexpr std::size_t kMaxContextSlots = kSlotMask;  // live contexts at once
constexpr uintptr_t kMaxGeneration = ~uintptr_t{0} >> kSlotBits;

struct ContextRegistry {
    platform::Mutex lock;
    std::vector<ContextSlot> slots;
    std::vector<uint32_t> freeSlots;  // capacity kept at slots.size(), so freeing never allocates
    uint32_t threadSerials = 0;
};

// Never destroyed: applications delete contexts from their own static destructors too.
ContextRegistry& Registry() {
    static ContextRegistry* registry = new ContextRegistry;
    return *registry;
}

// Serial of the thread whose current context the GL state serves, 0 when none. Changed under the
// registry lock; read without it only to refuse a claim early.
std::atomic<uint32_t> gGlStateOwner{0};

std::atomic<uint64_t> gPresentSerial{0};

uintptr_t HandleOf(const ContextSlot& slot, std::size_t index) {
    return slot.generation << kSlotBits | (static_cast<uintptr_t>(index) + 1);
}

// The slot index of a live handle, or -1. Called with the registry lock held.
int64_t SlotOfHandleLocked(const ContextRegistry& registry, const void* handle) {
    const auto value = reinterpret_cast<uintptr_t>(handle);
    const uintptr_t index = (value & kSlotMask) - 1;
    if ((value & kSlotMask) == 0 || index >= registry.slots.size()) return -1;
    const ContextSlot& slot = registry.slots[index];
    if (slot.record == nullptr || HandleOf(slot, index) != value) return -1;
    return static_cast<int64_t>(index);
}

int64_t SlotOfRecordLocked(const ContextRegistry& registry, const ContextRecord* context) {
    if (context == nullptr) return -1;
    for (std::size_t i = 0; i < registry.slots.size(); ++i) {
        if (registry.slots[i].record == context) return static_cast<int64_t>(i);
    }
    return -1;
}

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
    for (const ContextSlot& slot : registry.slots) {
        const ContextRecord* context = slot.record;
        if (context == nullptr || hdc == nullptr || context->deviceContext != hdc ||
            context->surface.presentedFrames == 0) {
            continue;
        }
        if (latest == nullptr || context->presentSerial > latest->presentSerial) latest = context;
    }
    return latest;
}

// The calling thread stops using its context and, if it drew, the GL state is free for the next
// thread with a context. Called with the registry lock held.
void ReleaseCurrentLocked(ThreadRecord& thread) {
    if (auto* context = static_cast<ContextRecord*>(thread.currentContext)) context->currentThread = 0;
    thread.currentContext = nullptr;
    if (thread.drawsGlState) {
        thread.drawsGlState = false;
        gGlStateOwner.store(0, std::memory_order_relaxed);
    }
}

// Armed when the thread first selects a context (see ReleaseEndingThreadContext).
#if !defined(_WIN32)
struct ReleaseAtThreadExit {
    bool armed = false;
    ~ReleaseAtThreadExit() {
        if (armed) ReleaseEndingThreadContext();
    }
};
thread_local ReleaseAtThreadExit tReleaseAtExit;
#endif

bool SetCurrentLocked(ContextRegistry& registry, ThreadRecord& thread, ContextRecord* context) {
    if (thread.serial == 0) {
        thread.serial = ++registry.threadSerials;
#if !defined(_WIN32)
        tReleaseAtExit.armed = true;
#endif
    }
    if (context != nullptr && context->currentThread != 0 && context->currentThread != thread.serial) return false;
    if (context == nullptr || context != thread.currentContext) {
        const bool drew = thread.drawsGlState;
        ReleaseCurrentLocked(thread);
        // Switching contexts keeps this thread the one that draws.
        if (drew && context != nullptr) {
            thread.drawsGlState = true;
            gGlStateOwner.store(thread.serial, std::memory_order_relaxed);
        }
    }
    if (context == nullptr) return true;
    thread.currentContext = context;
    context->currentThread = thread.serial;
    if (!thread.drawsGlState && gGlStateOwner.load(std::memory_order_relaxed) == 0) {
        thread.drawsGlState = true;
        gGlStateOwner.store(thread.serial, std::memory_order_relaxed);
    }
    return true;
}

// Unregisters the record in slot `index` unless it is current on another thread; the caller frees
// it after unlocking. Called with the registry lock held.
ContextRecord* UnregisterLocked(ContextRegistry& registry, int64_t index) {
    if (index < 0) return nullptr;
    ContextSlot& slot = registry.slots[static_cast<std::size_t>(index)];
    ContextRecord* context = slot.record;
    ThreadRecord& thread = CurrentThreadRecord();
    if (context->currentThread != 0) {
        if (context->currentThread != thread.serial) return nullptr;
        ReleaseCurrentLocked(thread);
    }
    slot.record = nullptr;
    slot.generation = slot.generation == kMaxGeneration ? 1 : slot.generation + 1;
    registry.freeSlots.push_back(static_cast<uint32_t>(index));  // capacity reserved at registration
    context->handle = 0;
    return context;
}

}  // namespace

bool ClaimGlState(ThreadRecord& thread) noexcept {
    if (thread.currentContext == nullptr || gGlStateOwner.load(std::memory_order_relaxed) != 0) return false;
    ContextRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    if (thread.currentContext != nullptr && gGlStateOwner.load(std::memory_order_relaxed) == 0) {
        thread.drawsGlState = true;
        gGlStateOwner.store(thread.serial, std::memory_order_relaxed);
    }
    return thread.drawsGlState;
}

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
        std::size_t index = 0;
        if (!registry.freeSlots.empty()) {
            index = registry.freeSlots.back();
            registry.freeSlots.pop_back();
        } else {
            if (registry.slots.size() >= kMaxContextSlots) throw std::bad_alloc();
            registry.freeSlots.reserve(registry.slots.size() + 1);
            registry.slots.emplace_back();
            index = registry.slots.size() - 1;
        }
        registry.slots[index].record = context;
        context->handle = HandleOf(registry.slots[index], index);
    } catch (const std::bad_alloc&) {
        FreeContextRecord(context);
        return nullptr;
    }
    return context;
}

void* ContextHandle(const ContextRecord* context) {
    return context != nullptr ? reinterpret_cast<void*>(context->handle) : nullptr;
}

ContextRecord* ContextFromHandle(const void* handle) {
    ContextRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    const int64_t index = SlotOfHandleLocked(registry, handle);
    return index < 0 ? nullptr : registry.slots[static_cast<std::size_t>(index)].record;
}

bool DeleteContextRecord(const void* handle) {
    ContextRegistry& registry = Registry();
    ContextRecord* context = nullptr;
    {
        platform::MutexLock hold(registry.lock);
        context = UnregisterLocked(registry, SlotOfHandleLocked(registry, handle));
    }
    if (context == nullptr) return false;
    FreeContextRecord(context);
    return true;
}

bool DeleteContextRecord(ContextRecord* context) {
    ContextRegistry& registry = Registry();
    {
        platform::MutexLock hold(registry.lock);
        context = UnregisterLocked(registry, SlotOfRecordLocked(registry, context));
    }
    if (context == nullptr) return false;
    FreeContextRecord(context);
    return true;
}

bool IsLiveContext(const void* handle) {
    ContextRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    return SlotOfHandleLocked(registry, handle) >= 0;
}

void ReleaseEndingThreadContext() noexcept {
    ThreadRecord* thread = CurrentThreadRecordIfPresent();
    if (thread == nullptr) return;
    if (thread->serial != 0) {
        ContextRegistry& registry = Registry();
        platform::MutexLock hold(registry.lock);
        ReleaseCurrentLocked(*thread);
    }
    ForgetCurrentThreadRecord();
}

ContextRecord* CurrentContextRecord() { return static_cast<ContextRecord*>(CurrentThreadRecord().currentContext); }

bool SetCurrentContextRecord(ContextRecord* context) {
    ContextRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    return SetCurrentLocked(registry, CurrentThreadRecord(), context);
}

bool MakeContextCurrent(const void* handle) {
    ContextRegistry& registry = Registry();
    platform::MutexLock hold(registry.lock);
    ThreadRecord& thread = CurrentThreadRecord();
    if (handle == nullptr) return SetCurrentLocked(registry, thread, nullptr);
    const int64_t index = SlotOfHandleLocked(registry, handle);
    if (index >= 0 && SetCurrentLocked(registry, thread, registry.slots[static_cast<std::size_t>(index)].record)) {
        return true;
    }
    SetCurrentLocked(registry, thread, nullptr);
    return false;
}

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
