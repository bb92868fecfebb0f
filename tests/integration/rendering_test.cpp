// Whole frames through the exported API, compared with pixels computed here from the inputs: a
// textured quad (replaced and alpha-tested), a viewport that outgrows the window, and the staging
// ring that hands each frame the image of two frames before. (Modulated textures and blending are
// compared over whole images with llvmpipe in tests/compare.)
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "driver_session.h"

namespace mora_it {
namespace {

// A 4 x 4 RGBA texture whose texels all differ; texel (x, y) at bytes 4 (4y + x). Alpha is 0 on
// the texels with x + y odd, 255 elsewhere.
std::vector<uint8_t> CheckerTexels() {
    std::vector<uint8_t> texels;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            texels.push_back(static_cast<uint8_t>(40 + 50 * x));
            texels.push_back(static_cast<uint8_t>(30 + 60 * y));
            texels.push_back(static_cast<uint8_t>(200 - 10 * (x + 4 * y)));
            texels.push_back((x + y) % 2 == 1 ? 0 : 255);
        }
    }
    return texels;
}

class Rendering : public ::testing::Test {
protected:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;
    static constexpr float kQuad0 = 8.0f;   // the textured quad covers [8, 40) in x and y:
    static constexpr float kQuad1 = 40.0f;  // each texel becomes an 8 x 8 block
    void SetUp() override {
        ASSERT_TRUE(session_.ok());
        ResetGlState(kWidth, kHeight);
    }
    void TearDown() override {
        if (texture_ != 0) glDeleteTextures(1, &texture_);
        ResetGlState(kWidth, kHeight);
    }
    // Clears to green, draws the checker texture over the quad (environment GL_REPLACE) and
    // presents the frame; then checks the centre of every 8 x 8 texel block against the texel,
    // or the green clear where `dropped(texel index)`, and a ring of green around the quad.
    template <class Dropped>
    void ExpectCheckerQuad(Dropped dropped) {
        glGenTextures(1, &texture_);
        glBindTexture(GL_TEXTURE_2D, texture_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels_.data());
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        DrawRect(kQuad0, kQuad0, kQuad1, kQuad1);
        wglSwapBuffers(session_.dc);
        const PresentedFrame frame = ReadPresented(session_.dc);
        ASSERT_EQ(frame.width, kWidth);
        ASSERT_EQ(frame.height, kHeight);
        for (int t = 0; t < 16; ++t) {
            const uint32_t texel = Argb(0, texels_[4 * t], texels_[4 * t + 1], texels_[4 * t + 2]);
            const uint32_t expected = dropped(t) ? 0x00FF00u : texel;
            for (int d = 0; d < 16; ++d) {  // the 4 x 4 pixels in the middle of the block
                const int glX = static_cast<int>(kQuad0) + 8 * (t % 4) + 2 + d % 4;
                const int glY = static_cast<int>(kQuad0) + 8 * (t / 4) + 2 + d / 4;
                ASSERT_EQ(Rgb(frame.At(glX, kHeight - 1 - glY)), expected)
                    << "texel " << t << " at GL " << glX << "," << glY;
            }
        }
        for (int i = 0; i < kWidth; ++i) {
            EXPECT_EQ(Rgb(frame.At(i, kHeight - 1 - 4)), 0x00FF00u) << "below the quad, x " << i;
            EXPECT_EQ(Rgb(frame.At(i, kHeight - 1 - 44)), 0x00FF00u) << "above the quad, x " << i;
        }
    }
    const std::vector<uint8_t> texels_ = CheckerTexels();
    OffscreenSession session_{kWidth, kHeight};
    GLuint texture_ = 0;
};

TEST_F(Rendering, ReplacedTextureShowsEachTexelExactly) {
    glColor3f(0.2f, 0.9f, 0.4f);  // replaced by the texel
    ExpectCheckerQuad([](int) { return false; });
}

TEST_F(Rendering, AlphaTestDropsTransparentTexels) {
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.666f);
    ExpectCheckerQuad([&](int t) { return texels_[4 * t + 3] == 0; });
}

TEST_F(Rendering, ViewportLargerThanTheWindowRecreatesTheSurface) {
    // Wider than the window: the surface becomes 100 x 48 (the height is kept).
    glViewport(0, 0, 100, 30);
    glClearColor(1.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(Rgb(ReadPixel(99, 47)), 0xFFFF00u) << "the re-created surface is 100 wide";
    EXPECT_EQ(ReadPixel(100, 0), 0xDEADBEEFu);
    EXPECT_EQ(ReadPixel(0, 48), 0xDEADBEEFu);
    const auto presentedSize = [&] {
        wglSwapBuffers(session_.dc);
        int width = 0;
        int height = 0;
        EXPECT_EQ(moraGetPresentedFrameSize(session_.dc, &width, &height), 1);
        return std::pair{width, height};
    };
    EXPECT_EQ(presentedSize(), (std::pair{100, kHeight}));

    // A smaller viewport keeps it; a taller one grows it again, keeping the width.
    glViewport(0, 0, 32, 32);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(presentedSize(), (std::pair{100, kHeight}));
    glViewport(0, 0, 10, 70);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(presentedSize(), (std::pair{100, 70}));
    const PresentedFrame frame = ReadPresented(session_.dc);
    ASSERT_EQ(frame.pixels.size(), 100u * 70u);
    EXPECT_EQ(Rgb(frame.At(99, 0)), 0xFFFF00u);
    EXPECT_EQ(Rgb(frame.At(0, 69)), 0xFFFF00u);
}

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
    DrawRect(kQuad0, kQuad0, kQuad1, kQuad1);
    EXPECT_EQ(Rgb(ReadPixel(20, 20)), 0xFF0000u);
    wglSwapBuffers(session_.dc);
    EXPECT_EQ(Rgb(ReadPresented(session_.dc).At(20, 20)), 0xFF0000u);
    glGenTextures(1, &texture_);
    glEndList();
    GLuint next = 0;
    glGenTextures(1, &next);
    EXPECT_NE(next, texture_) << "the name given inside the list is taken in the context";
    glDeleteTextures(1, &next);
    glClear(GL_COLOR_BUFFER_BIT);
    glCallList(list);
    wglSwapBuffers(session_.dc);
    EXPECT_EQ(Rgb(ReadPresented(session_.dc).At(20, 20)), 0x0000FFu);
    glDeleteLists(list, 1);
}

}  // namespace
}  // namespace mora_it
