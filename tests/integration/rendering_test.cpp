// Whole frames through the exported API, compared with pixels computed here from the inputs: a
// textured quad (replace and modulate), an alpha-tested quad, a blended quad, a viewport that
// outgrows the window, and the staging ring that hands each frame the image of two frames before.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "driver_session.h"

namespace mora_it {
namespace {

// Tolerance of the blended and modulated results: the fragment stage's fixed-point rounding may
// differ from the exact product by at most this much per channel.
constexpr int kChannelTolerance = 2;

int Channel(uint32_t argb, int shift) { return static_cast<int>((argb >> shift) & 0xFFu); }

::testing::AssertionResult NearRgb(uint32_t actual, int r, int g, int b) {
    const int dr = std::abs(Channel(actual, 16) - r);
    const int dg = std::abs(Channel(actual, 8) - g);
    const int db = std::abs(Channel(actual, 0) - b);
    if (std::max({dr, dg, db}) <= kChannelTolerance) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got rgb(" << Channel(actual, 16) << "," << Channel(actual, 8) << ","
                                         << Channel(actual, 0) << ") expected rgb(" << r << "," << g << "," << b << ")";
}

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
    void UploadChecker() {
        glGenTextures(1, &texture_);
        glBindTexture(GL_TEXTURE_2D, texture_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        const std::vector<uint8_t> texels = CheckerTexels();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        glEnable(GL_TEXTURE_2D);
    }
    void TearDown() override {
        if (texture_ != 0) glDeleteTextures(1, &texture_);
        ResetGlState(kWidth, kHeight);
    }
    // Checks the centre of every 8 x 8 texel block of the quad, with `expected(texel index)`, and
    // a ring of background pixels around the quad.
    template <class Expected>
    void ExpectQuad(const PresentedFrame& frame, uint32_t background, Expected expected) {
        ASSERT_EQ(frame.width, kWidth);
        ASSERT_EQ(frame.height, kHeight);
        for (int ty = 0; ty < 4; ++ty) {
            for (int tx = 0; tx < 4; ++tx) {
                for (int dy = 2; dy < 6; ++dy) {
                    for (int dx = 2; dx < 6; ++dx) {
                        const int glX = static_cast<int>(kQuad0) + 8 * tx + dx;
                        const int glY = static_cast<int>(kQuad0) + 8 * ty + dy;
                        expected(frame.At(glX, kHeight - 1 - glY), tx + 4 * ty, glX, glY);
                    }
                }
            }
        }
        for (int i = 0; i < kWidth; ++i) {
            EXPECT_EQ(Rgb(frame.At(i, kHeight - 1 - 4)), Rgb(background)) << "below the quad, x " << i;
            EXPECT_EQ(Rgb(frame.At(i, kHeight - 1 - 44)), Rgb(background)) << "above the quad, x " << i;
        }
    }
    OffscreenSession session_{kWidth, kHeight};
    GLuint texture_ = 0;
};

TEST_F(Rendering, ReplacedTextureShowsEachTexelExactly) {
    const std::vector<uint8_t> texels = CheckerTexels();
    UploadChecker();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(0.2f, 0.9f, 0.4f);  // replaced by the texel
    DrawRect(kQuad0, kQuad0, kQuad1, kQuad1);
    wglSwapBuffers(session_.dc);
    ExpectQuad(ReadPresented(session_.dc), Argb(255, 0, 0, 0), [&](uint32_t pixel, int t, int x, int y) {
        const uint32_t expected = Argb(0, texels[4 * t], texels[4 * t + 1], texels[4 * t + 2]);
        ASSERT_EQ(Rgb(pixel), expected) << "texel " << t << " at GL " << x << "," << y;
    });
}

TEST_F(Rendering, ModulatedTextureIsTheProductWithTheColour) {
    const std::vector<uint8_t> texels = CheckerTexels();
    UploadChecker();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4ub(255, 128, 64, 255);
    DrawRect(kQuad0, kQuad0, kQuad1, kQuad1);
    wglSwapBuffers(session_.dc);
    ExpectQuad(ReadPresented(session_.dc), Argb(255, 0, 0, 255), [&](uint32_t pixel, int t, int x, int y) {
        const int r = texels[4 * t] * 255 / 255;
        const int g = (texels[4 * t + 1] * 128 + 127) / 255;
        const int b = (texels[4 * t + 2] * 64 + 127) / 255;
        ASSERT_TRUE(NearRgb(pixel, r, g, b)) << "texel " << t << " at GL " << x << "," << y;
    });
}

TEST_F(Rendering, AlphaTestDropsTransparentTexels) {
    const std::vector<uint8_t> texels = CheckerTexels();
    UploadChecker();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.666f);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawRect(kQuad0, kQuad0, kQuad1, kQuad1);
    wglSwapBuffers(session_.dc);
    ExpectQuad(ReadPresented(session_.dc), Argb(255, 0, 255, 0), [&](uint32_t pixel, int t, int x, int y) {
        const bool transparent = texels[4 * t + 3] == 0;
        const uint32_t expected = transparent ? 0x00FF00u : Argb(0, texels[4 * t], texels[4 * t + 1], texels[4 * t + 2]);
        ASSERT_EQ(Rgb(pixel), expected) << "texel " << t << " at GL " << x << "," << y;
    });
}

TEST_F(Rendering, BlendedQuadMixesWithWhatIsBelow) {
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(0.0f, 1.0f, 0.0f);
    DrawRect(0.0f, 0.0f, kWidth / 2, kHeight);  // opaque green on the left half
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const int alpha = 96;
    glColor4ub(255, 0, 0, static_cast<GLubyte>(alpha));
    DrawRect(kQuad0, kQuad0, kQuad1 + 16, kQuad1);  // straddles the green and blue halves
    glDisable(GL_BLEND);
    wglSwapBuffers(session_.dc);

    const PresentedFrame frame = ReadPresented(session_.dc);
    ASSERT_EQ(frame.width, kWidth);
    const auto mix = [&](int source, int below) { return (source * alpha + below * (255 - alpha) + 127) / 255; };
    const int top = kHeight - 1;
    EXPECT_TRUE(NearRgb(frame.At(12, top - 20), mix(255, 0), mix(0, 255), mix(0, 0))) << "over green";
    EXPECT_TRUE(NearRgb(frame.At(50, top - 20), mix(255, 0), mix(0, 0), mix(0, 255))) << "over blue";
    EXPECT_EQ(Rgb(frame.At(4, top - 20)), 0x00FF00u) << "green outside the quad";
    EXPECT_EQ(Rgb(frame.At(60, top - 20)), 0x0000FFu) << "blue outside the quad";
    EXPECT_EQ(Rgb(frame.At(50, top - 44)), 0x0000FFu) << "blue above the quad";
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

}  // namespace
}  // namespace mora_it
