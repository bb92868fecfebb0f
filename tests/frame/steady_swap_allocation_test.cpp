// Steady frames through wglSwapBuffers allocate nothing on the application thread, the frames that
// ask for the periodic call summary included: the writer thread formats and writes it. This
// program replaces the global allocation functions to count them.
#include <gtest/gtest.h>

#include <string>

#include "diag/frame_counter.h"
#include "entry/entry_table.h"
#include "frame/call_summary_writer.h"
#include "mora/gl.h"
#include "test_support/counting_allocator.h"
#include "test_support/driver_state.h"
#include "test_support/temp_dir.h"
#include "frame_test_support.h"

namespace mora::test {
namespace {

void DrawAndSwap(int frame) {
    glViewport(0, 0, 64, 48);
    glClearColor(0.0f, 0.25f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < 40; ++i) {
        const float x = static_cast<float>((i * 7 + frame) % 20) * 0.1f - 1.0f;
        glColor3f(1.0f, static_cast<float>(i) / 40.0f, 0.0f);
        glVertex3f(x, -0.9f, 0.1f);
        glVertex3f(x + 0.3f, 0.8f, 0.2f);
        glVertex3f(x - 0.2f, 0.5f, 0.3f);
    }
    glEnd();
    ASSERT_EQ(wglSwapBuffers(nullptr), TRUE);
}

TEST(SteadySwap, TwoHundredFramesWithThreeSummaryRewritesAllocateNothingOnTheApplicationThread) {
    // Under a sanitizer nothing is counted, but the writer thread still runs beside the frames.
    InstallWglHooks();
    ResetDriverState();
    TempDir dir("mora_steady_swap", TempDir::Enter::Yes);
    ASSERT_TRUE(dir.entered);
    ASSERT_TRUE(StartCallSummaryWriter());
    {
        CurrentOffscreenContext current(64, 48);
        ASSERT_NE(current.context, nullptr);
        for (int frame = 0; frame < 5; ++frame) DrawAndSwap(frame);  // arrays and threads grow here

        uint64_t swapsAtLastRewrite = 0;
        int rewrites = 0;
        AllocationCount count(false);
        for (int frame = 0; frame < 200; ++frame) {
            DrawAndSwap(frame);
            if (CurrentFrame() % 60 == 0) {
                swapsAtLastRewrite = EntryCalls(EntryId::wglSwapBuffers);
                ++rewrites;
                // Each rewrite must be written before the next is asked for, or it is dropped.
                WaitForCallSummaryWriter();
            }
        }
        const uint64_t allocations = count.Stop();
        if (kCountsAllocations) {
            EXPECT_EQ(allocations, 0u);
        }
        EXPECT_EQ(rewrites, 3);

        // The last rewrite is on disk, with the counts of the frame that asked for it.
        const std::string text = dir.Read(kCallSummaryFileName);
        EXPECT_EQ(text.rfind("=== MORA GL/WGL call summary (process lifetime) ===\n", 0), 0u);
        char row[96];
        std::snprintf(row, sizeof(row), "    %-32s : %14llu\n", "wglSwapBuffers",
                      static_cast<unsigned long long>(swapsAtLastRewrite));
        EXPECT_NE(text.find(row), std::string::npos) << text.substr(0, 600);
    }
    StopCallSummaryWriter();
}

}  // namespace
}  // namespace mora::test
