// DxgiPresent: the presentation record of one window surface. It hands the renderer CPU memory to
// draw each frame into (a ring of two BGRA staging buffers), and at the end of the frame runs the
// colour pass into the output image, draws the FPS overlay and shows the result through its
// present target (offscreen or an X11 window). Everything runs on the calling application thread
// (wglSwapBuffers, surface creation); the record needs no lock.
#pragma once

#include <cstdint>

#include "present/colour_pass.h"
#include "present/fps_overlay.h"
#include "present/image_view.h"
#include "present/post_process.h"
#include "present/present_target.h"
#include "present/staging_ring.h"

namespace mora {

struct DxgiPresent {
    const PresentTarget* target = nullptr;  // null while the record is empty
    void* targetState = nullptr;
    StagingRing staging;
    ColourPass colourPass;
    PostProcessConstants constants;  // built from the settings at Init and at every present
    FpsOverlay overlay;
    int32_t stagingIndex = 0;     // 0 or 1: the buffer the current frame is drawn into
    bool mapped = false;          // staging[stagingIndex] is handed out
    void* mappedData = nullptr;   // null while not mapped
    uint32_t mappedRowPitch = 0;  // 0 while not mapped
    int32_t renderWidth = 0;      // staging size (the rendered image)
    int32_t renderHeight = 0;
    int32_t swapWidth = 0;  // output size
    int32_t swapHeight = 0;

    DxgiPresent() = default;
    DxgiPresent(const DxgiPresent&) = delete;
    DxgiPresent& operator=(const DxgiPresent&) = delete;
    ~DxgiPresent();
};

// Builds everything for `window` (a token the target understands; the offscreen target ignores
// it) and maps staging buffer 0. False when window is null or a size is below 1 (nothing created,
// nothing reported). True at once, changing nothing, when the record is already built. Any failing
// step writes "(step=%s, hr=0x%08X)" under "MORA::DxgiPresent::Init", releases what was built and
// returns false.
bool Init(DxgiPresent& present, const PresentTarget& target, void* window, int32_t swapWidth, int32_t swapHeight,
          int32_t renderWidth, int32_t renderHeight);

// Hands out staging[stagingIndex] (mapping it if needed; a second call returns the same values).
// Each out-parameter may be null. False when the record is not built.
bool BeginFrame(DxgiPresent& present, void** data, uint32_t* rowPitch);

// Colour pass, overlay, show, then the other staging buffer becomes current and is mapped. A failed
// show writes "(Present hr=0x%08X)" under "MORA::DxgiPresent::PresentSwapChain" and returns false.
// On true the caller fetches the new pointer and pitch with BeginFrame.
bool PresentSwapChain(DxgiPresent& present);

// Changes the output and staging sizes of a built record, reusing memory that is large enough, and
// maps the current staging buffer again (the caller fetches it with BeginFrame). A failing step is
// written under "MORA::DxgiPresent::Resize"; the record is then shut down and false returned.
bool Resize(DxgiPresent& present, int32_t swapWidth, int32_t swapHeight, int32_t renderWidth, int32_t renderHeight);

// The last presented image, top row first, at the output size: valid from a successful
// PresentSwapChain until the next one. Empty when the record is not built.
ImageView PresentedImage(const DxgiPresent& present);

// True while this thread is inside Init. A presenter that is built on OpenGL itself (Wine's
// Direct3D) creates contexts of this driver from inside Init; those are not the application's.
bool BuildingPresenter();

// Unmaps and frees everything; safe on an empty or partly built record.
void Shutdown(DxgiPresent& present);

}  // namespace mora
