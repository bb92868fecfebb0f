// The GLX interface this library exports: its handle types, the tokens it understands and the
// entry points, declared with the C signatures programs compile against. Xlib supplies Display,
// XVisualInfo, XID and Bool.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "glx/glx_tokens.h"
#include "mora/gl.h"

extern "C" {

typedef struct MoraGlxContext* GLXContext;
typedef struct MoraGlxConfig* GLXFBConfig;
typedef XID GLXDrawable;
typedef XID GLXWindow;
typedef XID GLXPixmap;
typedef XID GLXPbuffer;
typedef void (*__GLXextFuncPtr)(void);

XVisualInfo* glXChooseVisual(Display* dpy, int screen, int* attribList);
GLXContext glXCreateContext(Display* dpy, XVisualInfo* vis, GLXContext shareList, Bool direct);
void glXDestroyContext(Display* dpy, GLXContext ctx);
Bool glXMakeCurrent(Display* dpy, GLXDrawable drawable, GLXContext ctx);
void glXCopyContext(Display* dpy, GLXContext src, GLXContext dst, unsigned long mask);
void glXSwapBuffers(Display* dpy, GLXDrawable drawable);
GLXPixmap glXCreateGLXPixmap(Display* dpy, XVisualInfo* visual, Pixmap pixmap);
void glXDestroyGLXPixmap(Display* dpy, GLXPixmap pixmap);
Bool glXQueryExtension(Display* dpy, int* errorBase, int* eventBase);
Bool glXQueryVersion(Display* dpy, int* major, int* minor);
Bool glXIsDirect(Display* dpy, GLXContext ctx);
int glXGetConfig(Display* dpy, XVisualInfo* visual, int attrib, int* value);
GLXContext glXGetCurrentContext(void);
GLXDrawable glXGetCurrentDrawable(void);
void glXWaitGL(void);
void glXWaitX(void);
void glXUseXFont(Font font, int first, int count, int list);
const char* glXQueryExtensionsString(Display* dpy, int screen);
const char* glXQueryServerString(Display* dpy, int screen, int name);
const char* glXGetClientString(Display* dpy, int name);
Display* glXGetCurrentDisplay(void);
GLXFBConfig* glXChooseFBConfig(Display* dpy, int screen, const int* attribList, int* count);
int glXGetFBConfigAttrib(Display* dpy, GLXFBConfig config, int attribute, int* value);
GLXFBConfig* glXGetFBConfigs(Display* dpy, int screen, int* count);
XVisualInfo* glXGetVisualFromFBConfig(Display* dpy, GLXFBConfig config);
GLXWindow glXCreateWindow(Display* dpy, GLXFBConfig config, Window window, const int* attribList);
void glXDestroyWindow(Display* dpy, GLXWindow window);
GLXPixmap glXCreatePixmap(Display* dpy, GLXFBConfig config, Pixmap pixmap, const int* attribList);
void glXDestroyPixmap(Display* dpy, GLXPixmap pixmap);
GLXPbuffer glXCreatePbuffer(Display* dpy, GLXFBConfig config, const int* attribList);
void glXDestroyPbuffer(Display* dpy, GLXPbuffer pbuffer);
void glXQueryDrawable(Display* dpy, GLXDrawable drawable, int attribute, unsigned int* value);
GLXContext glXCreateNewContext(Display* dpy, GLXFBConfig config, int renderType, GLXContext shareList, Bool direct);
Bool glXMakeContextCurrent(Display* dpy, GLXDrawable draw, GLXDrawable read, GLXContext ctx);
GLXDrawable glXGetCurrentReadDrawable(void);
int glXQueryContext(Display* dpy, GLXContext ctx, int attribute, int* value);
void glXSelectEvent(Display* dpy, GLXDrawable drawable, unsigned long mask);
void glXGetSelectedEvent(Display* dpy, GLXDrawable drawable, unsigned long* mask);
__GLXextFuncPtr glXGetProcAddressARB(const GLubyte* name);
__GLXextFuncPtr glXGetProcAddress(const GLubyte* name);
GLXContext glXCreateContextAttribsARB(Display* dpy, GLXFBConfig config, GLXContext shareContext, Bool direct,
                                      const int* attribList);
void glXSwapIntervalEXT(Display* dpy, GLXDrawable drawable, int interval);
int glXSwapIntervalMESA(unsigned int interval);
int glXGetSwapIntervalMESA(void);
int glXSwapIntervalSGI(int interval);

}  // extern "C"
