// DxgiPresent on the offscreen target: argument checks, the staging ring (alternation, contents
// two frames old) with the presented images, resizing, settings reaching the next frame, the trace
// lines of failing steps, and the fallback of a target that cannot open.
#include <gtest/gtest.h>

#include <string>

#include "diag/trace.h"
#include "present/dxgi_present.h"
#include "test_support/driver_state.h"
#include "test_support/temp_dir.h"

namespace mora {
namespace {

void* const kWindow = reinterpret_cast<void*>(uintptr_t{0x1234});

class DxgiPresentTest : public ::testing::Test {
protected:
    void SetUp() override { test::ResetDriverState(); }
    void TearDown() override { test::ResetDriverState(); }
};

uint32_t Pattern(int32_t x, int32_t y, uint32_t frame) {
    return 0xFF000000u | (frame & 0xFF) << 16 | static_cast<uint32_t>(y & 0xFF) << 8 | (x & 0xFF);
}

// Maps the next staging buffer, checks its pitch, and writes a pattern that differs per pixel and
// per frame into it; returns the mapped memory.
void* DrawFrame(DxgiPresent& present, int32_t width, int32_t height, uint32_t frame) {
    void* data = nullptr;
    uint32_t pitch = 0;
    EXPECT_TRUE(BeginFrame(present, &data, &pitch));
    EXPECT_EQ(pitch, StagingRowPitch(width));
    if (data == nullptr) return nullptr;
    for (int32_t y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(data) + static_cast<size_t>(y) * pitch);
        for (int32_t x = 0; x < width; ++x) row[x] = Pattern(x, y, frame);
    }
    return data;
}

TEST_F(DxgiPresentTest, InitRejectsBadArgumentsAndIgnoresASecondInit) {
    DxgiPresent present;
    EXPECT_FALSE(Init(present, OffscreenPresentTarget(), nullptr, 64, 32, 64, 32));
    EXPECT_FALSE(Init(present, OffscreenPresentTarget(), kWindow, 0, 32, 64, 32));
    EXPECT_FALSE(Init(present, OffscreenPresentTarget(), kWindow, 64, 32, 64, -1));
    EXPECT_EQ(present.target, nullptr);
    EXPECT_FALSE(BeginFrame(present, nullptr, nullptr));
    EXPECT_FALSE(PresentSwapChain(present));

    ASSERT_TRUE(Init(present, OffscreenPresentTarget(), kWindow, 64, 32, 48, 24));
    EXPECT_TRUE(Init(present, OffscreenPresentTarget(), kWindow, 200, 100, 200, 100));
    EXPECT_EQ(
        (std::vector<int32_t>{present.swapWidth, present.renderWidth, present.renderHeight, present.stagingIndex}),
        (std::vector<int32_t>{64, 48, 24, 0}));
    Shutdown(present);
    EXPECT_EQ(present.target, nullptr);
    EXPECT_FALSE(present.mapped);
    Shutdown(present);  // safe twice
}

// Each present shows the frame just drawn (the neutral colour pass copies it); the buffer handed
// out next still holds the frame drawn two presents ago.
TEST_F(DxgiPresentTest, StagingRingAlternatesAndPresentsTheFrameAfterTheColourPass) {
    DxgiPresent present;
    ASSERT_TRUE(Init(present, OffscreenPresentTarget(), kWindow, 33, 17, 33, 17));
    void* first = nullptr;
    ASSERT_TRUE(BeginFrame(present, &first, nullptr));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % 64u, 0u);
    for (uint32_t frame = 0; frame < 4; ++frame) {
        if (frame >= 2) {
            void* data = nullptr;
            ASSERT_TRUE(BeginFrame(present, &data, nullptr));
            EXPECT_EQ(*static_cast<uint32_t*>(data), Pattern(0, 0, frame - 2));
        }
        void* drawn = DrawFrame(present, 33, 17, frame);
        EXPECT_TRUE(frame > 0 || drawn == first);  // mapping again gives the same buffer
        ASSERT_TRUE(PresentSwapChain(present));
        EXPECT_EQ(present.stagingIndex, static_cast<int32_t>((frame + 1) % 2));
        EXPECT_TRUE(present.mapped);
        const ImageView shown = PresentedImage(present);
        ASSERT_EQ(shown.width, 33);
        ASSERT_EQ(shown.height, 17);
        for (int32_t y = 0; y < 17; ++y)
            for (int32_t x = 0; x < 33; ++x) ASSERT_EQ(ImageRow(shown, y)[x], Pattern(x, y, frame)) << x << "," << y;
    }

    SetSettingValue(TheDriverSettings().VideoRangeX100, 100);  // a settings change reaches the next frame
    DrawFrame(present, 33, 17, 0);
    ASSERT_TRUE(PresentSwapChain(present));
    EXPECT_EQ(ImageRow(PresentedImage(present), 0)[0], 0xFF101010u);
}

