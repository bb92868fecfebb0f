#include "driver_session.h"

#include <cstddef>
#include <cstdlib>

namespace mora_it {

namespace {
// The debug panel has a test of its own (panel_x11_test.cpp); here it stays off, as it does for
// any application run with MORA_PANEL=0. The switch is read at the first context creation.
const bool kPanelOff = setenv("MORA_PANEL", "0", /*overwrite=*/1) == 0;
}  // namespace

OffscreenSession::OffscreenSession(int w, int h) : width(w), height(h) {
    dc = moraCreateOffscreenDC(w, h);
    if (dc == nullptr) return;
    rc = wglCreateContext(dc);
    if (rc != nullptr) wglMakeCurrent(dc, rc);
}

OffscreenSession::~OffscreenSession() {
    if (rc != nullptr) {
        wglMakeCurrent(dc, nullptr);
        wglDeleteContext(rc);
    }
    if (dc != nullptr) moraDestroyOffscreenDC(dc);
}

void ResetGlState(int width, int height) {
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glShadeModel(GL_SMOOTH);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

PresentedFrame ReadPresented(HDC dc) {
    PresentedFrame frame;
    if (moraGetPresentedFrameSize(dc, &frame.width, &frame.height) != 1) return PresentedFrame{};
    frame.pixels.resize(static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height));
    if (moraReadPresentedFrame(dc, frame.pixels.data(), frame.width * 4) != 1) return PresentedFrame{};
    return frame;
}

uint32_t ReadPixel(int x, int y) {
    uint32_t pixel = 0xDEADBEEFu;
    glReadPixels(x, y, 1, 1, GL_BGRA_EXT, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}

void DrawRect(float x0, float y0, float x1, float y1) {
    const float corners[6][4] = {{x0, y0, 0, 0}, {x1, y0, 1, 0}, {x1, y1, 1, 1},
                                 {x0, y0, 0, 0}, {x1, y1, 1, 1}, {x0, y1, 0, 1}};
    glBegin(GL_TRIANGLES);
    for (const auto& c : corners) {
        glTexCoord2f(c[2], c[3]);
        glVertex2f(c[0], c[1]);
    }
    glEnd();
}

}  // namespace mora_it
