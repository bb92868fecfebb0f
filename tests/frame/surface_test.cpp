// Context records and their Surface: creation sizes, Ensure size growing the Surface only when a
// viewport needs more, the GL viewport hook that reaches it only with a current context.
#include <gtest/gtest.h>

#include <thread>
#include <utility>

#include "frame/surface.h"
#include "mora/gl.h"
#include "frame_test_support.h"

namespace mora::test {
namespace {

class SurfaceTest : public ::testing::Test {
protected:
    void SetUp() override { InstallWglHooks(); }
    void TearDown() override { SetCurrentContextRecord(nullptr); }
};

TEST_F(SurfaceTest, CreateRefusesEmptySizesAndMissingWindows) {
    platform::DeviceContext* dc = platform::CreateOffscreenDeviceContext(8, 8);
    ASSERT_NE(dc, nullptr);
    Surface surface;
    EXPECT_FALSE(CreateSurface(surface, 8, -1, &dc->window));
    EXPECT_FALSE(CreateSurface(surface, 8, 8, nullptr));
    EXPECT_FALSE(PresentSurface(surface)) << "nothing to present without buffers";
    ASSERT_TRUE(CreateSurface(surface, 8, 8, &dc->window));
    ReleaseSurface(surface);
    platform::DestroyDeviceContext(dc);
}

// (The default size for an empty client area and handles that are no device context are checked
// through wglCreateContext in tests/integration/wgl_entries_test.cpp.)
TEST_F(SurfaceTest, CreatedWithTheClientSizeAndEnsureSizeGrowsOnlyWhatAViewportNeeds) {
    CurrentOffscreenContext current(800, 600);
    ASSERT_NE(current.context, nullptr);
    ContextRecord& context = *current.context;
    const auto size = [&] { return std::pair{context.surface.width, context.surface.height}; };
    EXPECT_EQ(size(), (std::pair{800, 600}));
    const float* depthBefore = context.surface.depthBuffer;

    EXPECT_TRUE(EnsureSurfaceSize(context, 640, 480));
    EXPECT_EQ(context.surface.depthBuffer, depthBefore) << "a smaller viewport keeps the Surface";
    EXPECT_TRUE(EnsureSurfaceSize(context, 0, -5)) << "an empty request reports the buffers";

    EXPECT_TRUE(EnsureSurfaceSize(context, 1024, 300));
    EXPECT_EQ(size(), (std::pair{1024, 600}));
    EXPECT_GE(context.surface.colourPitch, 1024 * 4);

    // Through the GL layer: glViewport reaches the current context's Surface.
    glViewport(0, 0, 700, 900);
    EXPECT_EQ(size(), (std::pair{1024, 900}));

    // A thread without a current context (as the frame executor thread replays viewports) changes no Surface.
    std::thread([] { EnsureCurrentSurfaceSize(3000, 3000); }).join();
    EXPECT_EQ(context.surface.width, 1024);
}

TEST_F(SurfaceTest, EnsureSizeFailsWithoutAWindowAndReleasesOnFailedRecreation) {
    CurrentOffscreenContext current(64, 64);
    ASSERT_NE(current.context, nullptr);
    ContextRecord& context = *current.context;
    // Too large for the presenter: re-creation fails and the Surface is released, not half-built.
    EXPECT_FALSE(EnsureSurfaceSize(context, 100000, 10));
    EXPECT_FALSE(SurfaceHasBuffers(context.surface));
    EXPECT_FALSE(EnsureSurfaceSize(context, 0, 0));
    // A later viewport within limits re-creates it.
    EXPECT_TRUE(EnsureSurfaceSize(context, 32, 32));
    EXPECT_EQ((std::pair{context.surface.width, context.surface.height}), (std::pair{32, 32}));

    // Once the device context is gone, there is no window to re-create on.
    platform::DestroyDeviceContext(current.dc);
    current.dc = nullptr;
    EXPECT_TRUE(EnsureSurfaceSize(context, 16, 16)) << "large enough: nothing to re-create";
    EXPECT_FALSE(EnsureSurfaceSize(context, 64, 64));
    EXPECT_TRUE(SurfaceHasBuffers(context.surface)) << "a refused growth keeps the old Surface";
}

}  // namespace
}  // namespace mora::test
