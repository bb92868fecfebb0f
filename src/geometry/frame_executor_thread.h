// FrameExecutorThread: the one thread that runs ExecuteFrame while the application thread waits.
// The caller posts the request under a lock, sets the auto-reset go event and waits on the
// manual-reset done event; the hand-off times land in the frame statistics. Started at library
// load (or on first use), stopped at unload. Used by wglSwapBuffers and glReadPixels.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>

#include "gl/keyframe.h"
#include "platform/mutex.h"
#include "platform/thread.h"

namespace mora {

// How long unload waits for the thread to end, in milliseconds.
inline constexpr uint32_t kExecutorStopWaitMs = 250;

// Hand-off modes stored in FrameStatistics::handOffMode.
inline constexpr uint32_t kHandOffOnThread = 1;
inline constexpr uint32_t kHandOffInline = 2;

// Runs one frame: ExecuteFrame(*recording, allowParallelEmit) in production; tests install their
// own function to observe the hand-off.
using FrameExecuteFunction = void (*)(const FrameRecording& recording, bool allowParallelEmit);

struct FrameExecutorThread {
    platform::Thread thread;
    bool running = false;  // started and not yet stopped
    FrameExecuteFunction execute = nullptr;

    std::atomic<uint32_t> go{0};    // auto-reset event: 1 = signalled, consumed by the thread
    std::atomic<uint32_t> done{0};  // manual-reset event: 1 = the request finished
    std::atomic<uint32_t> stop{0};  // tells the thread to leave its loop

    platform::Mutex lock;  // guards the request and the stamps below
    const FrameRecording* recording = nullptr;
    bool allowParallelEmit = false;
    uint64_t postedTicks = 0;    // performance counter when the caller posted
    uint64_t startTicks = 0;     // when the thread started executing
    uint64_t endTicks = 0;       // when it finished
    std::exception_ptr failure;  // an exception the execution raised, rethrown on the caller
};

// Hand-off times derived from the stamps, in performance-counter ticks.
struct HandOffTimes {
    uint64_t queueWait = 0;  // posted -> start on the thread
    uint64_t execution = 0;  // start -> end on the thread
    uint64_t total = 0;      // posted -> the caller sees the done event
    uint32_t mode = 0;       // kHandOffOnThread or kHandOffInline
};

// Starts the thread (no-op when running). False when it cannot be created.
bool StartFrameExecutorThread(FrameExecutorThread& executor, FrameExecuteFunction execute);

// Runs the frame on the thread and waits for it without a time-out; runs it on the calling thread
// when the thread is not running. An exception raised by the execution is rethrown here.
HandOffTimes RunOnFrameExecutor(FrameExecutorThread& executor, const FrameRecording& recording, bool allowParallelEmit);

// Tells the thread to stop, wakes it and waits up to `waitMs`. True when it ended; on a time-out
// the thread is left to finish on its own (it is never killed mid-frame) and false is returned.
bool StopFrameExecutorThread(FrameExecutorThread& executor, uint32_t waitMs = kExecutorStopWaitMs);

// The process-wide executor running ExecuteFrame on the process-wide context.
FrameExecutorThread& TheFrameExecutorThread();
// Library load: starts it. Unload: stops it.
bool StartProcessFrameExecutor();
void StopProcessFrameExecutor();

// wglSwapBuffers / glReadPixels step: runs ExecuteFrame on the process-wide executor (starting
// it on first use; inline when it cannot be started) and stores the hand-off times in the
// process-wide context's frame statistics.
void ExecuteFrameOnExecutorThread(const FrameRecording& recording, bool allowParallelEmit);

}  // namespace mora
