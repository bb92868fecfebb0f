// The exported WGL entry points (wglSwapBuffers and wglSwapLayerBuffers are in swap_entries.cpp).
// Each runs the per-call frame (count, trace under "MORA::WGL::<name>") and then its own work; the
// no-op entries give their fixed answers. No exception leaves an entry.
#include "entry/entry_boundary.h"
#include "entry/entry_frame.h"
#include "frame/context_record.h"
#include "frame/debug_panel.h"
#include "gl/command_buffer.h"
#include "gl/gl_context.h"
#include "gl/pending_keyframe.h"
#include "mora/wgl.h"
#include "present/dxgi_present.h"
#include "wgl/pixel_format.h"

using mora::EntryId;
using mora::api::EnterEntry;

extern "C" {

MORA_GLAPI int MORA_APIENTRY wglChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* ppfd) {
    EnterEntry<EntryId::wglChoosePixelFormat>(hdc, ppfd);
    return mora::kPixelFormatIndex;
}

MORA_GLAPI int MORA_APIENTRY wglDescribePixelFormat(HDC hdc, int iPixelFormat, UINT nBytes,
                                                    PIXELFORMATDESCRIPTOR* ppfd) {
    EnterEntry<EntryId::wglDescribePixelFormat>(hdc, iPixelFormat, nBytes);
    // Whatever format was asked for, the one there is; too small a buffer gets nothing.
    if (ppfd != nullptr && nBytes >= mora::kPixelFormatBytes) mora::DescribePixelFormat(*ppfd);
    return mora::kPixelFormatIndex;
}

MORA_GLAPI int MORA_APIENTRY wglGetPixelFormat(HDC hdc) {
    EnterEntry<EntryId::wglGetPixelFormat>(hdc);
    return mora::kPixelFormatIndex;
}

MORA_GLAPI BOOL MORA_APIENTRY wglSetPixelFormat(HDC hdc, int iPixelFormat, const PIXELFORMATDESCRIPTOR*) {
    EnterEntry<EntryId::wglSetPixelFormat>(hdc, iPixelFormat);
    return TRUE;
}

MORA_GLAPI BOOL MORA_APIENTRY wglCopyContext(HGLRC src, HGLRC dst, UINT mask) {
    EnterEntry<EntryId::wglCopyContext>(src, dst, mask);
    return TRUE;
}

MORA_GLAPI HGLRC MORA_APIENTRY wglCreateContext(HDC hdc) try {
    EnterEntry<EntryId::wglCreateContext>(hdc);
    mora::ContextRecord* context = mora::CreateContextRecord(hdc);
    // First success of the process only, and not for a context that a presenter being built
    // makes for itself (Wine's Direct3D on OpenGL): the panel belongs beside the application.
    if (context != nullptr && !mora::BuildingPresenter()) mora::StartDebugPanel(hdc);
    return static_cast<HGLRC>(mora::ContextHandle(context));
} MORA_ENTRY_BOUNDARY(nullptr)

MORA_GLAPI HGLRC MORA_APIENTRY wglCreateLayerContext(HDC hdc, int iLayerPlane) {
    EnterEntry<EntryId::wglCreateLayerContext>(hdc, iLayerPlane);
    if (iLayerPlane != 0) return nullptr;
    return wglCreateContext(hdc);
}

MORA_GLAPI BOOL MORA_APIENTRY wglDeleteContext(HGLRC hglrc) try {
    EnterEntry<EntryId::wglDeleteContext>(hglrc);
    return mora::DeleteContextRecord(hglrc) ? TRUE : FALSE;
} MORA_ENTRY_BOUNDARY(FALSE)

MORA_GLAPI BOOL MORA_APIENTRY wglDescribeLayerPlane(HDC hdc, int iPixelFormat, int iLayerPlane, UINT,
                                                    LAYERPLANEDESCRIPTOR*) {
    EnterEntry<EntryId::wglDescribeLayerPlane>(hdc, iPixelFormat, iLayerPlane);
    return FALSE;
}