TEST_F(DxgiPresentTest, ResizeReusesLargeEnoughMemory) {
    DxgiPresent present;
    ASSERT_TRUE(Init(present, OffscreenPresentTarget(), kWindow, 64, 64, 64, 64));
    void* before = nullptr;
    ASSERT_TRUE(BeginFrame(present, &before, nullptr));
    ASSERT_TRUE(Resize(present, 32, 16, 30, 20));
    EXPECT_EQ(DrawFrame(present, 30, 20, 1), before);
    ASSERT_TRUE(PresentSwapChain(present));
    EXPECT_EQ(PresentedImage(present).width, 32);
    EXPECT_EQ(PresentedImage(present).height, 16);

    ASSERT_TRUE(Resize(present, 100, 90, 120, 110));  // larger: new memory of the new pitch
    DrawFrame(present, 120, 110, 2);
    ASSERT_TRUE(PresentSwapChain(present));
    EXPECT_EQ(PresentedImage(present).width, 100);
    EXPECT_FALSE(Resize(present, 0, 90, 120, 110));  // refused, record kept
    EXPECT_NE(present.target, nullptr);
}

// A target that fails on request and counts its calls.
struct FakeTargetLog {
    int closes = 0;
    bool failOpen = false;
    bool failShow = false;
    uint32_t pixels[4] = {};
} gFake;

const PresentTarget kFakeTarget{
    "fake",
    [](void*, int32_t, int32_t, void** state, PresentFailure* failure) {
        if (gFake.failOpen) {
            *failure = PresentFailure{"FakeOpen", 0x1234ABCDu};
            return false;
        }
        *state = &gFake;
        return true;
    },
    [](void*, int32_t, int32_t, PresentFailure*) { return true; },
    [](void*) {
        return ImageView{reinterpret_cast<uint8_t*>(gFake.pixels), 8, 2, 2};
    },
    [](void*, PresentFailure* failure) {
        if (!gFake.failShow) return true;
        *failure = PresentFailure{"FakeShow", 0x887A0005u};
        return false;
    },
    [](void* state) { gFake.closes += state != nullptr; },
};

// Runs `body` inside a trace of the current frame and returns the trace file's text.
template <typename Body>
std::string TraceOf(Body body) {
    const test::TempDir directory("mora_present_trace_test");
    const int32_t frame = CurrentFrame();
    EXPECT_TRUE(OpenTrace(frame, frame, "present test", false, directory.path.c_str()));
    body();
    CloseTrace();
    ClearTraceRange();
    return directory.Read("MORA_trace_frame" + std::to_string(frame) + ".mora-trace");
}

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Open and staging failures leave nothing open (an opened target is closed again); a failed show
// neither flips nor keeps the buffer mapped. Each is traced with its step and code.
TEST_F(DxgiPresentTest, FailingStepsAreTracedAndReleaseEverything) {
    const struct {
        bool failOpen, failShow;
        int32_t renderHeight;
        const char *context, *line;
        int closes;
    } cases[] = {
        {true, false, 2, "MORA::DxgiPresent::Init", "(step=FakeOpen, hr=0x1234ABCD)", 0},
        {false, false, 20000, "MORA::DxgiPresent::Init", "(step=AllocateStaging, hr=0x80070057)", 1},
        {false, true, 2, "MORA::DxgiPresent::PresentSwapChain", "(Present hr=0x887A0005)", 1},
    };
    for (const auto& c : cases) {
        gFake = FakeTargetLog{};
        gFake.failOpen = c.failOpen, gFake.failShow = c.failShow;
        const std::string trace = TraceOf([&] {
            DxgiPresent present;
            ASSERT_EQ(Init(present, kFakeTarget, kWindow, 2, 2, 2, c.renderHeight), c.failShow);
            EXPECT_EQ(present.target != nullptr, c.failShow);
            if (!c.failShow) return;
            EXPECT_FALSE(PresentSwapChain(present));
            EXPECT_EQ(present.stagingIndex, 0);
            EXPECT_FALSE(present.mapped);
        });
        EXPECT_TRUE(Contains(trace, c.context) && Contains(trace, c.line)) << trace;
        EXPECT_EQ(gFake.closes, c.closes) << c.line;
    }
}

// A target that cannot open hands over to its fallback (Direct3D to GDI). The path of a target
// with its own staging images runs against the real Direct3D target in the Windows stage.
const PresentTarget& FakeTarget() { return kFakeTarget; }

const PresentTarget kFailingTarget = [] {
    PresentTarget target = kFakeTarget;
    target.name = "gpu";
    target.open = [](void*, int32_t, int32_t, void**, PresentFailure* failure) {
        *failure = PresentFailure{"GpuOpen", 0x887A0004u};
        return false;
    };
    target.fallback = FakeTarget;
    return target;
}();

TEST_F(DxgiPresentTest, ATargetThatCannotOpenFallsBack) {
    gFake = FakeTargetLog{};
    const std::string trace = TraceOf([] {
        DxgiPresent present;
        ASSERT_TRUE(Init(present, kFailingTarget, kWindow, 2, 2, 2, 2));
        EXPECT_EQ(present.target, &kFakeTarget);
    });
    EXPECT_TRUE(Contains(trace, "MORA::DxgiPresent::Init") && Contains(trace, "(step=GpuOpen, hr=0x887A0004)"))
        << trace;
}

}  // namespace
}  // namespace mora
