// Surface creation, release and present.
#include "frame/surface.h"

#include <cstdint>
#include <new>

#include "diag/trace.h"
#include "present/present_target.h"

namespace mora {

namespace {

constexpr char kCreateContext[] = "MORA::Surface::Create";

// The present target for a drawable and the window token it understands: the offscreen target
// ignores the token (the window record serves as a non-null one), the X11 target takes the window id.
const PresentTarget& TargetForWindow(const platform::Window& window, void** token) {
    if (window.kind == platform::WindowKind::X11) {
        *token = reinterpret_cast<void*>(static_cast<uintptr_t>(window.x11Window));
        return WindowPresentTarget();
    }
    if (window.kind == platform::WindowKind::Win32) {
        *token = window.hwnd;
        return WindowPresentTarget();
    }
    *token = const_cast<platform::Window*>(&window);
    return OffscreenPresentTarget();
}

// Colour memory of the frame the presenter has mapped: pointer and pitch, or null and 0.
void TakeFrameMemory(Surface& surface) {
    void* data = nullptr;
    uint32_t pitch = 0;
    if (BeginFrame(surface.presenter, &data, &pitch) && data != nullptr && pitch <= INT32_MAX) {
        surface.colourBase = static_cast<uint8_t*>(data);
        surface.colourPitch = static_cast<int32_t>(pitch);
    } else {
        surface.colourBase = nullptr;
        surface.colourPitch = 0;
    }
}

}  // namespace

bool CreateSurface(Surface& surface, int32_t width, int32_t height, const platform::Window* window) {
    ReleaseSurface(surface);
    if (width < 1 || height < 1 || window == nullptr) return false;
    void* token = nullptr;
    const PresentTarget& target = TargetForWindow(*window, &token);
    if (!Init(surface.presenter, target, token, width, height, width, height)) {
        TraceLine(kCreateContext, "(DxgiPresent::Init failed; w=%d h=%d render=%dx%d)", width, height, width, height);
        return false;
    }
    TakeFrameMemory(surface);
    if (surface.colourBase == nullptr) {
        TraceLine(kCreateContext, "(BeginFrame returned false after Init)");
        ReleaseSurface(surface);
        return false;
    }
    const uint64_t depthValues = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    surface.depthBuffer = new (std::nothrow) float[depthValues];
    if (surface.depthBuffer == nullptr) {
        ReleaseSurface(surface);
        return false;
    }
    surface.width = width;
    surface.height = height;
    return true;
}

void ReleaseSurface(Surface& surface) {
    Shutdown(surface.presenter);
    delete[] surface.depthBuffer;
    surface.depthBuffer = nullptr;
    surface.colourBase = nullptr;
    surface.width = 0;
    surface.height = 0;
    surface.colourPitch = 0;
    surface.presentedFrames = 0;
}

bool SurfaceHasBuffers(const Surface& surface) {
    return surface.colourBase != nullptr && surface.depthBuffer != nullptr;
}

bool PresentSurface(Surface& surface) {
    if (!SurfaceHasBuffers(surface)) return false;
    if (!PresentSwapChain(surface.presenter)) {
        surface.colourBase = nullptr;
        surface.colourPitch = 0;
        return false;
    }
    ++surface.presentedFrames;
    TakeFrameMemory(surface);
    return true;
}

SurfaceView ViewOfSurface(const Surface& surface) {
    SurfaceView view;
    view.colourBase = surface.colourBase;
    view.colourPitch = surface.colourPitch;
    view.width = surface.width;
    view.height = surface.height;
    view.depthBuffer = surface.depthBuffer;
    return view;
}

}  // namespace mora