MORA_GLAPI HGLRC MORA_APIENTRY wglGetCurrentContext(void) try {
    EnterEntry<EntryId::wglGetCurrentContext>();
    return static_cast<HGLRC>(mora::ContextHandle(mora::CurrentContextRecord()));
} MORA_ENTRY_BOUNDARY(nullptr)

MORA_GLAPI HDC MORA_APIENTRY wglGetCurrentDC(void) try {
    EnterEntry<EntryId::wglGetCurrentDC>();
    const mora::ContextRecord* context = mora::CurrentContextRecord();
    return context != nullptr ? context->deviceContext : nullptr;
} MORA_ENTRY_BOUNDARY(nullptr)

MORA_GLAPI PROC MORA_APIENTRY wglGetProcAddress(LPCSTR name) {
    EnterEntry<EntryId::wglGetProcAddress>(name != nullptr ? name : "");
    return nullptr;
}

MORA_GLAPI BOOL MORA_APIENTRY wglMakeCurrent(HDC hdc, HGLRC hglrc) try {
    EnterEntry<EntryId::wglMakeCurrent>(hdc, hglrc);
    // A handle that is not a live context, or one current on another thread, is refused, leaving
    // the thread without a context, as Win32 does after a failed wglMakeCurrent.
    if (!mora::MakeContextCurrent(hglrc)) return FALSE;
    if (hglrc == nullptr || !mora::CurrentThreadRecord().drawsGlState) return TRUE;
    // With no command pending, the next frame starts from the state at this point.
    if (mora::CommandBufferSize(mora::TheCommandRecording().stream) == 0) {
        mora::ClosePendingKeyframe(mora::ThePendingKeyframe(), mora::TheGlContext());
    }
    return TRUE;
} MORA_ENTRY_BOUNDARY(FALSE)

MORA_GLAPI BOOL MORA_APIENTRY wglShareLists(HGLRC hglrc1, HGLRC hglrc2) {
    EnterEntry<EntryId::wglShareLists>(hglrc1, hglrc2);
    return TRUE;
}

MORA_GLAPI BOOL MORA_APIENTRY wglUseFontBitmapsA(HDC hdc, DWORD first, DWORD count, DWORD listBase) {
    EnterEntry<EntryId::wglUseFontBitmapsA>(hdc, static_cast<unsigned long>(first), static_cast<unsigned long>(count),
                                            static_cast<unsigned long>(listBase));
    return FALSE;
}

MORA_GLAPI BOOL MORA_APIENTRY wglUseFontOutlinesA(HDC hdc, DWORD first, DWORD count, DWORD, FLOAT, FLOAT, int,
                                                  GLYPHMETRICSFLOAT*) {
    EnterEntry<EntryId::wglUseFontOutlinesA>(hdc, static_cast<unsigned long>(first), static_cast<unsigned long>(count));
    return FALSE;
}

MORA_GLAPI int MORA_APIENTRY wglSetLayerPaletteEntries(HDC hdc, int iLayerPlane, int iStart, int cEntries,
                                                       const COLORREF*) {
    EnterEntry<EntryId::wglSetLayerPaletteEntries>(hdc, iLayerPlane, iStart, cEntries);
    return 0;
}

MORA_GLAPI int MORA_APIENTRY wglGetLayerPaletteEntries(HDC hdc, int iLayerPlane, int iStart, int cEntries, COLORREF*) {
    EnterEntry<EntryId::wglGetLayerPaletteEntries>(hdc, iLayerPlane, iStart, cEntries);
    return 0;
}

MORA_GLAPI BOOL MORA_APIENTRY wglRealizeLayerPalette(HDC hdc, int iLayerPlane, BOOL bRealize) {
    EnterEntry<EntryId::wglRealizeLayerPalette>(hdc, iLayerPlane, bRealize);
    return TRUE;
}

}  // extern "C"
