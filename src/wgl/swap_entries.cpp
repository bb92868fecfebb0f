// wglSwapBuffers and wglSwapLayerBuffers: the frame's end. The hdc argument is only traced; the
// frame renders into the Surface of the calling thread's current context.
#include "api/display_lists.h"
#include "entry/entry_frame.h"
#include "frame/frame_sequence.h"
#include "mora/wgl.h"

using mora::EntryId;
using mora::api::EnterEntry;

extern "C" {

MORA_GLAPI BOOL MORA_APIENTRY wglSwapBuffers(HDC hdc) {
    if (!EnterEntry<EntryId::wglSwapBuffers>(hdc)) return FALSE;
    const mora::api::ListCompileSuspension suspension;  // runs at once, even inside a display list
    mora::RunFrameEnd();                                // never throws
    return TRUE;
}

MORA_GLAPI BOOL MORA_APIENTRY wglSwapLayerBuffers(HDC hdc, UINT fuPlanes) {
    if (!EnterEntry<EntryId::wglSwapLayerBuffers>(hdc, fuPlanes)) return FALSE;
    return wglSwapBuffers(hdc);
}

}  // extern "C"
