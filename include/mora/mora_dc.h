/* MORA's device contexts: what an HDC names when the driver runs outside Windows. A program makes
 * one for a window-less offscreen drawable or for an X11 window, passes it to wglCreateContext and
 * wglSwapBuffers like a window's DC, and can read back every presented frame. */
#ifndef MORA_DC_H
#define MORA_DC_H

#include "mora/wgl.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A window-less drawable whose client area is width x height pixels. A width or height below 1
 * gives an empty client area, for which wglCreateContext makes a 640x480 surface. NULL when out of
 * memory. Presented frames stay in memory (moraReadPresentedFrame). */
MORA_GLAPI HDC MORA_APIENTRY moraCreateOffscreenDC(int width, int height);

/* A device context for X11 window `window` of the Display `display` (which may be NULL: the size
 * is then asked on a connection of the driver's own). The client size is the window's; frames are
 * shown in the window through a connection of the driver's own to $DISPLAY. NULL for window 0. */
MORA_GLAPI HDC MORA_APIENTRY moraCreateX11DC(void* display, unsigned long window);

/* Frees a device context made by moraCreateOffscreenDC or moraCreateX11DC (other values are
 * ignored). Contexts created on it keep their surface but can no longer grow it. */
MORA_GLAPI void MORA_APIENTRY moraDestroyOffscreenDC(HDC hdc);

/* Size of the last frame presented on hdc (the surface's presented size, which grows when a
 * viewport larger than the window re-creates the surface). 1, or 0 with both set to 0 when no
 * frame has been presented on hdc since its surface was (re-)created. Either pointer may be NULL. */
MORA_GLAPI int MORA_APIENTRY moraGetPresentedFrameSize(HDC hdc, int* width, int* height);

/* Copies the last frame presented on hdc, after the colour pass and the overlay, at its presented
 * size (moraGetPresentedFrameSize), top row first: 4 bytes per pixel in the order B, G, R, A, rows
 * rowPitch bytes apart. 1, or 0 (nothing written) when nothing was presented, bgra is NULL or
 * rowPitch is below width x 4. */
MORA_GLAPI int MORA_APIENTRY moraReadPresentedFrame(HDC hdc, void* bgra, int rowPitch);

/* Where the last frame ended by wglSwapBuffers spent its time, in nanoseconds, for profiling
 * tools: replaying its recorded calls, emitting its triangles (transform, clipping, set-up),
 * rendering them (binning and rasterization) and presenting the result; `swap` is the whole frame
 * end. Recording the calls themselves happens before wglSwapBuffers and is not included. */
typedef struct MoraFrameTimes {
    unsigned long long replayNs;
    unsigned long long emitNs;
    unsigned long long renderNs;
    unsigned long long presentNs;
    unsigned long long swapNs;
    unsigned int triangles; /* triangles emitted */
} MoraFrameTimes;

/* Fills *times with the last frame's times: 1, or 0 (nothing written) when no frame has ended
 * yet or times is NULL. */
MORA_GLAPI int MORA_APIENTRY moraGetLastFrameTimes(MoraFrameTimes* times);

#ifdef __cplusplus
}
#endif

#endif /* MORA_DC_H */
