// The GDI target: frames are composed straight into the window output's image and copied onto
// the window's client area.
#include <cstdint>

#include "platform/gdi_output.h"
#include "present/present_target.h"
#include "present/win32/present_target_d3d11.h"

namespace mora {

namespace {

void Report(const platform::GdiFailure& gdi, PresentFailure* failure) {
    if (failure != nullptr) *failure = PresentFailure{gdi.step, gdi.code};
}

bool OpenGdi(void* window, int32_t width, int32_t height, void** state, PresentFailure* failure) {
    platform::GdiFailure gdi;
    platform::GdiOutput* output = platform::OpenGdiOutput(window, width, height, &gdi);
    if (output == nullptr) {
        Report(gdi, failure);
        return false;
    }
    *state = output;
    return true;
}

bool ResizeGdi(void* state, int32_t width, int32_t height, PresentFailure* failure) {
    platform::GdiFailure gdi;
    if (platform::ResizeGdiOutput(static_cast<platform::GdiOutput*>(state), width, height, &gdi)) return true;
    Report(gdi, failure);
    return false;
}

ImageView GdiImage(void* state) {
    auto* output = static_cast<platform::GdiOutput*>(state);
    uint32_t pitch = 0;
    uint8_t* pixels = platform::GdiOutputPixels(output, &pitch);
    if (pixels == nullptr) return ImageView{};
    int32_t width = 0;
    int32_t height = 0;
    platform::GdiOutputSize(output, &width, &height);
    return ImageView{pixels, pitch, width, height};
}

bool ShowGdi(void* state, PresentFailure* failure) {
    platform::GdiFailure gdi;
    if (platform::ShowGdiOutput(static_cast<platform::GdiOutput*>(state), &gdi)) return true;
    Report(gdi, failure);
    return false;
}

void CloseGdi(void* state) { platform::CloseGdiOutput(static_cast<platform::GdiOutput*>(state)); }

constexpr PresentTarget kGdiTarget{"gdi", OpenGdi, ResizeGdi, GdiImage, ShowGdi, CloseGdi};

}  // namespace

const PresentTarget& GdiPresentTarget() { return kGdiTarget; }

}  // namespace mora
