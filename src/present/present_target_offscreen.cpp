// The offscreen target: the presented image lives in memory and stays readable until the next
// frame is composed.
#include <new>

#include "present/present_target.h"
#include "present/staging_ring.h"

namespace mora {

namespace {

struct OffscreenState {
    StagingBuffer buffer;  // same alignment and pitch rule as the staging buffers
    int32_t width = 0;
    int32_t height = 0;
};

bool ResizeOffscreen(void* state, int32_t width, int32_t height, PresentFailure* failure) {
    auto* offscreen = static_cast<OffscreenState*>(state);
    if (offscreen == nullptr || !ResizeStagingBuffer(offscreen->buffer, width, height)) {
        if (failure != nullptr) *failure = PresentFailure{"AllocatePresentedImage", kFailureOutOfMemory};
        return false;
    }
    offscreen->width = width;
    offscreen->height = height;
    return true;
}

void CloseOffscreen(void* state) {
    auto* offscreen = static_cast<OffscreenState*>(state);
    if (offscreen == nullptr) return;
    FreeStagingBuffer(offscreen->buffer);
    delete offscreen;
}

bool OpenOffscreen(void*, int32_t width, int32_t height, void** state, PresentFailure* failure) {
    auto* offscreen = new (std::nothrow) OffscreenState;
    if (offscreen == nullptr || !ResizeOffscreen(offscreen, width, height, failure)) {
        CloseOffscreen(offscreen);
        if (failure != nullptr) *failure = PresentFailure{"AllocatePresentedImage", kFailureOutOfMemory};
        return false;
    }
    *state = offscreen;
    return true;
}

ImageView OffscreenImage(void* state) {
    const auto* offscreen = static_cast<const OffscreenState*>(state);
    if (offscreen == nullptr || offscreen->buffer.base == nullptr) return ImageView{};
    return ImageView{offscreen->buffer.base, StagingRowPitch(offscreen->width), offscreen->width, offscreen->height};
}

bool ShowOffscreen(void* state, PresentFailure* failure) {
    if (state != nullptr) return true;
    if (failure != nullptr) *failure = PresentFailure{"ShowPresentedImage", kFailureUnspecified};
    return false;
}

constexpr PresentTarget kOffscreenTarget{"offscreen",    OpenOffscreen, ResizeOffscreen,
                                         OffscreenImage, ShowOffscreen, CloseOffscreen};

}  // namespace

const PresentTarget& OffscreenPresentTarget() { return kOffscreenTarget; }

}  // namespace mora
