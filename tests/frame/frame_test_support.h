// What the window-system tests share: the GL layer's hooks installed as library load installs
// them, and an offscreen device context with a current context of a chosen size.
#pragma once

#include <gtest/gtest.h>

#include "frame/context_record.h"
#include "gl/gl_hooks.h"
#include "mora/wgl.h"
#include "platform/device_context.h"
#include "render/tile_grid.h"

namespace mora::test {

inline void InstallWglHooks() {
    InstallTileGridHooks();
    TheGlHooks().ensureSurfaceSize = &EnsureCurrentSurfaceSize;
}

// An offscreen device context of width x height and a context on it, current on this thread.
struct CurrentOffscreenContext {
    platform::DeviceContext* dc = nullptr;
    ContextRecord* context = nullptr;

    CurrentOffscreenContext(int32_t width, int32_t height) {
        dc = platform::CreateOffscreenDeviceContext(width, height);
        if (dc != nullptr) context = CreateContextRecord(reinterpret_cast<HDC>(dc));
        SetCurrentContextRecord(context);
    }
    ~CurrentOffscreenContext() {
        if (context != nullptr) DeleteContextRecord(context);
        SetCurrentContextRecord(nullptr);
        platform::DestroyDeviceContext(dc);
    }
    CurrentOffscreenContext(const CurrentOffscreenContext&) = delete;
    CurrentOffscreenContext& operator=(const CurrentOffscreenContext&) = delete;
};

}  // namespace mora::test
