// FPS overlay with injected time: the once-a-second update rule, the text, and
// the drawing (only inside the layout boxes, white text over a shadow 4 pixels right and below).
// That it stays off while its setting is off, every present of dxgi_present_test.cpp shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "present/fps_overlay.h"
#include "present/test_image.h"

namespace mora {
namespace {

using test::TestImage;

constexpr int64_t kTicksPerSecond = 1000000;
constexpr int64_t kStart = 5 * kTicksPerSecond;  // the counter is never 0 in practice

// CPU times whose n-th interval is (10 x n) % busy: 10 %, 20 %, ...
platform::SystemCpuTimes gTimes;
uint64_t gSamples = 0;
bool FakeTimes(platform::SystemCpuTimes* times) {
    const uint64_t busy = 10 * gSamples;
    gTimes.idle += 100 - busy;
    gTimes.kernel += 100 - busy + busy / 2;  // kernel time includes the idle time
    gTimes.user += busy - busy / 2;
    ++gSamples;
    *times = gTimes;
    return true;
}

class FpsOverlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        gTimes = platform::SystemCpuTimes{};
        gSamples = 0;
        overlay.cpuSampler.readTimes = FakeTimes;
        ASSERT_TRUE(InitFpsOverlay(overlay, kStart, kTicksPerSecond)) << "no usable bold sans font";
    }
    FpsOverlay overlay;
};

TEST_F(FpsOverlayTest, FiguresChangeAtMostOncePerSecond) {
    TestImage image(1280, 720);
    std::vector<std::pair<int64_t, std::string>> changes;
    std::string last;
    // 60 frames per second for 5.5 seconds.
    for (int frame = 1; frame <= 330; ++frame) {
        const int64_t now = kStart + frame * kTicksPerSecond / 60;
        DrawFpsOverlayAt(overlay, image.view, 1280, 720, now, kTicksPerSecond);
        const std::string text = FpsOverlayText(overlay);
        if (text != last) changes.emplace_back(now, text);
        last = text;
    }
    ASSERT_EQ(changes.size(), 5u);
    EXPECT_EQ(changes[0].first, kStart + kTicksPerSecond);  // nothing during the first second
    for (size_t i = 1; i < changes.size(); ++i) EXPECT_GE(changes[i].first - changes[i - 1].first, kTicksPerSecond);
    // The sampler primed when the overlay started, so the first figure is already a measurement.
    EXPECT_EQ(changes[0].second, "1280 x 720\nFPS 60\nCPU 10%");
    EXPECT_EQ(changes[4].second, "1280 x 720\nFPS 60\nCPU 50%");
}

bool InBox(const OverlayBox& box, int32_t x, int32_t y) {
    return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
}

TEST_F(FpsOverlayTest, DrawsOnlyInsideItsBoxesWithAShadowFourPixelsOff) {
    const uint32_t grey = 0x5A808080u;
    TestImage image(1100, 300);
    image.Fill(grey);
    overlay.fps = 144;
    overlay.cpuPercent = 100;
    DrawFpsOverlayAt(overlay, image.view, 1920, 1080, kStart + 1, kTicksPerSecond);
    EXPECT_STREQ(FpsOverlayText(overlay), "1920 x 1080\nFPS 144\nCPU 100%");

    // Count, rightmost column and lowest row of the white text and of the black shadow.
    int32_t bright[3] = {0, -1, -1}, dark[3] = {0, -1, -1};
    for (int32_t y = 0; y < 300; ++y) {
        for (int32_t x = 0; x < 1100; ++x) {
            const uint32_t pixel = image.Get(x, y);
            if (!InBox(kOverlayTextBox, x, y) && !InBox(kOverlayShadowBox, x, y)) {
                ASSERT_EQ(pixel, grey) << x << "," << y;
                continue;
            }
            ASSERT_EQ(pixel >> 24, grey >> 24);  // alpha is kept
            const uint32_t green = (pixel >> 8) & 0xFF;
            int32_t* extent = green >= 0xF0 ? bright : (green <= 0x30 ? dark : nullptr);
            if (extent == nullptr) continue;
            ++extent[0];
            extent[1] = std::max(extent[1], x);
            extent[2] = std::max(extent[2], y);
        }
    }
    EXPECT_GT(bright[0], 2000);
    EXPECT_GT(dark[0], 100);
    EXPECT_GT(bright[2], kOverlayTextBox.top + 150);  // three lines of ~60-pixel text
    // The shadow is the same text 4 pixels right and below, so it sticks out there.
    // (Edge pixels of partial coverage pass the two thresholds differently: one pixel of slack.)
    EXPECT_NEAR(dark[1], bright[1] + 4, 1);
    EXPECT_NEAR(dark[2], bright[2] + 4, 1);
}

TEST_F(FpsOverlayTest, ClipsToSmallImages) {
    TestImage tiny(40, 20);
    tiny.Fill(0xFF000000u);
    overlay.fps = 60;
    DrawFpsOverlayAt(overlay, tiny.view, 40, 20, kStart + 1, kTicksPerSecond);  // must not write outside
    for (int32_t y = 0; y < 20; ++y) {
        const uint8_t* padding = tiny.view.pixels + static_cast<size_t>(y) * tiny.view.rowPitch + 160;
        ASSERT_EQ(std::vector<uint8_t>(padding, padding + 20), std::vector<uint8_t>(20, 0xEE)) << y;
    }
}

int gFontLoads = 0;
bool FailingFontLoad(OverlayFont&, int32_t, PresentFailure* failure) {
    ++gFontLoads;
    *failure = PresentFailure{"FT_New_Face(FPS overlay)", 1};
    return false;
}

TEST(FpsOverlayFont, AMissingFontIsRetriedOncePerSecondAndDrawsNothing) {
    gFontLoads = 0;
    FpsOverlay overlay;
    overlay.loadFont = FailingFontLoad;
    test::TestImage image(320, 240);
    image.Fill(0xFF202020u);
    const std::vector<uint8_t> before = image.bytes;
    constexpr int64_t kTicks = 1000;
    for (int frame = 0; frame < 150; ++frame) {  // 2.5 s at 60 frames per second
        DrawFpsOverlayAt(overlay, image.view, 320, 240, kTicks + frame * kTicks / 60, kTicks);
    }
    EXPECT_EQ(gFontLoads, 3);              // at 0 s, 1 s and 2 s
    EXPECT_EQ(overlay.ticksPerSecond, 0);  // timing starts only with a font
    EXPECT_EQ(overlay.framesSinceUpdate, 0);
    EXPECT_EQ(image.bytes, before);
}

}  // namespace
}  // namespace mora
