// The pipeline cut-off seen from outside: the driver reads MORA_PIPELINE_CUTOFF when it is loaded,
// so CTest runs this test once per stage with the variable set (and once without it, the full
// pipeline). The frame clears to blue and draws a red quad; what is presented depends on where
// the pipeline stops.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "driver_session.h"

namespace mora_it {
namespace {

// The stage this process was started with: the digit in MORA_PIPELINE_CUTOFF, else 5 (full).
int StageFromEnvironment() {
    const char* value = std::getenv("MORA_PIPELINE_CUTOFF");
    if (value == nullptr || value[0] < '0' || value[0] > '5' || value[1] != '\0') return 5;
    return value[0] - '0';
}

TEST(PipelineCutoffStage, PresentedFrameShowsWhatTheStageDraws) {
    const int stage = StageFromEnvironment();
    SCOPED_TRACE("MORA_PIPELINE_CUTOFF stage " + std::to_string(stage));
    OffscreenSession session(48, 32);
    ASSERT_TRUE(session.ok());
    ResetGlState(48, 32);
    for (int frame = 0; frame < 2; ++frame) {  // the second frame runs from the first one's Keyframe
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(1.0f, 0.0f, 0.0f);
        DrawRect(16.0f, 8.0f, 32.0f, 24.0f);
        // Mid-frame read: drawn as far as the stage allows (clears from stage 3 on, the quad at 5).
        const uint32_t centre = Rgb(ReadPixel(24, 16));
        const uint32_t corner = Rgb(ReadPixel(2, 2));
        wglSwapBuffers(session.dc);
        const PresentedFrame presented = ReadPresented(session.dc);
        ASSERT_EQ(presented.width, 48);
        ASSERT_EQ(presented.height, 32);
        // Full pipeline (5): the quad over the clear. Render preparation (3) and binning without
        // rasterizing (4): only the clear. No frame renderer at all: the new surface stays black.
        const uint32_t quad = stage == 5 ? 0xFF0000u : stage >= 3 ? 0x0000FFu : 0u;
        const uint32_t clear = stage >= 3 ? 0x0000FFu : 0u;
        EXPECT_EQ((std::vector<uint32_t>{centre, Rgb(presented.At(24, 15)), corner, Rgb(presented.At(2, 29))}),
                  (std::vector<uint32_t>{quad, quad, clear, clear}))
            << "mid-frame centre, presented centre, mid-frame corner, presented corner";
    }
}

}  // namespace
}  // namespace mora_it
