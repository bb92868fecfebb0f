// The X11 target: frames are composed straight into the window output's image (shared memory
// where the server allows it) and put into the window.
#include <cstdint>

#include "platform/x11_output.h"
#include "present/present_target.h"

namespace mora {

namespace {

void Report(const platform::X11Failure& x11, PresentFailure* failure) {
    if (failure != nullptr) *failure = PresentFailure{x11.step, x11.code};
}

bool OpenX11(void* window, int32_t width, int32_t height, void** state, PresentFailure* failure) {
    platform::X11Failure x11;
    platform::X11Output* output =
        platform::OpenX11Output(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(window)), width, height, true, &x11);
    if (output == nullptr) {
        Report(x11, failure);
        return false;
    }
    *state = output;
    return true;
}

bool ResizeX11(void* state, int32_t width, int32_t height, PresentFailure* failure) {
    platform::X11Failure x11;
    if (platform::ResizeX11Output(static_cast<platform::X11Output*>(state), width, height, &x11)) return true;
    Report(x11, failure);
    return false;
}

ImageView X11Image(void* state) {
    auto* output = static_cast<platform::X11Output*>(state);
    uint32_t pitch = 0;
    uint8_t* pixels = platform::X11OutputPixels(output, &pitch);
    if (pixels == nullptr) return ImageView{};
    int32_t width = 0;
    int32_t height = 0;
    platform::X11OutputSize(output, &width, &height);
    return ImageView{pixels, pitch, width, height};
}

bool ShowX11(void* state, PresentFailure* failure) {
    platform::X11Failure x11;
    if (platform::ShowX11Output(static_cast<platform::X11Output*>(state), &x11)) return true;
    Report(x11, failure);
    return false;
}

void CloseX11(void* state) { platform::CloseX11Output(static_cast<platform::X11Output*>(state)); }

constexpr PresentTarget kX11Target{"x11", OpenX11, ResizeX11, X11Image, ShowX11, CloseX11};

}  // namespace

const PresentTarget& X11PresentTarget() { return kX11Target; }

const PresentTarget& WindowPresentTarget() { return kX11Target; }

}  // namespace mora
