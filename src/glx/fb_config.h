// The one framebuffer configuration family the driver offers: RGBA with 8 bits per channel in a
// 24-bit TrueColor window visual, a 24-bit depth buffer, double-buffered (or single-buffered when
// a program insists). It also answers 8 stencil bits, so that programs which ask for a stencil
// buffer run: the stencil entries only count, like the other entries this driver does not draw with. Attribute values, attribute-list matching for glXChooseFBConfig and
// glXChooseVisual, and the records GLXFBConfig handles point at.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace mora::glx {

struct FbConfig {
    int32_t id;  // GLX_FBCONFIG_ID
    bool doubleBuffered;
};

inline constexpr FbConfig kDoubleBufferedConfig{1, true};
inline constexpr FbConfig kSingleBufferedConfig{2, false};
inline constexpr const FbConfig* kAllConfigs[] = {&kDoubleBufferedConfig, &kSingleBufferedConfig};

// The record a GLXFBConfig handle names; null for anything else.
const FbConfig* ConfigFromHandle(const void* handle);
const FbConfig* ConfigFromId(int32_t id);

// The value of `attribute` for `config` on a screen whose visual is `visualId`; false for an
// attribute the family does not know.
bool ConfigAttribute(const FbConfig& config, int attribute, uint64_t visualId, int32_t screen, int* value);

// glXChooseFBConfig: the configs meeting every (attribute, value) pair of the None-terminated
// list (null: none), best first as GLX sorts them. False for an attribute the family does not
// know (GLX's BadAttribute), with `matches` empty.
bool ChooseConfigs(const int* attributes, std::vector<const FbConfig*>& matches);

// glXChooseVisual: the config for the list's boolean and valued attributes, or null (no RGBA
// requested, or a requirement the family cannot meet).
const FbConfig* ChooseVisualConfig(const int* attributes);

}  // namespace mora::glx
