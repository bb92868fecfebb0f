// Replaces the global allocation functions of a test program so that steady-frame tests can
// count heap allocations. Include it in exactly one source file of the program. Sanitizer
// runtimes bring their own allocation functions, so nothing is replaced or counted under them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MORA_TEST_COUNTS_ALLOCATIONS 0
#else
#define MORA_TEST_COUNTS_ALLOCATIONS 1
#endif

namespace mora::test {

inline constexpr bool kCountsAllocations = MORA_TEST_COUNTS_ALLOCATIONS != 0;

inline std::atomic<bool> gCountEveryThread{false};
inline thread_local bool tCountThisThread = false;
inline std::atomic<uint64_t> gAllocations{0};

// Counts the allocations made between construction and Stop(): by every thread of the program,
// or by the constructing thread only.
struct AllocationCount {
    explicit AllocationCount(bool everyThread) {
        gAllocations.store(0);
        if (everyThread) {
            gCountEveryThread.store(true);
        } else {
            tCountThisThread = true;
        }
    }
    ~AllocationCount() { Stop(); }
    uint64_t Stop() {
        gCountEveryThread.store(false);
        tCountThisThread = false;
        return gAllocations.load();
    }
};

inline void* CountedAllocate(std::size_t size, std::size_t alignment) {
    if (gCountEveryThread.load(std::memory_order_relaxed) || tCountThisThread) {
        gAllocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (size == 0) size = 1;
    return alignment > alignof(std::max_align_t)
               ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
               : std::malloc(size);
}

}  // namespace mora::test

#if MORA_TEST_COUNTS_ALLOCATIONS
// The plain and aligned forms are replaced; the array, nothrow and sized forms forward to them by
// the standard's default behaviour. The aligned delete is replaced too: its library default need not
// be free(). The replacements pair malloc with free themselves; GCC cannot see that through
// inlining.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    if (void* p = mora::test::CountedAllocate(size, 0)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, std::align_val_t a) {
    if (void* p = mora::test::CountedAllocate(size, static_cast<std::size_t>(a))) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
#endif
