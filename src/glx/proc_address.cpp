// glXGetProcAddress and glXGetProcAddressARB: the address of an entry this library exports,
// looked up by name in a table built from the export list and the GLX entries; null for any
// other name, so that a program never calls something that is not what it asked for.
#include <cstring>

#include "glx/glx_api.h"
#include "mora/gl.h"

namespace {

struct NamedEntry {
    const char* name;
    __GLXextFuncPtr address;
};

#define MORA_GL_ENTRY(Name, Ret, Params, Args, Bytes, Format) \
    {"gl" #Name, reinterpret_cast<__GLXextFuncPtr>(&gl##Name)},
#define MORA_GLX(Name) {#Name, reinterpret_cast<__GLXextFuncPtr>(&Name)},

const NamedEntry kEntries[] = {
#include "entry/entry_list.inc"
    MORA_GLX(glXChooseVisual) MORA_GLX(glXCreateContext) MORA_GLX(glXDestroyContext) MORA_GLX(glXMakeCurrent)
        MORA_GLX(glXCopyContext) MORA_GLX(glXSwapBuffers) MORA_GLX(glXCreateGLXPixmap) MORA_GLX(glXDestroyGLXPixmap)
            MORA_GLX(glXQueryExtension) MORA_GLX(glXQueryVersion) MORA_GLX(glXIsDirect) MORA_GLX(glXGetConfig)
                MORA_GLX(glXGetCurrentContext) MORA_GLX(glXGetCurrentDrawable) MORA_GLX(glXWaitGL) MORA_GLX(glXWaitX)
                    MORA_GLX(glXUseXFont) MORA_GLX(glXQueryExtensionsString) MORA_GLX(glXQueryServerString)
                        MORA_GLX(glXGetClientString) MORA_GLX(glXGetCurrentDisplay) MORA_GLX(glXChooseFBConfig)
                            MORA_GLX(glXGetFBConfigAttrib) MORA_GLX(glXGetFBConfigs) MORA_GLX(glXGetVisualFromFBConfig)
                                MORA_GLX(glXCreateWindow) MORA_GLX(glXDestroyWindow) MORA_GLX(glXCreatePixmap)
                                    MORA_GLX(glXDestroyPixmap) MORA_GLX(glXCreatePbuffer) MORA_GLX(glXDestroyPbuffer)
                                        MORA_GLX(glXQueryDrawable) MORA_GLX(glXCreateNewContext)
                                            MORA_GLX(glXMakeContextCurrent) MORA_GLX(glXGetCurrentReadDrawable)
                                                MORA_GLX(glXQueryContext) MORA_GLX(glXSelectEvent)
                                                    MORA_GLX(glXGetSelectedEvent) MORA_GLX(glXGetProcAddressARB)
                                                        MORA_GLX(glXGetProcAddress) MORA_GLX(glXCreateContextAttribsARB)
                                                            MORA_GLX(glXSwapIntervalEXT) MORA_GLX(glXSwapIntervalMESA)
                                                                MORA_GLX(glXGetSwapIntervalMESA)
                                                                    MORA_GLX(glXSwapIntervalSGI)};

#undef MORA_GLX
#undef MORA_GL_ENTRY

}  // namespace

extern "C" {

__GLXextFuncPtr glXGetProcAddressARB(const GLubyte* name) {
    if (name == nullptr) return nullptr;
    const char* wanted = reinterpret_cast<const char*>(name);
    for (const NamedEntry& entry : kEntries) {
        if (std::strcmp(entry.name, wanted) == 0) return entry.address;
    }
    return nullptr;
}

__GLXextFuncPtr glXGetProcAddress(const GLubyte* name) { return glXGetProcAddressARB(name); }

}  // extern "C"
