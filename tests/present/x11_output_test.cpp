// X11 window output without shared memory, and windows that are bad or go away under a running
// output (frames presented through the X11 target with shared memory are checked end to end in
// tests/integration/x11_present_test.cpp). Uses $DISPLAY when set, else starts an Xvfb of its
// own; skipped when neither is possible.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "integration/x_server.h"
#include "platform/x11_output.h"
#include "present/dxgi_present.h"
#include "test_support/driver_state.h"

namespace mora {
namespace {

constexpr int32_t kWidth = 96;
constexpr int32_t kHeight = 40;

// One window for the whole suite: an X server resets when its last client disconnects, and a
// connection opened during that reset fails, so the suite keeps its connection open throughout.
class X11OutputTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = std::make_unique<mora_it::XServer>();
        if (server->usable()) window = platform::CreateX11Window(kWidth, kHeight, "MORA present test");
    }
    static void TearDownTestSuite() {
        platform::DestroyX11Window(window);
        window = nullptr;
        server.reset();
    }
    void SetUp() override {
        if (window == nullptr) GTEST_SKIP() << "no X server (DISPLAY unset and no Xvfb), or no window on it";
        test::ResetDriverState();
    }

    static std::vector<uint32_t> ReadBack() {
        std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
        EXPECT_TRUE(platform::ReadX11Window(window, kWidth, kHeight, pixels.data()));
        return pixels;
    }

    static std::unique_ptr<mora_it::XServer> server;
    static platform::X11Window* window;
};
std::unique_ptr<mora_it::XServer> X11OutputTest::server;
platform::X11Window* X11OutputTest::window = nullptr;

uint32_t Pattern(int32_t x, int32_t y) {
    return static_cast<uint32_t>(x * 2) << 16 | static_cast<uint32_t>(y * 5) << 8 | 7;
}

TEST_F(X11OutputTest, PlainPutImageWorksWithoutSharedMemory) {
    platform::X11Failure failure;
    platform::X11Output* output =
        platform::OpenX11Output(platform::X11WindowId(window), kWidth, kHeight, false, &failure);
    ASSERT_NE(output, nullptr) << failure.step;
    EXPECT_FALSE(platform::X11OutputUsesSharedMemory(output));
    uint32_t pitch = 0;
    uint8_t* pixels = platform::X11OutputPixels(output, &pitch);
    ASSERT_NE(pixels, nullptr);
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) reinterpret_cast<uint32_t*>(pixels + size_t(y) * pitch)[x] = Pattern(x, y);
    }
    ASSERT_TRUE(platform::ShowX11Output(output, &failure)) << failure.step;
    platform::CloseX11Output(output);
    const std::vector<uint32_t> shown = ReadBack();
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            ASSERT_EQ(shown[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)], Pattern(x, y)) << x << "," << y;
        }
    }
}

TEST_F(X11OutputTest, ABadWindowFailsWithAStepInsteadOfEndingTheProcess) {
    platform::X11Failure failure;
    EXPECT_EQ(platform::OpenX11Output(0x7FFFFFF, 8, 8, true, &failure), nullptr);
    EXPECT_STREQ(failure.step, "XGetWindowAttributes");
    EXPECT_EQ(failure.code, 3u);  // BadWindow

    // The window goes away under a running output: showing fails, the process lives on.
    platform::X11Window* doomed = platform::CreateX11Window(8, 8, "MORA doomed window");
    ASSERT_NE(doomed, nullptr);
    platform::X11Output* output = platform::OpenX11Output(platform::X11WindowId(doomed), 8, 8, true, &failure);
    ASSERT_NE(output, nullptr);
    platform::DestroyX11Window(doomed);
    EXPECT_FALSE(platform::ShowX11Output(output, &failure));
    EXPECT_NE(failure.code, 0u);
    platform::CloseX11Output(output);
}

}  // namespace
}  // namespace mora
