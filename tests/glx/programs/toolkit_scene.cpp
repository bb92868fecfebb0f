// The known scene and its check against the window's pixels.
#include "toolkit_scene.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace toolkit_test {

namespace {

constexpr uint32_t kClear = 0x000080;  // glClearColor(0, 0, 0.5, 1)
constexpr uint32_t kRed = 0xFF0000;
constexpr int kX0 = 8, kY0 = 8, kX1 = 40, kY1 = 32;  // the red quad in GL window coordinates

}  // namespace

bool RunningOnMora() {
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (renderer != nullptr && std::strstr(renderer, "MORA") != nullptr) return true;
    std::fprintf(stderr, "not running on MORA: renderer %s\n", renderer != nullptr ? renderer : "(null)");
    return false;
}

void DrawScene() {
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.0f, 0.0f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1.0f, 0.0f, 0.0f);
    glRecti(kX0, kY0, kX1, kY1);
}

bool WindowShowsScene() {
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable window = glXGetCurrentDrawable();
    XWindowAttributes attributes{};
    // Not yet mapped (or too small) is not yet shown: reading it would be an X error.
    if (display == nullptr || window == 0 || XGetWindowAttributes(display, window, &attributes) == 0 ||
        attributes.map_state != IsViewable || attributes.width < kWidth || attributes.height < kHeight) {
        return false;
    }
    XImage* image = XGetImage(display, window, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    int differing = 0;
    for (int row = 0; row < kHeight; ++row) {
        const int y = kHeight - 1 - row;  // the window's top row is GL's highest
        for (int x = 0; x < kWidth; ++x) {
            const bool inQuad = x >= kX0 && x < kX1 && y >= kY0 && y < kY1;
            differing += (static_cast<uint32_t>(XGetPixel(image, x, row)) & 0xFFFFFFu) != (inQuad ? kRed : kClear);
        }
    }
    XDestroyImage(image);
    return differing == 0;
}

int Finish(bool shown) {
    if (!shown) std::fprintf(stderr, "the window never showed the expected scene\n");
    return shown ? 0 : 1;
}

}  // namespace toolkit_test
