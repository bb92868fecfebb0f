// The frame executor thread: the hand-off runs the frame on the thread while the caller waits,
// reports its times, passes exceptions back, and stops within its wait limit even when a frame is
// still running. The process executor runs every swap of the frame and integration tests.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "geometry/frame_executor_thread.h"
#include "gl/gl_context.h"
#include "platform/clock.h"
#include "platform/thread.h"

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

TEST(FrameExecutorThread, RunsTheFrameOnItsThreadReportsTimesAndPassesExceptionsBack) {
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
    executor.execute = Throw;
    EXPECT_THROW(RunOnFrameExecutor(executor, frame, false), std::runtime_error);
    executor.execute = RecordThread;  // the thread survives and serves the next request
    EXPECT_EQ(RunOnFrameExecutor(executor, frame, false).mode, kHandOffOnThread);
    EXPECT_TRUE(StopFrameExecutorThread(executor));
    EXPECT_FALSE(executor.thread.joinable);
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

}  // namespace
}  // namespace mora
