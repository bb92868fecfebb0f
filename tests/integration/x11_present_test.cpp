// A real X11 window: a context on an X11 device context renders a frame that must appear in the
// window exactly as the driver reports it presented (XGetImage against moraReadPresentedFrame).
// Uses $DISPLAY when set, else starts an Xvfb of its own; skipped when neither is possible.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "driver_session.h"
#include "platform/x11_output.h"
#include "x_server.h"

namespace mora_it {
namespace {

using mora::platform::X11Window;

TEST(X11Present, WindowShowsThePresentedFrame) {
    XServer server;
    if (!server.usable()) GTEST_SKIP() << "no X server: DISPLAY is not set and Xvfb could not be started";
    constexpr int kWidth = 96;
    constexpr int kHeight = 64;
    X11Window* window = mora::platform::CreateX11Window(kWidth, kHeight, "mora x11 present test");
    ASSERT_NE(window, nullptr);
    HDC dc = moraCreateX11DC(nullptr, static_cast<unsigned long>(mora::platform::X11WindowId(window)));
    ASSERT_NE(dc, nullptr);
    HGLRC rc = wglCreateContext(dc);
    ASSERT_NE(rc, nullptr) << "context on an X11 window";
    ASSERT_EQ(wglMakeCurrent(dc, rc), TRUE);
    ResetGlState(kWidth, kHeight);

    glClearColor(0.2f, 0.5f, 0.25f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1.0f, 0.0f, 0.0f);
    DrawRect(8.0f, 8.0f, 88.0f, 60.0f);
    wglSwapBuffers(dc);
    const PresentedFrame presented = ReadPresented(dc);
    ASSERT_EQ(presented.width, kWidth) << "the surface has the window's client size";
    ASSERT_EQ(presented.height, kHeight);
    std::vector<uint32_t> shown(static_cast<size_t>(kWidth) * kHeight, 0);
    ASSERT_TRUE(mora::platform::ReadX11Window(window, kWidth, kHeight, shown.data()));
    std::vector<uint32_t> expected(presented.pixels.size());
    std::transform(presented.pixels.begin(), presented.pixels.end(), expected.begin(), Rgb);
    EXPECT_TRUE(shown == expected) << "the window differs from the presented frame";
    // The frame is really drawn: clear colour in a corner.
    EXPECT_EQ(Rgb(presented.At(1, 1)), Argb(0, 51, 128, 64));

    wglMakeCurrent(dc, nullptr);
    wglDeleteContext(rc);
    moraDestroyOffscreenDC(dc);
    mora::platform::DestroyX11Window(window);
}

}  // namespace
}  // namespace mora_it
