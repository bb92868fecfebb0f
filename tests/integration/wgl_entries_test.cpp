// The WGL entry points as an application sees them: the one pixel format, context creation on device contexts with and without a client area, and the
// current context of a thread through creation, switching and deletion, and what other threads
// and stale handles can do to it.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "driver_session.h"

namespace mora_it {
namespace {

TEST(WglEntries, TheOnePixelFormatIsDescribedWhenTheBufferHoldsIt) {
    PIXELFORMATDESCRIPTOR pfd;
    std::memset(&pfd, 0xCD, sizeof(pfd));
    ASSERT_EQ(sizeof(pfd), 40u);
    EXPECT_EQ(wglDescribePixelFormat(nullptr, 1, 40, &pfd), 1);
    // RGBA, 32 colour bits of 8 per channel, 24 depth bits, flags 0x25; every other member is 0.
    PIXELFORMATDESCRIPTOR expected{};
    expected.nSize = 40;
    expected.nVersion = 1;
    expected.dwFlags = 0x25;
    expected.cColorBits = 32;
    expected.cRedBits = expected.cGreenBits = expected.cBlueBits = expected.cAlphaBits = 8;
    expected.cDepthBits = 24;
    EXPECT_EQ(std::memcmp(&pfd, &expected, sizeof(pfd)), 0) << "flags 0x" << std::hex << pfd.dwFlags;

    // 39 bytes are too few: nothing is written.
    std::memset(&pfd, 0xCD, sizeof(pfd));
    EXPECT_EQ(wglDescribePixelFormat(nullptr, 1, 39, &pfd), 1);
    EXPECT_EQ(pfd.nSize, 0xCDCD);
}

// The current context follows wglMakeCurrent (which keeps the device context the context was made
// on, whatever hdc it is given) and deletion. A handle that is no context, or one kept after its
// context was deleted (even once new contexts have taken its place and, possibly, its memory), is
// refused everywhere.
TEST(WglEntries, CurrentContextFollowsMakeCurrentAndDeletionAndStaleHandlesAreRefused) {
    EXPECT_EQ(wglCreateContext(nullptr), nullptr);
    int notADeviceContext = 0;
    EXPECT_EQ(wglCreateContext(reinterpret_cast<HDC>(&notADeviceContext)), nullptr);
    HDC dc = moraCreateOffscreenDC(16, 16);
    HDC other = moraCreateOffscreenDC(24, 8);
    ASSERT_TRUE(dc != nullptr && other != nullptr);
    EXPECT_EQ(wglCreateLayerContext(dc, 1), nullptr);
    HGLRC stale = wglCreateLayerContext(dc, 0);
    HGLRC onOther = wglCreateContext(other);
    ASSERT_TRUE(stale != nullptr && onOther != nullptr);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    ASSERT_EQ(wglMakeCurrent(dc, onOther), TRUE);
    EXPECT_EQ(wglGetCurrentContext(), onOther);
    EXPECT_EQ(wglGetCurrentDC(), other);
    int notAContext = 0;
    EXPECT_EQ(wglMakeCurrent(dc, reinterpret_cast<HGLRC>(&notAContext)), FALSE);
    EXPECT_EQ(wglGetCurrentContext(), nullptr) << "a refused handle leaves the thread without a context";
    ASSERT_EQ(wglMakeCurrent(dc, stale), TRUE);
    EXPECT_EQ(wglGetCurrentDC(), dc);
    EXPECT_EQ(wglDeleteContext(stale), TRUE);
    EXPECT_EQ(wglGetCurrentContext(), nullptr) << "deleting the current context releases it";
    std::vector<HGLRC> fresh;
    for (int i = 0; i < 4; ++i) fresh.push_back(wglCreateContext(dc));
    for (HGLRC rc : fresh) {
        ASSERT_NE(rc, nullptr);
        EXPECT_NE(rc, stale);
    }
    EXPECT_EQ(wglMakeCurrent(dc, stale), FALSE);
    EXPECT_EQ(wglDeleteContext(stale), FALSE);
    EXPECT_EQ(wglDeleteContext(nullptr), FALSE);
    for (HGLRC rc : fresh) EXPECT_EQ(wglDeleteContext(rc), TRUE);
    EXPECT_EQ(wglDeleteContext(onOther), TRUE);
    moraDestroyOffscreenDC(other);
    moraDestroyOffscreenDC(dc);
    EXPECT_EQ(wglCreateContext(dc), nullptr) << "a destroyed device context names no window any more";
}

TEST(WglEntries, AnEmptyClientAreaGivesA640x480Surface) {
    for (const auto& size : {std::pair{0, 0}, std::pair{-5, 200}, std::pair{300, 0}}) {
        OffscreenSession session(size.first, size.second);
        ASSERT_TRUE(session.ok());
        const int expectedWidth = size.first < 1 ? 640 : size.first;
        const int expectedHeight = size.second < 1 ? 480 : size.second;
        ResetGlState(1, 1);
        glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        wglSwapBuffers(session.dc);
        const PresentedFrame frame = ReadPresented(session.dc);
        EXPECT_EQ(std::pair(frame.width, frame.height), std::pair(expectedWidth, expectedHeight));
        EXPECT_EQ(Rgb(frame.pixels.at(0)), 0x00FF00u) << "cleared whole";
    }
}

// One thread draws with the one GL state: a thread without a context, or with its own context
// while another draws, changes nothing (its calls are only counted), and no thread can take or
// delete a context current elsewhere. Run under ASan and TSan, the loader-like thread racing the
// drawing one must leave no trace in the heap or the state.
TEST(WglEntries, OnlyTheThreadThatDrawsChangesTheGlState) {
    HDC dc = moraCreateOffscreenDC(32, 32);
    ASSERT_NE(dc, nullptr);
    HGLRC mine = wglCreateContext(dc);
    HGLRC theirs = wglCreateContext(dc);
    ASSERT_TRUE(mine != nullptr && theirs != nullptr);
    ASSERT_EQ(wglMakeCurrent(dc, mine), TRUE);
    ResetGlState(32, 32);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);

