// The render job queue: a process-wide pool of worker threads that runs jobs
// of numbered items (tile partitions, emit batches). The frame renderer and the
// vertex pipeline enqueue from the application thread and wait for idle.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/thread.h"
#include "platform/topology.h"

namespace mora::rjq {

// Ring size the library-load start-up creates the queue with (power of two, >= 8).
inline constexpr std::uint32_t kDefaultCapacity = 64;
// Every job this system enqueues has kind 1.
inline constexpr std::uint32_t kJobKindItems = 1;
// Descriptor word holding the item count.
inline constexpr std::uint32_t kItemCountWord = 4;
// Idle spin when MORA_RJQ_IDLE_SPIN_US is unset or malformed, in microseconds.
inline constexpr std::uint64_t kDefaultIdleSpinMicroseconds = 5000;
// Above this many workers each worker is bound to its processor.
inline constexpr std::uint32_t kAffinityWorkerThreshold = 128;

// Item function: called with the slot's copy of the five descriptor words, the
// item index (0 .. word 4 - 1) and the job's argument.
using JobFunction = void (*)(const std::uint32_t* descriptor, std::uint32_t item, void* argument);

// One ring entry, three cache lines: the job header, the item counters, the
// completion fields, so claiming items does not bounce the header's line.
struct alignas(64) JobSlot {
    // line 0
    std::uint32_t kind = 0;
    std::uint32_t descriptor[5] = {};
    JobFunction function = nullptr;
    void* argument = nullptr;
    // line 1: item claims. Packs the job's sequence (high 32 bits) with the next
    // item index (low 32 bits), so a worker holding a stale view of a reused slot
    // can never claim an item of the job that replaced it.
    alignas(64) std::atomic<std::uint64_t> nextItem{0};
    // Copy of descriptor word 4, readable by a worker that does not yet hold a
    // claim (the descriptor itself is read only under a valid claim).
    std::atomic<std::uint32_t> itemCount{0};
    std::atomic<std::uint32_t> completedItems{0};
    // line 2
    alignas(64) std::atomic<std::uint8_t> done{0};
    // Sequence of the job held; -1 for a never-used slot. Stored last on
    // publish, so a worker that sees sequence s sees a complete slot.
    std::atomic<std::int64_t> sequence{-1};
};
static_assert(sizeof(JobSlot) == 192);
static_assert(alignof(JobSlot) == 64);
static_assert(offsetof(JobSlot, nextItem) == 64);
static_assert(offsetof(JobSlot, done) == 128);

struct RenderJobQueue;

struct Worker {
    RenderJobQueue* queue = nullptr;
    std::uint32_t index = 0;
    platform::LogicalProcessor processor;
    platform::Thread thread;
    std::atomic<std::uint32_t> threadId{0};
};

struct RenderJobQueue {
    std::uint32_t capacity = 0;
    JobSlot* ring = nullptr;  // capacity slots, 64-byte aligned
    alignas(64) std::atomic<std::uint32_t> nextSequence{0};
    alignas(64) std::atomic<std::uint32_t> retiredSequence{0};
    alignas(64) std::atomic<std::uint32_t> wakeEpoch{0};
    std::uint64_t idleSpinTicks = 0;
    std::vector<platform::LogicalProcessor> processors;
    std::vector<Worker> workers;  // sized once at creation, never reallocated
    std::uint32_t workerCount = 0;
    std::atomic<std::uint8_t> running{0};
    std::atomic<std::uint8_t> stop{0};
};

// Creates a queue with `capacity` slots (power of two, >= 8) and one worker per
// listed logical processor, or the first `requested` of them when 1 <=
// requested < processor count; reads MORA_RJQ_IDLE_SPIN_US. Returns null on
// failure (invalid capacity, no processors, a thread that cannot be started);
// workers already started are then stopped and joined.
RenderJobQueue* CreateRenderJobQueue(std::uint32_t capacity, std::uint32_t requested);
// As above with an explicit processor list and idle spin (tests, benchmarks).
RenderJobQueue* CreateRenderJobQueue(std::uint32_t capacity, std::uint32_t requested,
                                     std::vector<platform::LogicalProcessor> processors,
                                     std::uint64_t idleSpinMicroseconds);

// Stops the workers (they finish the item they run), joins them and frees the
// queue. Null does nothing.
void DestroyRenderJobQueue(RenderJobQueue* queue);

// Appends a job and returns its sequence number; blocks while the ring holds
// `capacity` unretired jobs. Thread-safe. descriptor[4] is the item count; a
// job of 0 items retires as soon as the jobs before it have.
std::uint32_t Enqueue(RenderJobQueue& queue, std::uint32_t kind, const std::uint32_t descriptor[5],
                      JobFunction function, void* argument);
// The same for a job whose items need nothing but their index and the argument: `itemCount`
// items, the other descriptor words 0.
std::uint32_t Enqueue(RenderJobQueue& queue, std::uint32_t kind, std::uint32_t itemCount, JobFunction function,
                      void* argument);

// Returns when every job enqueued before the call has retired. The caller does
// no job work itself; never call it from a job.
void WaitIdle(RenderJobQueue& queue);

// As WaitIdle, but the caller runs unclaimed items of those jobs itself while
// it waits, like one more worker, so no processor idles while a frame renders.
// Items it runs see OnWorkerThread() true. Never call it from a job.
void WaitIdleHelping(RenderJobQueue& queue);

// Threads that take items of a job the caller enqueues and then waits for with
// WaitIdleHelping: the workers plus the caller.
inline std::uint32_t HelpedItemThreads(const RenderJobQueue& queue) { return queue.workerCount + 1; }

// Runs function(i, argument) for i in 0 .. count-1 and returns when all ran:
// on the queue's workers and the caller (WaitIdleHelping) when a queue exists,
// count is not 1 and the caller is not itself a worker; otherwise in order on
// the calling thread.
using ParallelForFunction = void (*)(std::uint32_t index, void* argument);
void ParallelFor(RenderJobQueue* queue, std::uint32_t count, ParallelForFunction function, void* argument);

// The process-wide queue (null when none exists) and the operations on it.
RenderJobQueue* TheProcessQueue();
void SetProcessQueue(RenderJobQueue* queue);
// Worker count of the process queue, or 1 when there is none.
std::uint32_t WorkerCount();
void ParallelFor(std::uint32_t count, ParallelForFunction function, void* argument);

// True on a worker thread of any queue.
bool OnWorkerThread();

}  // namespace mora::rjq
