// glReadPixels through the exported API: the mid-frame flush that draws what was recorded so far
// without a swap, the byte orders with GL's bottom-up rows, the requests that write nothing,
// and the state and pending clears that must survive a flush into the rest of the frame.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "driver_session.h"

namespace mora_it {
namespace {

constexpr uint8_t kUntouched = 0x5A;

class ReadPixels : public ::testing::Test {
protected:
    static constexpr int kSize = 16;
    void SetUp() override {
        ASSERT_TRUE(session_.ok());
        ResetGlState(kSize, kSize);
    }
    // Bottom half (GL rows 0..7) red, top half blue, recorded but not yet drawn.
    void RecordTwoBands() {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(1.0f, 0.0f, 0.0f);
        DrawRect(0.0f, 0.0f, kSize, kSize / 2);
        glColor3f(0.0f, 0.0f, 1.0f);
        DrawRect(0.0f, kSize / 2, kSize, kSize);
    }
    OffscreenSession session_{kSize, kSize};
};

TEST_F(ReadPixels, FourByteOrdersFromTheBottomAndTheSwapPresentsWhatTheReadDrew) {
    RecordTwoBands();
    // One column across the band edge: GL row 7 (red) first, then GL row 8 (blue); nothing past it.
    const struct {
        GLenum format;
        std::vector<uint8_t> bytes;
    } orders[] = {{GL_RGB, {255, 0, 0, 0, 0, 255}},
                  {GL_BGR_EXT, {0, 0, 255, 255, 0, 0}},
                  {GL_RGBA, {255, 0, 0, 255, 0, 0, 255, 255}},
                  {GL_BGRA_EXT, {0, 0, 255, 255, 255, 0, 0, 255}}};
    for (const auto& order : orders) {
        std::vector<uint8_t> out(order.bytes.size() + 1, kUntouched);
        glReadPixels(4, 7, 1, 2, order.format, GL_UNSIGNED_BYTE, out.data());
        std::vector<uint8_t> expected = order.bytes;
        expected.push_back(kUntouched);
        EXPECT_EQ(out, expected) << "format 0x" << std::hex << order.format;
    }
    // The swap presents what the read drew, and the next frame, with nothing in it, is the clear
    // colour again rather than an older image.
    wglSwapBuffers(session_.dc);
    EXPECT_EQ(Rgb(ReadPresented(session_.dc).At(4, kSize - 1)), 0xFF0000u);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    wglSwapBuffers(session_.dc);
    EXPECT_EQ(Rgb(ReadPresented(session_.dc).At(4, 0)), 0x00FF00u);
}

TEST_F(ReadPixels, RequestsOutsideTheSurfaceOrInOtherFormatsWriteNothing) {
    RecordTwoBands();
    struct Request {
        GLint x, y;
        GLsizei width, height;
        GLenum format, type;
    };
    // The edges and empty sizes are checked on the copy itself (tests/frame/read_back_test.cpp);
    // here the formats the entry refuses and the rectangles whose ends overflow 32 bits.
    const Request refused[] = {
        {0, 0, 1, 1, GL_LUMINANCE, GL_UNSIGNED_BYTE},        {0, 0, 1, 1, GL_RGBA, GL_DOUBLE},
        {kSize - 1, 0, 2, 1, GL_RGBA, GL_UNSIGNED_BYTE},  // one pixel past the right edge
        {1, 0, INT_MAX, 1, GL_RGBA, GL_UNSIGNED_BYTE},    // x + width overflows 32 bits
        {0, INT_MAX, 1, INT_MAX, GL_RGBA, GL_UNSIGNED_BYTE}, {INT_MIN, 0, 4, 1, GL_RGBA, GL_UNSIGNED_BYTE},
    };
    std::vector<uint8_t> buffer(64, kUntouched);
    for (const Request& r : refused) {
        glReadPixels(r.x, r.y, r.width, r.height, r.format, r.type, buffer.data());
        for (uint8_t byte : buffer) {
            ASSERT_EQ(byte, kUntouched) << r.x << "," << r.y << " " << r.width << "x" << r.height << " format 0x"
                                        << std::hex << r.format << " type 0x" << r.type;
        }
    }
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);  // no destination: no effect
    // The refused requests flushed the frame all the same; a valid one now reads it.
    EXPECT_EQ(Rgb(ReadPixel(0, 0)), 0xFF0000u);
    wglSwapBuffers(session_.dc);
}

TEST_F(ReadPixels, StateAndPendingDepthClearSurviveAFlushWithNothingToDraw) {
    // Frame 1 leaves 0.0 in the whole depth buffer.
    glClearDepth(0.0);
    glClear(GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT);
    wglSwapBuffers(session_.dc);

    // Frame 2: the projection and the depth clear are recorded, then a read flushes them with
    // nothing to draw (no colour clear, no triangle). Both must still hold for the rest of the frame.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, kSize * 2, 0.0, kSize * 2, -1.0, 1.0);  // twice the surface: a rect shows at half size
    glMatrixMode(GL_MODELVIEW);
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    uint32_t ignored = 0;
    glReadPixels(0, 0, 1, 1, GL_BGRA_EXT, GL_UNSIGNED_BYTE, &ignored);

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glColor3f(0.0f, 1.0f, 0.0f);
    DrawRect(0.0f, 0.0f, kSize, kSize);  // z = 0: depth 0.5, drawn only over the 1.0 clear
    glDisable(GL_DEPTH_TEST);
    EXPECT_EQ(Rgb(ReadPixel(2, 2)), 0x00FF00u) << "the depth clear was lost in the flush";
    EXPECT_EQ(Rgb(ReadPixel(kSize / 2 - 2, kSize / 2 - 2)), 0x00FF00u);
    EXPECT_NE(Rgb(ReadPixel(kSize / 2 + 2, kSize / 2 + 2)), 0x00FF00u) << "the projection was lost in the flush";
    wglSwapBuffers(session_.dc);
}

}  // namespace
}  // namespace mora_it
