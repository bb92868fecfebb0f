// The exported GLX entries that describe the implementation: extension presence, version and
// strings. The GLX work happens in this library, so it answers for itself whether or not the X
// server has a GLX extension of its own.
#include "entry/entry_boundary.h"
#include "glx/glx_api.h"
#include "glx/glx_errors.h"

namespace {

constexpr const char* kVendor = "MORA Project";
constexpr const char* kVersion = "1.4";
constexpr const char* kExtensions =
    "GLX_ARB_create_context GLX_ARB_create_context_profile GLX_ARB_get_proc_address GLX_EXT_swap_control "
    "GLX_MESA_swap_control GLX_SGI_swap_control";

const char* StringFor(int name) {
    switch (name) {
        case mora::glx::kVendor: return kVendor;
        case mora::glx::kVersion: return kVersion;
        case mora::glx::kExtensions: return kExtensions;
        default: return nullptr;
    }
}

}  // namespace

extern "C" {

Bool glXQueryExtension(Display* dpy, int* errorBase, int* eventBase) try {
    if (dpy == nullptr) return False;
    int firstError = 0;
    int firstEvent = 0;
    mora::glx::ServerGlxBases(dpy, &firstError, &firstEvent);
    if (errorBase != nullptr) *errorBase = firstError;
    if (eventBase != nullptr) *eventBase = firstEvent;
    return True;
} MORA_ENTRY_BOUNDARY(False)

Bool glXQueryVersion(Display* dpy, int* major, int* minor) {
    if (dpy == nullptr) return False;
    if (major != nullptr) *major = 1;
    if (minor != nullptr) *minor = 4;
    return True;
}

const char* glXQueryExtensionsString(Display* dpy, int) { return dpy != nullptr ? kExtensions : nullptr; }

const char* glXQueryServerString(Display* dpy, int, int name) { return dpy != nullptr ? StringFor(name) : nullptr; }

// The client strings describe this library alone, so they need no display.
const char* glXGetClientString(Display*, int name) { return StringFor(name); }

}  // extern "C"