    // TRUE when the calls were refused (glGenTextures gave no name).
    const auto interfere = [] {
        GLuint name = 0;
        for (int i = 0; i < 1000; ++i) {
            glBegin(GL_TRIANGLES);
            glColor4ub(255, 0, 0, 255);
            glVertex3f(1.0f, 2.0f, 3.0f);
            glEnd();
            glGenTextures(1, &name);
            glBindTexture(GL_TEXTURE_2D, 5000u + static_cast<GLuint>(i));
            glViewport(0, 0, 40000, 40000);  // would re-create the Surface the drawing thread uses
            glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
        }
        return name == 0 ? TRUE : FALSE;
    };
    BOOL refused[4] = {};
    std::thread loader([&] {
        refused[0] = interfere();
        refused[1] = !wglSwapBuffers(dc);
        refused[2] = !wglMakeCurrent(dc, mine);  // current on this thread
        refused[3] = !wglDeleteContext(mine);
    });
    for (int i = 0; i < 1000; ++i) {  // the drawing thread records meanwhile
        glBegin(GL_TRIANGLES);
        glVertex3f(0.0f, 0.0f, 0.0f);
        glEnd();
    }
    loader.join();
    for (BOOL r : refused) EXPECT_EQ(r, TRUE);
    EXPECT_EQ(wglGetCurrentContext(), mine);

    BOOL madeTheirsCurrent = FALSE;
    std::thread([&] {
        madeTheirsCurrent = wglMakeCurrent(dc, theirs);
        refused[0] = interfere();
    }).join();
    EXPECT_EQ(madeTheirsCurrent, TRUE);
    EXPECT_EQ(refused[0], TRUE) << "a second thread's calls are refused while this one draws";
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(wglSwapBuffers(dc), TRUE);
    EXPECT_EQ(Rgb(ReadPresented(dc).pixels.at(0)), 0x0000FFu) << "the other threads' clear colour must not have landed";
    wglMakeCurrent(dc, nullptr);
    EXPECT_EQ(wglDeleteContext(mine), TRUE);
    EXPECT_EQ(wglDeleteContext(theirs), TRUE);
    moraDestroyOffscreenDC(dc);
}

}  // namespace
}  // namespace mora_it
