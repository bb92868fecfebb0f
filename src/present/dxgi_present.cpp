// DxgiPresent: build, per-frame staging hand-out, present and shutdown.
#include "present/dxgi_present.h"

#include <cstdio>

#include "diag/trace.h"
#include "present/present_trace.h"

namespace mora {

namespace {

constexpr char kResizeContext[] = "MORA::DxgiPresent::Resize";
constexpr uint32_t kFailureInvalidSize = 0x80070057u;  // E_INVALIDARG

bool ValidSizes(int32_t swapWidth, int32_t swapHeight, int32_t renderWidth, int32_t renderHeight) {
    return swapWidth >= 1 && swapHeight >= 1 && renderWidth >= 1 && renderHeight >= 1;
}

bool WithinLimits(int32_t width, int32_t height) { return width <= kMaxStagingExtent && height <= kMaxStagingExtent; }

// Staging ring and colour pass for the record's sizes; the failing step is written under `context`.
bool SizeBuffers(DxgiPresent& present, const char* context) {
    if (!WithinLimits(present.renderWidth, present.renderHeight) ||
        !WithinLimits(present.swapWidth, present.swapHeight)) {
        TracePresentStep(context, PresentFailure{"AllocateStaging", kFailureInvalidSize});
        return false;
    }
    if (present.target->sizeStaging != nullptr) {  // the target's own staging images
        PresentFailure failure;
        if (present.target->sizeStaging(present.targetState, present.renderWidth, present.renderHeight, &failure)) {
            return true;
        }
        TracePresentStep(context, failure);
        return false;
    }
    if (!ResizeStagingRing(present.staging, present.renderWidth, present.renderHeight)) {
        TracePresentStep(context, PresentFailure{"AllocateStaging", kFailureOutOfMemory});
        return false;
    }
    if (!PrepareColourPass(present.colourPass, present.renderWidth, present.renderHeight, present.swapWidth,
                           present.swapHeight)) {
        TracePresentStep(context, PresentFailure{"AllocateColourPass", kFailureOutOfMemory});
        return false;
    }
    return true;
}

// Opens `target` for the record and sizes its buffers; on failure (traced) nothing stays open.
bool OpenTarget(DxgiPresent& present, const PresentTarget& target, void* window) {
    PresentFailure failure;
    void* state = nullptr;
    if (!target.open(window, present.swapWidth, present.swapHeight, &state, &failure)) {
        TracePresentStep(kInitContext, failure);
        return false;
    }
    present.target = &target;
    present.targetState = state;
    if (SizeBuffers(present, kInitContext)) return true;
    target.close(state);
    present.target = nullptr;
    present.targetState = nullptr;
    return false;
}

void Unmap(DxgiPresent& present) {
    present.mapped = false;
    present.mappedData = nullptr;
    present.mappedRowPitch = 0;
}

// The end of every present: a failed show is traced; after a shown frame the other staging image
// is mapped for the next one.
bool FlipToNextStaging(DxgiPresent& present, bool shown, const PresentFailure& failure) {
    if (!shown) {
        TraceLine(kPresentContext, "(Present hr=0x%08X)", failure.code);
        return false;
    }
    present.stagingIndex = (present.stagingIndex + 1) % 2;
    if (!BeginFrame(present, nullptr, nullptr)) {
        TraceLine(kPresentContext, "(post-flip Map failed on staging[%d])", present.stagingIndex);
        return false;
    }
    return true;
}

// PresentSwapChain for a target with its own staging images: it runs the colour pass and draws
// the overlay text; then the other staging image is mapped.
bool PresentTargetStaging(DxgiPresent& present) {
    const char* text = CountFpsOverlayFrame(present.overlay, present.renderWidth, present.renderHeight);
    PresentFailure failure;
    const bool shown =
        present.target->presentStaging(present.targetState, present.stagingIndex, present.constants, text, &failure);
    return FlipToNextStaging(present, shown, failure);
}

}  // namespace

DxgiPresent::~DxgiPresent() { Shutdown(*this); }

namespace {
thread_local int t_initDepth = 0;  // Init calls under way on this thread

// Counts the Init calls under way for BuildingPresenter.
struct InitScope {
    InitScope() { ++t_initDepth; }
    ~InitScope() { --t_initDepth; }
    InitScope(const InitScope&) = delete;
    InitScope& operator=(const InitScope&) = delete;
};
}  // namespace

bool BuildingPresenter() { return t_initDepth > 0; }

bool Init(DxgiPresent& present, const PresentTarget& target, void* window, int32_t swapWidth, int32_t swapHeight,
          int32_t renderWidth, int32_t renderHeight) {
    const InitScope scope;
    if (window == nullptr || !ValidSizes(swapWidth, swapHeight, renderWidth, renderHeight)) return false;
    if (present.target != nullptr) return true;
    present.swapWidth = swapWidth;
    present.swapHeight = swapHeight;
    present.renderWidth = renderWidth;
    present.renderHeight = renderHeight;

    if (!WithinLimits(swapWidth, swapHeight)) {
        TracePresentStep(kInitContext, PresentFailure{"OpenPresentTarget", kFailureInvalidSize});
        Shutdown(present);
        return false;
    }
    // A target that cannot be built hands over to its fallback (Direct3D to GDI).
    const PresentTarget* candidate = &target;
    while (candidate != nullptr && !OpenTarget(present, *candidate, window)) {
        candidate = candidate->fallback != nullptr ? &candidate->fallback() : nullptr;
    }
    if (candidate == nullptr) {
        Shutdown(present);
        return false;
    }
    BuildPostProcessConstants(&present.constants);
    present.stagingIndex = 0;
    if (!BeginFrame(present, nullptr, nullptr)) {
        Shutdown(present);
        return false;
    }
    return true;
}

bool BeginFrame(DxgiPresent& present, void** data, uint32_t* rowPitch) {
    if (present.target == nullptr) return false;
    if (!present.mapped && present.target->mapStaging != nullptr) {
        ImageView staging;
        PresentFailure failure;
        if (!present.target->mapStaging(present.targetState, present.stagingIndex, &staging, &failure)) {
            TraceLine(kBeginFrameContext, "(Map hr=0x%08X)", failure.code);
            return false;
        }
        present.mapped = true;
        present.mappedData = staging.pixels;
        present.mappedRowPitch = staging.rowPitch;
    }
    if (!present.mapped) {
        const ImageView staging = StagingImage(present.staging, present.stagingIndex);
        if (staging.pixels == nullptr) return false;
        present.mapped = true;
        present.mappedData = staging.pixels;
        present.mappedRowPitch = staging.rowPitch;
    }
    if (data != nullptr) *data = present.mappedData;
    if (rowPitch != nullptr) *rowPitch = present.mappedRowPitch;
    return true;
}

bool PresentSwapChain(DxgiPresent& present) {
    if (present.target == nullptr || present.targetState == nullptr) return false;
    Unmap(present);
    BuildPostProcessConstants(&present.constants);
    if (present.target->presentStaging != nullptr) return PresentTargetStaging(present);
    const ImageView source = StagingImage(present.staging, present.stagingIndex);
    const ImageView output = present.target->image(present.targetState);
    if (!RunColourPass(present.colourPass, present.constants, source, output)) {
        // The output has no image of the prepared size (a target that lost it on a failed resize).
        TraceLine(kPresentContext, "(Present hr=0x%08X)", kFailureUnspecified);
        return false;
    }
    DrawFpsOverlay(present.overlay, output, present.renderWidth, present.renderHeight);

    PresentFailure failure;
    const bool shown = present.target->show(present.targetState, &failure);
    return FlipToNextStaging(present, shown, failure);
}

bool Resize(DxgiPresent& present, int32_t swapWidth, int32_t swapHeight, int32_t renderWidth, int32_t renderHeight) {
    if (present.target == nullptr || !ValidSizes(swapWidth, swapHeight, renderWidth, renderHeight)) return false;
    Unmap(present);
    if (swapWidth != present.swapWidth || swapHeight != present.swapHeight) {
        PresentFailure failure{"ResizePresentTarget", kFailureInvalidSize};
        const bool resized = WithinLimits(swapWidth, swapHeight) &&
                             present.target->resize(present.targetState, swapWidth, swapHeight, &failure);
        if (!resized) {
            TracePresentStep(kResizeContext, failure);
            Shutdown(present);
            return false;
        }
    }
    present.swapWidth = swapWidth;
    present.swapHeight = swapHeight;
    present.renderWidth = renderWidth;
    present.renderHeight = renderHeight;
    if (!SizeBuffers(present, kResizeContext) || !BeginFrame(present, nullptr, nullptr)) {
        Shutdown(present);
        return false;
    }
    return true;
}

ImageView PresentedImage(const DxgiPresent& present) {
    if (present.target == nullptr || present.targetState == nullptr) return ImageView{};
    return present.target->image(present.targetState);
}

void Shutdown(DxgiPresent& present) {
    Unmap(present);
    ShutdownFpsOverlay(present.overlay);
    present.colourPass = ColourPass{};
    FreeStagingRing(present.staging);
    if (present.target != nullptr) present.target->close(present.targetState);
    present.target = nullptr;
    present.targetState = nullptr;
    present.renderWidth = 0;
    present.renderHeight = 0;
    present.swapWidth = 0;
    present.swapHeight = 0;
    present.stagingIndex = 0;
}

}  // namespace mora
