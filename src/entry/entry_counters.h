// Call counters behind the EntryTable rows. Every thread that enters an entry point counts into a
// block of its own, so a count is a plain load and store with no locked add; readers (the call
// summary, tools, tests) add up all blocks. Used through CountEntryCall / EntryCalls of
// entry/entry_table.h.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#if defined(__i386__) && defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/fast_thread_local.h"

namespace mora {

inline constexpr std::size_t kEntryCount = 363;  // GL rows, then the 21 WGL rows

// One thread's counts, one per EntryTable row. A block is written only by the thread that has
// claimed it; when that thread ends the block is released with its counts and the next thread
// that starts counting takes it over and counts on from there. Blocks are never freed, so the
// sum over all blocks only grows and loses nothing when threads come and go.
struct alignas(64) EntryCounterBlock {
    std::atomic<uint64_t> calls[kEntryCount] = {};
    // Set while a live thread owns the block (always set for the shared block, which nobody owns).
    std::atomic<bool> claimed{false};
    // Next block of the process-wide list; written once, before the block is published.
    EntryCounterBlock* next = nullptr;
};
static_assert(std::atomic<uint64_t>::is_always_lock_free, "entry counters are read without locks");

namespace detail {

// The calling thread's block; null until its first counted call and again once it has been
// released at thread exit. A fast thread-local: one load on every entry, no call.
struct ThreadEntryCountersTag;
inline EntryCounterBlock*& ThreadEntryCounters() noexcept {
    return platform::FastThreadLocal<EntryCounterBlock*, ThreadEntryCountersTag>();
}

// First call on a thread (or a call after its block was released at thread exit): claims a block
// for the thread and counts `row` in it. Without a block of its own (thread exiting, or no memory
// for a new block) the call is counted in the shared block with an atomic add.
[[gnu::noinline, gnu::cold]] void CountEntryCallWithoutBlock(std::size_t row) noexcept;

}  // namespace detail

// The calling thread's block, or null before its first counted call (and after its release).
inline EntryCounterBlock* CurrentEntryCounters() noexcept { return detail::ThreadEntryCounters(); }

// Adds 1 to row `row` of `block`, which must be the calling thread's own block. The owning thread
// is the only writer, so a relaxed load and store cannot lose an update; the atomics only make
// the concurrent reads well defined.
inline void CountEntryRowIn(EntryCounterBlock& block, std::size_t row) noexcept {
    std::atomic<uint64_t>& counter = block.calls[row];
#if defined(__i386__) && defined(__SSE2__)
    // 32-bit x86 has no 64-bit integer register: GCC moves the value through an SSE register and
    // the stack as two halves, and the 8-byte reload after two 4-byte stores stalls on every call.
    // One SSE add keeps it whole; an aligned 8-byte SSE load or store is atomic, as the atomic's own.
    const __m128i value = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&counter));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&counter), _mm_add_epi64(value, _mm_cvtsi32_si128(1)));
#else
    counter.store(counter.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
#endif
}

// Adds 1 to row `row` (below kEntryCount) for the calling thread.
inline void CountEntryRow(std::size_t row) noexcept {
    EntryCounterBlock* block = detail::ThreadEntryCounters();
    if (block == nullptr) [[unlikely]] {
        detail::CountEntryCallWithoutBlock(row);
        return;
    }
    CountEntryRowIn(*block, row);
}

// Sum of row `row` over every block: all calls of all threads so far. Lock-free and callable at
// any time from any thread; each counter is read whole, and the calls of a thread that has been
// joined are all included. `order` is the load order used on each counter.
uint64_t SumEntryRow(std::size_t row, std::memory_order order = std::memory_order_relaxed) noexcept;

// Number of counter blocks in the list (the shared block included): the most threads that have
// counted at the same time, plus one.
std::size_t EntryCounterBlockCount() noexcept;

}  // namespace mora
