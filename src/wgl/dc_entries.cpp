// The exported device-context functions of include/mora/mora_dc.h: making and destroying the
// records an HDC names, reading back the frames presented on one, and the last frame's stage times.
#include <cstdint>

#include "frame/context_record.h"
#include "frame/frame_times.h"
#include "mora/mora_dc.h"
#include "platform/device_context.h"

extern "C" {

MORA_GLAPI HDC MORA_APIENTRY moraCreateOffscreenDC(int width, int height) {
    return reinterpret_cast<HDC>(mora::platform::CreateOffscreenDeviceContext(width, height));
}

MORA_GLAPI HDC MORA_APIENTRY moraCreateX11DC(void* display, unsigned long window) {
    return reinterpret_cast<HDC>(mora::platform::CreateX11DeviceContext(display, window));
}

MORA_GLAPI void MORA_APIENTRY moraDestroyOffscreenDC(HDC hdc) { mora::platform::DestroyDeviceContext(hdc); }

MORA_GLAPI int MORA_APIENTRY moraGetPresentedFrameSize(HDC hdc, int* width, int* height) {
    int32_t w = 0;
    int32_t h = 0;
    const bool found = mora::PresentedFrameSize(hdc, &w, &h);
    if (width != nullptr) *width = w;
    if (height != nullptr) *height = h;
    return found ? 1 : 0;
}

MORA_GLAPI int MORA_APIENTRY moraReadPresentedFrame(HDC hdc, void* bgra, int rowPitch) {
    return mora::ReadPresentedFrame(hdc, bgra, rowPitch) ? 1 : 0;
}

MORA_GLAPI int MORA_APIENTRY moraGetLastFrameTimes(MoraFrameTimes* times) {
    const mora::FrameTimes last = mora::LastFrameTimes();
    if (times == nullptr || last.frames == 0) return 0;
    times->replayNs = last.replayNs;
    times->emitNs = last.emitNs;
    times->renderNs = last.renderNs;
    times->presentNs = last.presentNs;
    times->swapNs = last.totalNs;
    times->triangles = last.triangles;
    return 1;
}

}  // extern "C"
