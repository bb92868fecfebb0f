// moraGetLastFrameTimes: the per-stage times a profiling tool reads after each wglSwapBuffers.
#include <gtest/gtest.h>

#include "driver_session.h"
#include "mora/gl.h"
#include "mora/mora_dc.h"

namespace mora_it {
namespace {

TEST(FrameTimes, DescribeTheLastFrameEnded) {
    EXPECT_EQ(moraGetLastFrameTimes(nullptr), 0);
    OffscreenSession session(96, 64);
    ASSERT_TRUE(session.ok());
    for (const int rects : {1, 3}) {
        ResetGlState(session.width, session.height);
        glClear(GL_COLOR_BUFFER_BIT);
        for (int k = 0; k < rects; ++k) DrawRect(4.0f * k, 0.0f, 4.0f * k + 40.0f, 30.0f);
        ASSERT_EQ(wglSwapBuffers(session.dc), TRUE);
        MoraFrameTimes times{};
        ASSERT_EQ(moraGetLastFrameTimes(&times), 1);
        EXPECT_EQ(times.triangles, 2u * rects);
        EXPECT_GT(times.renderNs, 0u);
        // The stages run one after the other inside the frame end.
        EXPECT_GE(times.swapNs, times.replayNs + times.emitNs + times.renderNs + times.presentNs);
    }
}

}  // namespace
}  // namespace mora_it
