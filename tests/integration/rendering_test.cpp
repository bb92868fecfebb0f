// Whole frames through the exported API: the calls that run at once while a display list is open.
// (Textures, the alpha test and blending are compared over whole images with llvmpipe in
// tests/compare; the surface growing with the viewport in tests/frame/surface_test.cpp.)
#include <gtest/gtest.h>

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
