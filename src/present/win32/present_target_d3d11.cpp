// The Direct3D 11 target: the renderer draws into mapped staging textures and the GPU runs the
// colour pass and the overlay text. Every failed step goes to the trace under the Init context;
// the presenter then falls back to GDI.
#include "present/win32/present_target_d3d11.h"

#include "platform/d3d11_output.h"
#include "present/post_process.h"
#include "present/present_trace.h"

namespace mora {

namespace {

static_assert(sizeof(PostProcessConstants) == platform::kD3d11ConstantBytes);

platform::D3d11Output* Output(void* state) { return static_cast<platform::D3d11Output*>(state); }

void Report(const platform::D3d11Failure& failure, PresentFailure* out) {
    if (out != nullptr) *out = PresentFailure{failure.step, failure.code};
}

void TraceNonFatal(const platform::D3d11Failure& failure) {
    TracePresentStep(kInitContext, PresentFailure{failure.step, failure.code});
}

// Set while this thread builds a Direct3D output. A Direct3D built on OpenGL (Wine's wined3d)
// binds its GL calls to this driver when it is loaded as opengl32.dll: its device creation then
// creates one of our contexts, whose surface would build a Direct3D output again, without end.
// The nested build fails at once, so that context presents through GDI and wined3d, finding our
// GL too old, reports the device unsupported.
thread_local bool t_opening = false;

bool OpenD3d11(void* window, int32_t width, int32_t height, void** state, PresentFailure* failure) {
    if (t_opening) {
        if (failure != nullptr) *failure = PresentFailure{"D3D11CreateDevice(HARDWARE)", 0x887A0004u};  // UNSUPPORTED
        return false;
    }
    t_opening = true;
    PostProcessConstants constants;
    BuildPostProcessConstants(&constants);
    platform::D3d11Failure d3d;
    platform::D3d11Output* output = platform::OpenD3d11Output(window, width, height, &constants, TraceNonFatal, &d3d);
    t_opening = false;
    if (output == nullptr) {
        Report(d3d, failure);
        return false;
    }
    *state = output;
    return true;
}

bool ResizeD3d11(void* state, int32_t width, int32_t height, PresentFailure* failure) {
    platform::D3d11Failure d3d;
    if (platform::ResizeD3d11Output(Output(state), width, height, &d3d)) return true;
    Report(d3d, failure);
    return false;
}

// Nothing is read back: the frame exists only on the GPU.
ImageView NoImage(void*) { return ImageView{}; }

bool ShowNothing(void*, PresentFailure* failure) {
    if (failure != nullptr) *failure = PresentFailure{"Present", kFailureUnspecified};
    return false;
}

void CloseD3d11(void* state) { platform::CloseD3d11Output(Output(state)); }

bool SizeStaging(void* state, int32_t width, int32_t height, PresentFailure* failure) {
    platform::D3d11Failure d3d;
    if (platform::SizeD3d11Staging(Output(state), width, height, &d3d)) return true;
    Report(d3d, failure);
    return false;
}

bool MapStaging(void* state, int32_t index, ImageView* image, PresentFailure* failure) {
    platform::D3d11Failure d3d;
    uint8_t* data = nullptr;
    uint32_t pitch = 0;
    if (!platform::MapD3d11Staging(Output(state), index, &data, &pitch, &d3d)) {
        Report(d3d, failure);
        return false;
    }
    *image = ImageView{data, pitch, 0, 0};
    return true;
}

bool PresentStaging(void* state, int32_t index, const PostProcessConstants& constants, const char* overlayText,
                    PresentFailure* failure) {
    platform::D3d11Failure d3d;
    if (platform::PresentD3d11Staging(Output(state), index, &constants, overlayText, &d3d)) return true;
    Report(d3d, failure);
    return false;
}

constexpr PresentTarget kD3d11Target{"d3d11",    OpenD3d11,   ResizeD3d11, NoImage,        ShowNothing,
                                     CloseD3d11, SizeStaging, MapStaging,  PresentStaging, GdiPresentTarget};

}  // namespace

const PresentTarget& D3d11PresentTarget() { return kD3d11Target; }

const PresentTarget& WindowPresentTarget() { return kD3d11Target; }

bool CaptureD3d11Frames(DxgiPresent& present, uint8_t* pixels, uint32_t rowPitch) {
    if (present.target != &kD3d11Target) return false;
    platform::CaptureD3d11BackBuffer(Output(present.targetState), pixels, rowPitch);
    return true;
}

const char* D3d11OverlayFontFamily(const DxgiPresent& present) {
    return present.target == &kD3d11Target ? platform::D3d11OverlayFamily(Output(present.targetState)) : "";
}

}  // namespace mora
