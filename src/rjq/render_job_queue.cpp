#include "rjq/render_job_queue.h"

#include <cstdio>
#include <new>

#include "diag/profile_scope_names.h"
#include "diag/profiler.h"
#include "platform/address_wait.h"
#include "platform/clock.h"
#include "rjq/thread_settings.h"

namespace mora::rjq {

namespace {

std::atomic<RenderJobQueue*> gProcessQueue{nullptr};
thread_local bool tOnWorker = false;

std::uint32_t SlotIndex(const RenderJobQueue& queue, std::uint32_t sequence) { return sequence & (queue.capacity - 1); }

bool Stopping(const RenderJobQueue& queue) { return queue.stop.load() != 0; }

// Claims the next item of job `sequence` in `slot`. The claim word carries the
// job's sequence, so a worker that read the slot before it was retired and
// reused fails here instead of taking an item of the new job.
bool ClaimItem(JobSlot& slot, std::uint32_t sequence, std::uint32_t& item) {
    std::uint64_t packed = slot.nextItem.load();
    for (;;) {
        if (static_cast<std::uint32_t>(packed >> 32) != sequence) return false;
        const std::uint32_t index = static_cast<std::uint32_t>(packed);
        if (index >= slot.itemCount.load()) return false;
        if (slot.nextItem.compare_exchange_weak(packed, packed + 1)) {
            item = index;
            return true;
        }
    }
}

// Advances the retired sequence over every finished job at its head, in
// sequence order; exactly one thread wins each step and wakes the sleepers.
void RetireFinishedJobs(RenderJobQueue& queue) {
    for (;;) {
        std::uint32_t retired = queue.retiredSequence.load();
        const JobSlot& slot = queue.ring[SlotIndex(queue, retired)];
        if (slot.sequence.load() != static_cast<std::int64_t>(retired) || slot.done.load() == 0) return;
        if (queue.retiredSequence.compare_exchange_strong(retired, retired + 1)) {
            platform::WakeByAddressAll(queue.retiredSequence);
        }
    }
}

// Runs a claimed item. A worker times it in its own profiler scope; a helping
// caller does not: its items' time is inside its wait scope already, and the
// scopes it opens then do not depend on whether it won an item this time.
void ExecuteItem(RenderJobQueue& queue, JobSlot& slot, std::uint32_t item, bool timed = true) {
    // Read while the claim keeps the job alive: once the last item completes the
    // slot may be reused at any moment.
    const std::uint32_t count = slot.itemCount.load();
    if (timed) {
        diag::ProfileScope scope(diag::kScopeWorkerExecuteTiles);
        slot.function(slot.descriptor, item, slot.argument);
    } else {
        slot.function(slot.descriptor, item, slot.argument);
    }
    if (slot.completedItems.fetch_add(1) + 1 == count) {
        slot.done.store(1);
        RetireFinishedJobs(queue);
    }
}

// Spins until stop, a new epoch, an optional change of `*watched` away from
// `watchedValue`, or the idle spin time. Returns true when the spin ended on
// an event (no sleep needed).
bool SpinIdle(RenderJobQueue& queue, std::uint32_t& epoch, const std::atomic<std::uint32_t>* watched,
              std::uint32_t watchedValue) {
    if (queue.idleSpinTicks == 0) return false;
    const std::uint64_t start = platform::PerformanceCounter();
    for (std::uint32_t round = 1;; ++round) {
        if (Stopping(queue)) return true;
        const std::uint32_t now = queue.wakeEpoch.load();
        if (now != epoch) {
            epoch = now;
            return true;
        }
        if (watched != nullptr && watched->load() != watchedValue) return true;
        // Reading the counter costs more than a pause, so it is read every 16th round. With as many
        // workers as processors, a spinning worker would keep the application thread (recording the
        // next frame) off a processor: every 16th round it gives way to any thread ready to run.
        if (round % 16 == 0) {
            if (platform::PerformanceCounter() - start >= queue.idleSpinTicks) return false;
            platform::YieldThread();
        } else {
            platform::CpuPause();
        }
    }
}

void IdleOnEpoch(RenderJobQueue& queue, std::uint32_t& epoch) {
    if (SpinIdle(queue, epoch, nullptr, 0)) return;
    platform::WaitOnAddress(queue.wakeEpoch, epoch);
    epoch = queue.wakeEpoch.load();
}

// Every item of the jobs in flight is claimed: spin while the retired sequence
// stays at `retired`, then sleep on the epoch. Only an enqueue can bring new
// items, and it always moves the epoch; a sleep on the retired sequence could
// miss a job published meanwhile until the oldest job retires, which stalls
// the new job for the whole run of one long item, or for good when that item
// waits on the new job.
void IdleOnRetired(RenderJobQueue& queue, std::uint32_t& epoch, std::uint32_t retired) {
    if (SpinIdle(queue, epoch, &queue.retiredSequence, retired)) return;
    platform::WaitOnAddress(queue.wakeEpoch, epoch);
    epoch = queue.wakeEpoch.load();
}

void WorkerMain(void* raw) {
    Worker& worker = *static_cast<Worker*>(raw);
    RenderJobQueue& queue = *worker.queue;
    tOnWorker = true;
    diag::StartThreadProfile();
    worker.threadId.store(platform::CurrentThreadId());
    if (queue.workerCount > kAffinityWorkerThreshold) {
        platform::SetCurrentThreadAffinity(worker.processor);
        platform::SetCurrentThreadIdealProcessor(worker.processor);
    }
    std::uint32_t epoch = queue.wakeEpoch.load();
    while (!Stopping(queue)) {
        const std::uint32_t retired = queue.retiredSequence.load();
        const std::uint32_t next = queue.nextSequence.load();
        if (retired == next) {
            IdleOnEpoch(queue, epoch);
            continue;
        }
        bool claimed = false;
        bool unpublished = false;
        for (std::uint32_t sequence = retired; sequence != next; ++sequence) {
            JobSlot& slot = queue.ring[SlotIndex(queue, sequence)];
            if (slot.sequence.load() != static_cast<std::int64_t>(sequence)) {
                unpublished = true;
                break;
            }
            std::uint32_t item = 0;
            if (ClaimItem(slot, sequence, item)) {
                ExecuteItem(queue, slot, item);
                claimed = true;
                break;
            }
        }
        if (claimed) continue;
        // A job whose number is taken but whose slot is not yet filled is
        // announced by the epoch when it is published.
        if (unpublished) {
            IdleOnEpoch(queue, epoch);
        } else {
            IdleOnRetired(queue, epoch, retired);
        }
    }
}

void ParallelForItem(const std::uint32_t* descriptor, std::uint32_t item, void* argument) {
    const std::uintptr_t bits =
        static_cast<std::uintptr_t>(descriptor[0]) | (static_cast<std::uintptr_t>(descriptor[1]) << 16 << 16);
    reinterpret_cast<ParallelForFunction>(bits)(item, argument);
}

bool ValidCapacity(std::uint32_t capacity) { return capacity >= 8 && (capacity & (capacity - 1)) == 0; }

}  // namespace

RenderJobQueue* CreateRenderJobQueue(std::uint32_t capacity, std::uint32_t requested) {
    if (!ValidCapacity(capacity)) return nullptr;
    return CreateRenderJobQueue(capacity, requested, platform::ProcessorTopology(), ReadIdleSpinMicroseconds());
}

RenderJobQueue* CreateRenderJobQueue(std::uint32_t capacity, std::uint32_t requested,
                                     std::vector<platform::LogicalProcessor> processors,
                                     std::uint64_t idleSpinMicroseconds) {
    if (!ValidCapacity(capacity) || processors.empty()) return nullptr;
    auto* queue = new (std::nothrow) RenderJobQueue;
    if (queue == nullptr) return nullptr;
    queue->capacity = capacity;
    queue->ring = new (std::nothrow) JobSlot[capacity];
    if (queue->ring == nullptr) {
        delete queue;
        return nullptr;
    }
    if (requested >= 1 && requested < processors.size()) processors.resize(requested);
    queue->processors = std::move(processors);
    queue->workerCount = static_cast<std::uint32_t>(queue->processors.size());
    queue->workers = std::vector<Worker>(queue->workerCount);
    queue->nextSequence.store(0);
    queue->retiredSequence.store(0);
    queue->wakeEpoch.store(0);
    queue->idleSpinTicks = platform::MicrosecondsToTicks(idleSpinMicroseconds, platform::PerformanceFrequency());
    queue->stop.store(0);
    queue->running.store(1);
    for (std::uint32_t index = 0; index < queue->workerCount; ++index) {
        Worker& worker = queue->workers[index];
        worker.queue = queue;
        worker.index = index;
        worker.processor = queue->processors[index];
        char name[32];  // the thread keeps its first 15 characters
        std::snprintf(name, sizeof(name), "mora-rjq-%u", index);
        if (!platform::StartThread(worker.thread, name, WorkerMain, &worker)) {
            // Workers already started must be stopped before the queue is freed.
            DestroyRenderJobQueue(queue);
            return nullptr;
        }
    }
    return queue;
}

void DestroyRenderJobQueue(RenderJobQueue* queue) {
    if (queue == nullptr) return;
    if (queue->running.exchange(0) != 0) {
        queue->stop.store(1);
        queue->wakeEpoch.fetch_add(1);
        platform::WakeByAddressAll(queue->wakeEpoch);
        for (Worker& worker : queue->workers) platform::JoinThread(worker.thread);
    }
    delete[] queue->ring;
    delete queue;
}

std::uint32_t Enqueue(RenderJobQueue& queue, std::uint32_t kind, const std::uint32_t descriptor[5],
                      JobFunction function, void* argument) {
    diag::ProfileScope scope(diag::kScopeEnqueue);
    const std::uint32_t sequence = queue.nextSequence.fetch_add(1);
    // The slot is free once the job `capacity` places earlier has retired.
    for (;;) {
        const std::uint32_t retired = queue.retiredSequence.load();
        if (sequence - retired < queue.capacity) break;
        platform::WaitOnAddress(queue.retiredSequence, retired);
    }
    JobSlot& slot = queue.ring[SlotIndex(queue, sequence)];
    const std::uint32_t count = descriptor != nullptr ? descriptor[kItemCountWord] : 0;
    slot.kind = kind;
    for (int word = 0; word < 5; ++word) slot.descriptor[word] = descriptor != nullptr ? descriptor[word] : 0;
    slot.function = function;
    slot.argument = argument;
    slot.nextItem.store(static_cast<std::uint64_t>(sequence) << 32);
    slot.itemCount.store(function != nullptr ? count : 0);
    slot.completedItems.store(0);
    // A job without items (or without a function) has nothing that would ever
    // finish it; it is done on arrival so the queue cannot stall behind it.
    slot.done.store(function == nullptr || count == 0 ? 1 : 0);
    slot.sequence.store(static_cast<std::int64_t>(sequence));
    if (slot.done.load() != 0) RetireFinishedJobs(queue);
    queue.wakeEpoch.fetch_add(1);
    platform::WakeByAddressAll(queue.wakeEpoch);
    return sequence;
}

std::uint32_t Enqueue(RenderJobQueue& queue, std::uint32_t kind, std::uint32_t itemCount, JobFunction function,
                      void* argument) {
    const std::uint32_t descriptor[5] = {0, 0, 0, 0, itemCount};
    static_assert(kItemCountWord == 4);
    return Enqueue(queue, kind, descriptor, function, argument);
}

void WaitIdle(RenderJobQueue& queue) {
    diag::ProfileScope scope(diag::kScopeWaitIdle);
    for (;;) {
        const std::uint32_t retired = queue.retiredSequence.load();
        if (retired == queue.nextSequence.load()) return;
        platform::WaitOnAddress(queue.retiredSequence, retired);
    }
}

void WaitIdleHelping(RenderJobQueue& queue) {
    diag::ProfileScope scope(diag::kScopeWaitIdle);
    const std::uint32_t target = queue.nextSequence.load();
    for (;;) {
        const std::uint32_t retired = queue.retiredSequence.load();
        // Other threads may enqueue meanwhile: done once the retired sequence reaches the target.
        if (static_cast<std::int32_t>(retired - target) >= 0) return;
        bool claimed = false;
        for (std::uint32_t sequence = retired; sequence != target && !claimed; ++sequence) {
            JobSlot& slot = queue.ring[SlotIndex(queue, sequence)];
            // A slot still being filled by another thread's enqueue is left to the workers.
            if (slot.sequence.load() != static_cast<std::int64_t>(sequence)) continue;
            std::uint32_t item = 0;
            if (ClaimItem(slot, sequence, item)) {
                // An item that calls ParallelFor must run it inline, as on a worker.
                const bool wasWorker = tOnWorker;
                tOnWorker = true;
                ExecuteItem(queue, slot, item, false);
                tOnWorker = wasWorker;
                claimed = true;
            }
        }
        // Every item is claimed: the last one to finish retires the job and wakes this thread.
        if (!claimed) platform::WaitOnAddress(queue.retiredSequence, retired);
    }
}

void ParallelFor(RenderJobQueue* queue, std::uint32_t count, ParallelForFunction function, void* argument) {
    if (count == 0 || function == nullptr) return;
    // A worker that waited on its own queue would wait for itself.
    if (queue != nullptr && count != 1 && !tOnWorker) {
        const auto bits = reinterpret_cast<std::uintptr_t>(function);
        const std::uint32_t descriptor[5] = {static_cast<std::uint32_t>(bits),
                                             static_cast<std::uint32_t>(bits >> 16 >> 16), 0, 0, count};
        Enqueue(*queue, kJobKindItems, descriptor, ParallelForItem, argument);
        WaitIdleHelping(*queue);
        return;
    }
    for (std::uint32_t index = 0; index < count; ++index) function(index, argument);
}

RenderJobQueue* TheProcessQueue() { return gProcessQueue.load(std::memory_order_acquire); }

void SetProcessQueue(RenderJobQueue* queue) { gProcessQueue.store(queue, std::memory_order_release); }

std::uint32_t WorkerCount() {
    const RenderJobQueue* queue = TheProcessQueue();
    return queue != nullptr ? queue->workerCount : 1;
}

void ParallelFor(std::uint32_t count, ParallelForFunction function, void* argument) {
    ParallelFor(TheProcessQueue(), count, function, argument);
}

bool OnWorkerThread() { return tOnWorker; }

}  // namespace mora::rjq
