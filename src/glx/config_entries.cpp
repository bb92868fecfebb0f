// The exported GLX entries that describe the configuration family: visuals and FBConfigs. A null
// display gets the failure return and no X error (there is nowhere to send one).
#include <cstring>
#include <vector>

#include "entry/entry_boundary.h"
#include "glx/fb_config.h"
#include "glx/glx_api.h"
#include "glx/glx_errors.h"
#include "platform/x11_glx_display.h"

namespace {

using mora::glx::FbConfig;
using mora::platform::X11Visual;

// The screen's visual, when the screen exists and has one the window output can write.
bool ScreenVisual(Display* dpy, int screen, X11Visual* visual) {
    return dpy != nullptr && mora::platform::FindX11TrueColorVisual(dpy, screen, visual);
}

// True when `info` is the visual this family renders through.
bool IsFamilyVisual(Display* dpy, const XVisualInfo* info) {
    X11Visual given;
    X11Visual ours;
    return mora::platform::X11VisualInfoIdentity(info, &given) && ScreenVisual(dpy, given.screen, &ours) &&
           ours.id == given.id;
}

GLXFBConfig* ConfigArray(const std::vector<const FbConfig*>& configs, int* count) {
    if (count != nullptr) *count = 0;
    if (configs.empty()) return nullptr;
    auto* array = static_cast<GLXFBConfig*>(mora::platform::AllocateForXFree(configs.size() * sizeof(GLXFBConfig)));
    if (array == nullptr) return nullptr;
    for (size_t i = 0; i < configs.size(); ++i) {
        array[i] = reinterpret_cast<GLXFBConfig>(const_cast<FbConfig*>(configs[i]));
    }
    if (count != nullptr) *count = static_cast<int>(configs.size());
    return array;
}

}  // namespace

extern "C" {

XVisualInfo* glXChooseVisual(Display* dpy, int screen, int* attribList) try {
    X11Visual visual;
    if (!ScreenVisual(dpy, screen, &visual) || mora::glx::ChooseVisualConfig(attribList) == nullptr) return nullptr;
    return static_cast<XVisualInfo*>(mora::platform::NewX11VisualInfo(dpy, visual));
} MORA_ENTRY_BOUNDARY(nullptr)

int glXGetConfig(Display* dpy, XVisualInfo* visual, int attrib, int* value) try {
    if (dpy == nullptr) return mora::glx::kNoExtension;
    if (!IsFamilyVisual(dpy, visual)) {
        if (attrib != mora::glx::kUseGl) return mora::glx::kBadVisual;
        if (value != nullptr) *value = 0;  // not a GL visual
        return mora::glx::kSuccess;
    }
    int v = 0;
    if (!mora::glx::ConfigAttribute(mora::glx::kDoubleBufferedConfig, attrib, visual->visualid, visual->screen, &v)) {
        return mora::glx::kBadAttribute;
    }
    if (value != nullptr) *value = v;
    return mora::glx::kSuccess;
} MORA_ENTRY_BOUNDARY(mora::glx::kBadAttribute)

GLXFBConfig* glXChooseFBConfig(Display* dpy, int screen, const int* attribList, int* count) try {
    if (count != nullptr) *count = 0;
    X11Visual visual;
    std::vector<const FbConfig*> matches;
    if (!ScreenVisual(dpy, screen, &visual) || !mora::glx::ChooseConfigs(attribList, matches)) return nullptr;
    return ConfigArray(matches, count);
} MORA_ENTRY_BOUNDARY(nullptr)

GLXFBConfig* glXGetFBConfigs(Display* dpy, int screen, int* count) try {
    if (count != nullptr) *count = 0;
    X11Visual visual;
    if (!ScreenVisual(dpy, screen, &visual)) return nullptr;
    return ConfigArray({std::begin(mora::glx::kAllConfigs), std::end(mora::glx::kAllConfigs)}, count);
} MORA_ENTRY_BOUNDARY(nullptr)

int glXGetFBConfigAttrib(Display* dpy, GLXFBConfig config, int attribute, int* value) try {
    if (dpy == nullptr) return mora::glx::kNoExtension;
    const FbConfig* record = mora::glx::ConfigFromHandle(config);
    if (record == nullptr) return mora::glx::kBadAttribute;
    const int screen = mora::platform::X11DefaultScreen(dpy);
    X11Visual visual;
    if (!ScreenVisual(dpy, screen, &visual)) return mora::glx::kBadScreen;
    int v = 0;
    if (!mora::glx::ConfigAttribute(*record, attribute, visual.id, screen, &v)) return mora::glx::kBadAttribute;
    if (value != nullptr) *value = v;
    return mora::glx::kSuccess;
} MORA_ENTRY_BOUNDARY(mora::glx::kBadAttribute)

XVisualInfo* glXGetVisualFromFBConfig(Display* dpy, GLXFBConfig config) try {
    X11Visual visual;
    if (mora::glx::ConfigFromHandle(config) == nullptr ||
        !ScreenVisual(dpy, dpy != nullptr ? mora::platform::X11DefaultScreen(dpy) : 0, &visual)) {
        return nullptr;
    }
    return static_cast<XVisualInfo*>(mora::platform::NewX11VisualInfo(dpy, visual));
} MORA_ENTRY_BOUNDARY(nullptr)

}  // extern "C"
