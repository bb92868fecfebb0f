// Whole frames through the exported API: the staging ring that hands each frame the image of two
// frames before, and the calls that run at once while a display list is open. (Textures, the alpha
// test and blending are compared over whole images with llvmpipe in tests/compare; the surface
// growing with the viewport in tests/frame/surface_test.cpp.)
#include <gtest/gtest.h>

#include <cstdint>

#include "driver_session.h"

namespace mora_it {
namespace {

class Rendering : public ::testing::Test {
protected:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;
    void SetUp() override {
        ASSERT_TRUE(session_.ok());
        ResetGlState(kWidth, kHeight);
    }
    void TearDown() override { ResetGlState(kWidth, kHeight); }
    OffscreenSession session_{kWidth, kHeight};
};

TEST_F(Rendering, EachFrameStartsWithTheImageOfTwoFramesBefore) {
    const float colours[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}};
    const uint32_t words[4] = {0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFFFFu};
    for (int frame = 0; frame < 4; ++frame) {
        // Before anything is drawn, the colour memory holds the frame two back (black at first).
        const uint32_t start = Rgb(ReadPixel(5, 5));
        EXPECT_EQ(start, frame >= 2 ? words[frame - 2] : 0u) << "frame " << frame;
        glClearColor(colours[frame][0], colours[frame][1], colours[frame][2], 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        wglSwapBuffers(session_.dc);
        EXPECT_EQ(Rgb(ReadPresented(session_.dc).At(5, 5)), words[frame]) << "frame " << frame;
    }
}

// While a display list is open the calls GL runs at once still do: a read-back sees the frame
// drawn so far (not the list's calls), a swap presents it, texture names come from the context;
// the list keeps its calls and draws them when called.
TEST_F(Rendering, CallsThatRunAtOnceStillDoWhileAListIsOpen) {
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glColor3f(0.0f, 0.0f, 1.0f);
    DrawRect(8.0f, 8.0f, 40.0f, 40.0f);
    EXPECT_EQ(Rgb(ReadPixel(20, 20)), 0xFF0000u);
    wglSwapBuffers(session_.dc);
    EXPECT_EQ(Rgb(ReadPresented(session_.dc).At(20, 20)), 0xFF0000u);
    GLuint inList = 0;
    glGenTextures(1, &inList);
    glEndList();
    GLuint next = 0;
    glGenTextures(1, &next);
    EXPECT_NE(next, inList) << "the name given inside the list is taken in the context";
    glDeleteTextures(1, &next);
    glDeleteTextures(1, &inList);
    glClear(GL_COLOR_BUFFER_BIT);
    glCallList(list);
    wglSwapBuffers(session_.dc);
    EXPECT_EQ(Rgb(ReadPresented(session_.dc).At(20, 20)), 0x0000FFu);
    glDeleteLists(list, 1);
}

}  // namespace
}  // namespace mora_it
