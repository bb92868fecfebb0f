#include <windows.h>

#include <atomic>

#include "platform/fast_thread_local.h"

namespace mora::platform::detail {

namespace {
constexpr std::uint32_t kFirstSlots = 64;
constexpr std::uint32_t kExpansionSlots = 1024;
constexpr std::uint32_t kSpareBase = kFirstSlots + kExpansionSlots;
constexpr std::uint32_t kSpareSlots = 8;
std::atomic<std::uint32_t> gSparesUsed{0};
thread_local void* tSpareSlots[kSpareSlots];
}  // namespace

std::uint32_t AllocateFastThreadSlot() noexcept {
    const DWORD index = TlsAlloc();
    if (index != TLS_OUT_OF_INDEXES) return index;
    const std::uint32_t spare = gSparesUsed.fetch_add(1, std::memory_order_relaxed);
    return kSpareBase + (spare < kSpareSlots ? spare : kSpareSlots - 1);
}

void** FastThreadSlotBeyondFirst(std::uint32_t index) noexcept {
    if (index >= kSpareBase) return &tSpareSlots[index - kSpareBase];
    char* teb;
#if defined(__x86_64__)
    asm("movq %%gs:0x30, %0" : "=r"(teb));
    void*** expansion = reinterpret_cast<void***>(teb + 0x1780);
#else
    asm("movl %%fs:0x18, %0" : "=r"(teb));
    void*** expansion = reinterpret_cast<void***>(teb + 0xF94);
#endif
    // The system makes a thread's expansion array on its first store to such a slot.
    if (*expansion == nullptr) TlsSetValue(index, nullptr);
    if (*expansion == nullptr) return &tSpareSlots[kSpareSlots - 1];
    return *expansion + (index - kFirstSlots);
}

}  // namespace mora::platform::detail
