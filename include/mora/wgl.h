/* MORA's window-system interface: the 21 WGL entry points the driver exports and the Win32 types
 * they use. On Windows the types come from <windows.h>; elsewhere this header defines the few it
 * needs with the same sizes and layouts, so that programs and tests can call the library directly. */
#ifndef MORA_WGL_H
#define MORA_WGL_H

#include "mora/gl.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef float FLOAT;
typedef uint32_t COLORREF;
typedef const char* LPCSTR;
typedef struct HDC__* HDC;     /* device context: names the window a context draws into */
typedef struct HGLRC__* HGLRC; /* rendering context handle returned by wglCreateContext */
typedef intptr_t (*PROC)(void);

#define FALSE 0
#define TRUE 1

/* Pixel format descriptor: 40 bytes. */
typedef struct tagPIXELFORMATDESCRIPTOR {
  WORD nSize;
  WORD nVersion;
  DWORD dwFlags;
  BYTE iPixelType;
  BYTE cColorBits;
  BYTE cRedBits;
  BYTE cRedShift;
  BYTE cGreenBits;
  BYTE cGreenShift;
  BYTE cBlueBits;
  BYTE cBlueShift;
  BYTE cAlphaBits;
  BYTE cAlphaShift;
  BYTE cAccumBits;
  BYTE cAccumRedBits;
  BYTE cAccumGreenBits;
  BYTE cAccumBlueBits;
  BYTE cAccumAlphaBits;
  BYTE cDepthBits;
  BYTE cStencilBits;
  BYTE cAuxBuffers;
  BYTE iLayerType;
  BYTE bReserved;
  DWORD dwLayerMask;
  DWORD dwVisibleMask;
  DWORD dwDamageMask;
} PIXELFORMATDESCRIPTOR, *PPIXELFORMATDESCRIPTOR, *LPPIXELFORMATDESCRIPTOR;

/* Layer plane descriptor: 32 bytes. */
typedef struct tagLAYERPLANEDESCRIPTOR {
  WORD nSize;
  WORD nVersion;
  DWORD dwFlags;
  BYTE iPixelType;
  BYTE cColorBits;
  BYTE cRedBits;
  BYTE cRedShift;
  BYTE cGreenBits;
  BYTE cGreenShift;
  BYTE cBlueBits;
  BYTE cBlueShift;
  BYTE cAlphaBits;
  BYTE cAlphaShift;
  BYTE cAccumBits;
  BYTE cAccumRedBits;
  BYTE cAccumGreenBits;
  BYTE cAccumBlueBits;
  BYTE cAccumAlphaBits;
  BYTE cDepthBits;
  BYTE cStencilBits;
  BYTE cAuxBuffers;
  BYTE iLayerPlane;
  BYTE bReserved;
  COLORREF crTransparent;
} LAYERPLANEDESCRIPTOR, *PLAYERPLANEDESCRIPTOR, *LPLAYERPLANEDESCRIPTOR;

typedef struct _POINTFLOAT {
  FLOAT x;
  FLOAT y;
} POINTFLOAT;

typedef struct _GLYPHMETRICSFLOAT {
  FLOAT gmfBlackBoxX;
  FLOAT gmfBlackBoxY;
  POINTFLOAT gmfptGlyphOrigin;
  FLOAT gmfCellIncX;
  FLOAT gmfCellIncY;
} GLYPHMETRICSFLOAT, *LPGLYPHMETRICSFLOAT;

#define PFD_TYPE_RGBA 0
#define PFD_MAIN_PLANE 0
#define PFD_DOUBLEBUFFER 0x00000001
#define PFD_DRAW_TO_WINDOW 0x00000004
#define PFD_SUPPORT_OPENGL 0x00000020

#ifdef __cplusplus
}
#endif
#endif /* _WIN32 */

#ifdef __cplusplus
extern "C" {
#endif

/* Entry points, in export-table order. */
MORA_GLAPI int MORA_APIENTRY wglChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* ppfd);
MORA_GLAPI int MORA_APIENTRY wglDescribePixelFormat(HDC hdc, int iPixelFormat, UINT nBytes, PIXELFORMATDESCRIPTOR* ppfd);
MORA_GLAPI int MORA_APIENTRY wglGetPixelFormat(HDC hdc);
MORA_GLAPI BOOL MORA_APIENTRY wglSetPixelFormat(HDC hdc, int iPixelFormat, const PIXELFORMATDESCRIPTOR* ppfd);
MORA_GLAPI BOOL MORA_APIENTRY wglSwapBuffers(HDC hdc);
MORA_GLAPI BOOL MORA_APIENTRY wglCopyContext(HGLRC src, HGLRC dst, UINT mask);
MORA_GLAPI HGLRC MORA_APIENTRY wglCreateContext(HDC hdc);
MORA_GLAPI HGLRC MORA_APIENTRY wglCreateLayerContext(HDC hdc, int iLayerPlane);
MORA_GLAPI BOOL MORA_APIENTRY wglDeleteContext(HGLRC hglrc);
MORA_GLAPI HGLRC MORA_APIENTRY wglGetCurrentContext(void);
MORA_GLAPI HDC MORA_APIENTRY wglGetCurrentDC(void);
MORA_GLAPI PROC MORA_APIENTRY wglGetProcAddress(LPCSTR name);
MORA_GLAPI BOOL MORA_APIENTRY wglMakeCurrent(HDC hdc, HGLRC hglrc);
MORA_GLAPI BOOL MORA_APIENTRY wglShareLists(HGLRC hglrc1, HGLRC hglrc2);
MORA_GLAPI BOOL MORA_APIENTRY wglUseFontBitmapsA(HDC hdc, DWORD first, DWORD count, DWORD listBase);
MORA_GLAPI BOOL MORA_APIENTRY wglUseFontOutlinesA(HDC hdc, DWORD first, DWORD count, DWORD listBase, FLOAT deviation, FLOAT extrusion, int format, GLYPHMETRICSFLOAT* metrics);
MORA_GLAPI BOOL MORA_APIENTRY wglDescribeLayerPlane(HDC hdc, int iPixelFormat, int iLayerPlane, UINT nBytes, LAYERPLANEDESCRIPTOR* plpd);
MORA_GLAPI int MORA_APIENTRY wglSetLayerPaletteEntries(HDC hdc, int iLayerPlane, int iStart, int cEntries, const COLORREF* colours);
MORA_GLAPI int MORA_APIENTRY wglGetLayerPaletteEntries(HDC hdc, int iLayerPlane, int iStart, int cEntries, COLORREF* colours);
MORA_GLAPI BOOL MORA_APIENTRY wglRealizeLayerPalette(HDC hdc, int iLayerPlane, BOOL bRealize);
MORA_GLAPI BOOL MORA_APIENTRY wglSwapLayerBuffers(HDC hdc, UINT fuPlanes);

#ifdef __cplusplus
}
#endif

#endif /* MORA_WGL_H */
