// The frame executor thread: the hand-off runs the frame on the thread while the caller waits,
// reports its times, passes exceptions back, and stops within
// its wait limit even when a frame is still running.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "geometry/frame_executor_thread.h"
#include "gl/gl_context.h"
#include "platform/clock.h"
#include "platform/thread.h"
#include "render/tile_grid.h"
#include "geometry/frame_test_support.h"

namespace mora {
namespace {

std::atomic<uint32_t> gRanOnThread{0};
std::atomic<uint32_t> gRuns{0};
std::atomic<bool> gRelease{false};
std::atomic<bool> gEntered{false};

void RecordThread(const FrameRecording&, bool allowParallel) {
    gRanOnThread = platform::CurrentThreadId();
    gRuns += allowParallel ? 1 : 100;
    // Long enough that the execution time is measurable.
    const uint64_t until = platform::PerformanceCounter() + platform::PerformanceFrequency() / 500;
    while (platform::PerformanceCounter() < until) {
    }
}

void Throw(const FrameRecording&, bool) { throw std::runtime_error("frame failed"); }

void BlockUntilReleased(const FrameRecording&, bool) {
    gEntered = true;
    while (!gRelease) platform::SleepMilliseconds(1);
}

TEST(FrameExecutorThread, RunsTheFrameOnItsThreadAndReportsTimes) {
    FrameExecutorThread executor;
    ASSERT_TRUE(StartFrameExecutorThread(executor, RecordThread));
    FrameRecording frame;
    gRuns = 0;
    for (int i = 0; i < 3; ++i) {
        const HandOffTimes t = RunOnFrameExecutor(executor, frame, i % 2 == 0);
        EXPECT_EQ(t.mode, kHandOffOnThread);
        EXPECT_NE(gRanOnThread.load(), platform::CurrentThreadId());
        EXPECT_GT(t.execution, 0u);
        EXPECT_LE(t.queueWait + t.execution, t.total);
    }
    EXPECT_EQ(gRuns.load(), 1u + 100u + 1u);  // each request ran once, with its own flag
    EXPECT_TRUE(StopFrameExecutorThread(executor));
    EXPECT_FALSE(executor.thread.joinable);
}

TEST(FrameExecutorThread, AnExceptionReachesTheCaller) {
    FrameExecutorThread executor;
    ASSERT_TRUE(StartFrameExecutorThread(executor, Throw));
    FrameRecording frame;
    EXPECT_THROW(RunOnFrameExecutor(executor, frame, false), std::runtime_error);
    executor.execute = RecordThread;  // the thread survives and serves the next request
    EXPECT_EQ(RunOnFrameExecutor(executor, frame, false).mode, kHandOffOnThread);
    EXPECT_TRUE(StopFrameExecutorThread(executor));
}

TEST(FrameExecutorThread, StopWaitsOnlyItsLimitForARunningFrame) {
    FrameExecutorThread executor;
    ASSERT_TRUE(StartFrameExecutorThread(executor, BlockUntilReleased));
    FrameRecording frame;
    gRelease = false;
    gEntered = false;
    std::thread caller([&] { RunOnFrameExecutor(executor, frame, false); });
    while (!gEntered) platform::SleepMilliseconds(1);
    const uint64_t start = platform::PerformanceCounter();
    EXPECT_FALSE(StopFrameExecutorThread(executor, 30));
    const uint64_t waitedMs = (platform::PerformanceCounter() - start) * 1000 / platform::PerformanceFrequency();
    EXPECT_GE(waitedMs, 25u);
    gRelease = true;
    caller.join();  // the frame finished and the caller got its done event
    // Starting again first collects the old thread, which left its loop after that frame.
    ASSERT_TRUE(StartFrameExecutorThread(executor, RecordThread));
    EXPECT_EQ(RunOnFrameExecutor(executor, frame, false).mode, kHandOffOnThread);
    EXPECT_TRUE(StopFrameExecutorThread(executor));
}

TEST(FrameExecutorThread, ProcessExecutorFillsTheProcessContext) {
    test::ScopedSetting cutoff(TheDriverSettings().PipelineCutoff, 2);
    FrameRecording frame;
    frame.cutoff = kStopAfterTriangles;
    CommandStream& s = frame.commands.stream;
    test::AppendView(s, 64, 64);
    AppendBegin(s, 6);
    AppendVertex2f(s, 0, 0);
    AppendVertex2f(s, 0.5f, 0);
    AppendVertex2f(s, 0.5f, 0.5f);
    AppendVertex2f(s, 0, 0.5f);
    AppendEnd(s);
    AppendFrameEnd(s);
    ASSERT_TRUE(StartProcessFrameExecutor());
    ExecuteFrameOnExecutorThread(frame, true);
    EXPECT_EQ(TheGlContext().nativePackets.size(), 1u);
    EXPECT_EQ(TheTileGrid().setupTriangles.size(), 2u);
    EXPECT_EQ(TheGlContext().statistics.emittedTriangles, 2u);
    EXPECT_EQ(TheGlContext().statistics.handOffMode, kHandOffOnThread);
    EXPECT_GE(TheGlContext().statistics.handOffTotalTicks, TheGlContext().statistics.handOffExecuteTicks);
    StopProcessFrameExecutor();
    EXPECT_FALSE(TheFrameExecutorThread().running);
}

}  // namespace
}  // namespace mora
