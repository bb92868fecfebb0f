#include "entry/entry_counters.h"

#include <new>

#include "panel/driver_settings.h"
#include "platform/thread.h"

namespace mora {

namespace {

// Counts of threads that have no block of their own, updated with atomic adds. The first block
// put into the list (so its tail), and always claimed, so no thread takes it over.
constinit EntryCounterBlock gSharedCounters;

// Head of the list of every block ever created. Blocks are pushed at the head and never removed.
constinit std::atomic<EntryCounterBlock*> gCounterBlocks{nullptr};

// Set on a thread once its block has been released; later calls on it (from other thread-exit
// destructors) count in the shared block rather than claiming a new block that nobody releases.
constinit thread_local bool tCountersReleased [[gnu::tls_model("initial-exec")]] = false;

// The list head: the shared block on first use, then the most recently created block.
EntryCounterBlock* CounterBlockList() noexcept {
    EntryCounterBlock* head = gCounterBlocks.load(std::memory_order_acquire);
    if (head != nullptr) {
        return head;
    }
    gSharedCounters.claimed.store(true, std::memory_order_relaxed);
    EntryCounterBlock* expected = nullptr;
    // Another thread may have installed it first; either way the shared block is in the list.
    gCounterBlocks.compare_exchange_strong(expected, &gSharedCounters, std::memory_order_acq_rel,
                                           std::memory_order_acquire);
    return gCounterBlocks.load(std::memory_order_acquire);
}

// Takes over a block whose thread has ended, or creates and publishes a new one. Null when a new
// block is needed and cannot be allocated.
EntryCounterBlock* ClaimCounterBlock() noexcept {
    for (EntryCounterBlock* block = CounterBlockList(); block != nullptr; block = block->next) {
        bool expected = false;
        // Acquire: the released block's last counts, stored by its previous thread before the
        // release, are what this thread counts on from.
        if (block->claimed.compare_exchange_strong(expected, true, std::memory_order_acquire,
                                                   std::memory_order_relaxed)) {
            return block;
        }
    }
    auto* block = new (std::nothrow) EntryCounterBlock;
    if (block == nullptr) {
        return nullptr;
    }
    block->claimed.store(true, std::memory_order_relaxed);
    EntryCounterBlock* head = gCounterBlocks.load(std::memory_order_relaxed);
    do {
        block->next = head;
    } while (!gCounterBlocks.compare_exchange_weak(head, block, std::memory_order_release, std::memory_order_relaxed));
    return block;
}

// Releases the thread's block when the thread ends. Installed by the thread's first claim.
struct CounterBlockRelease {
    bool armed = false;
    ~CounterBlockRelease() {
        EntryCounterBlock* block = detail::ThreadEntryCounters();
        detail::ThreadEntryCounters() = nullptr;
        tCountersReleased = true;
        if (block != nullptr) {
            // Release: the next owner sees every count this thread made.
            block->claimed.store(false, std::memory_order_release);
        }
    }
};
thread_local CounterBlockRelease tCounterBlockRelease;

}  // namespace

namespace detail {

void CountEntryCallWithoutBlock(std::size_t row) noexcept {
    platform::RunHeldBackThreads();
    if (!tCountersReleased) {
        // The thread's first entry call. Load the settings now, so that the per-call recording
        // test can read the record without the one-time-initialisation guard: every entry
        // counts itself before it reads a setting. A load that throws leaves the defaults.
        try {
            (void)TheDriverSettings();
        } catch (...) {
        }
        EntryCounterBlock* block = ClaimCounterBlock();
        if (block != nullptr) {
            tCounterBlockRelease.armed = true;  // constructs it, which registers its destructor
            ThreadEntryCounters() = block;
            block->calls[row].store(block->calls[row].load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
            return;
        }
    }
    (void)CounterBlockList();
    gSharedCounters.calls[row].fetch_add(1, std::memory_order_relaxed);
}

}  // namespace detail

uint64_t SumEntryRow(std::size_t row, std::memory_order order) noexcept {
    uint64_t total = 0;
    for (EntryCounterBlock* block = gCounterBlocks.load(std::memory_order_acquire); block != nullptr;
         block = block->next) {
        total += block->calls[row].load(order);
    }
    return total;
}

std::size_t EntryCounterBlockCount() noexcept {
    std::size_t count = 0;
    for (EntryCounterBlock* block = gCounterBlocks.load(std::memory_order_acquire); block != nullptr;
         block = block->next) {
        ++count;
    }
    return count;
}

}  // namespace mora
