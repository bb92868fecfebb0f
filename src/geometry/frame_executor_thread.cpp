// The frame executor thread: events built on address waits, the request under a lock.
#include "geometry/frame_executor_thread.h"

#include "geometry/execute_frame.h"
#include "gl/gl_context.h"
#include "platform/address_wait.h"
#include "platform/clock.h"

namespace mora {

namespace {

void SetEvent(std::atomic<uint32_t>& event) {
    event.store(1);
    platform::WakeByAddressAll(event);
}

// Waits until the manual-reset event is set (it stays set).
void WaitEvent(const std::atomic<uint32_t>& event) {
    while (event.load() == 0) platform::WaitOnAddress(event, 0);
}

// Waits until the auto-reset event is set and consumes the signal.
void WaitAndResetEvent(std::atomic<uint32_t>& event) {
    while (event.exchange(0) == 0) platform::WaitOnAddress(event, 0);
}

void ExecutorThreadMain(void* argument) {
    FrameExecutorThread& e = *static_cast<FrameExecutorThread*>(argument);
    for (;;) {
        WaitAndResetEvent(e.go);
        if (e.stop.load() != 0) return;

        const FrameRecording* recording;
        bool allowParallel;
        {
            platform::MutexLock hold(e.lock);
            recording = e.recording;
            allowParallel = e.allowParallelEmit;
        }
        const uint64_t start = platform::PerformanceCounter();
        std::exception_ptr failure;
        try {
            if (recording != nullptr) e.execute(*recording, allowParallel);
        } catch (...) {
            failure = std::current_exception();
        }
        const uint64_t end = platform::PerformanceCounter();
        {
            platform::MutexLock hold(e.lock);
            e.startTicks = start;
            e.endTicks = end;
            e.failure = failure;
        }
        SetEvent(e.done);
    }
}

}  // namespace

bool StartFrameExecutorThread(FrameExecutorThread& executor, FrameExecuteFunction execute) {
    if (executor.running) return true;
    // A thread left behind by a timed-out stop still sees stop set and ends after its frame.
    if (executor.thread.joinable) platform::JoinThread(executor.thread);
    executor.execute = execute;
    executor.go.store(0);
    executor.done.store(0);
    executor.stop.store(0);
    if (!platform::StartThread(executor.thread, "MoraFrameExec", ExecutorThreadMain, &executor)) return false;
    executor.running = true;
    return true;
}

HandOffTimes RunOnFrameExecutor(FrameExecutorThread& executor, const FrameRecording& recording,
                                bool allowParallelEmit) {
    HandOffTimes times;
    if (!executor.running) {
        const uint64_t start = platform::PerformanceCounter();
        executor.execute(recording, allowParallelEmit);
        times.execution = platform::PerformanceCounter() - start;
        times.total = times.execution;
        times.mode = kHandOffInline;
        return times;
    }

    executor.done.store(0);
    const uint64_t posted = platform::PerformanceCounter();
    {
        platform::MutexLock hold(executor.lock);
        executor.recording = &recording;
        executor.allowParallelEmit = allowParallelEmit;
        executor.postedTicks = posted;
        executor.failure = nullptr;
    }
    SetEvent(executor.go);
    WaitEvent(executor.done);
    const uint64_t finished = platform::PerformanceCounter();

    std::exception_ptr failure;
    {
        platform::MutexLock hold(executor.lock);
        executor.recording = nullptr;
        times.queueWait = executor.startTicks - executor.postedTicks;
        times.execution = executor.endTicks - executor.startTicks;
        failure = executor.failure;
        executor.failure = nullptr;
    }
    times.total = finished - posted;
    times.mode = kHandOffOnThread;
    if (failure) std::rethrow_exception(failure);
    return times;
}

bool StopFrameExecutorThread(FrameExecutorThread& executor, uint32_t waitMs) {
    if (!executor.running) return true;
    executor.stop.store(1);
    SetEvent(executor.go);
    executor.running = false;
    if (platform::JoinThreadTimeout(executor.thread, waitMs)) return true;
    // The thread is still inside a frame; it leaves its loop when that frame ends. It is not
    // killed: a thread stopped mid-frame could hold the allocator or profiler lock.
    return false;
}

FrameExecutorThread& TheFrameExecutorThread() {
    // Never destroyed: a thread that outlived an unload time-out may still read it at exit.
    static FrameExecutorThread* executor = new FrameExecutorThread;
    return *executor;
}

namespace {

void ExecuteProcessFrame(const FrameRecording& recording, bool allowParallelEmit) {
    ExecuteFrame(recording, allowParallelEmit);
}

}  // namespace

bool StartProcessFrameExecutor() { return StartFrameExecutorThread(TheFrameExecutorThread(), ExecuteProcessFrame); }

void StopProcessFrameExecutor() { StopFrameExecutorThread(TheFrameExecutorThread()); }

void ExecuteFrameOnExecutorThread(const FrameRecording& recording, bool allowParallelEmit) {
    FrameExecutorThread& executor = TheFrameExecutorThread();
    if (!executor.running) StartFrameExecutorThread(executor, ExecuteProcessFrame);
    if (executor.execute == nullptr) executor.execute = ExecuteProcessFrame;
    const HandOffTimes times = RunOnFrameExecutor(executor, recording, allowParallelEmit);
    FrameStatistics& s = TheGlContext().statistics;
    s.handOffQueueWaitTicks = times.queueWait;
    s.handOffExecuteTicks = times.execution;
    s.handOffTotalTicks = times.total;
    s.handOffMode = times.mode;
}

}  // namespace mora
