// FastThreadLocal on Windows: one TLS index per Tag, allocated while the DLL's static
// constructors run (before DllMain), and the value kept in the slot itself. The slot's address
// comes from the thread environment block: its own address at fs:0x18 / gs:0x30, the first 64
// slots at offset 0xE10 / 0x1480, the expansion slots (indices 64 and up) behind the pointer at
// 0xF94 / 0x1780. Nothing else touches these slots: TlsGetValue and TlsSetValue are never called
// on them except to make a thread's expansion array exist.
#pragma once

#include <cstdint>
#include <type_traits>

namespace mora::platform {

namespace detail {

// A TLS index; when the system has none left, an index past the expansion slots that
// FastThreadSlotBeyondFirst maps to a (slower) emulated thread_local instead.
std::uint32_t AllocateFastThreadSlot() noexcept;

// Address of the calling thread's slot `index` (64 and up).
[[gnu::cold]] void** FastThreadSlotBeyondFirst(std::uint32_t index) noexcept;

template <class Tag>
inline const std::uint32_t kFastThreadSlot = AllocateFastThreadSlot();

inline void** FastThreadSlot(std::uint32_t index) noexcept {
  if (index < 64) [[likely]] {
    char* teb;
#if defined(__x86_64__)
    asm("movq %%gs:0x30, %0" : "=r"(teb));
    return reinterpret_cast<void**>(teb + 0x1480) + index;
#else
    asm("movl %%fs:0x18, %0" : "=r"(teb));
    return reinterpret_cast<void**>(teb + 0xE10) + index;
#endif
  }
  return FastThreadSlotBeyondFirst(index);
}

}  // namespace detail

namespace detail {
// Storage of a value larger than a slot: emulated (one call per access), so the slot caches its
// address after the thread's first access, and the storage ends with its thread.
template <class T, class Tag>
inline thread_local T tLargeFastThreadLocal{};

template <class T, class Tag>
[[gnu::cold, gnu::noinline]] T* AttachLargeFastThreadLocal(void** slot) noexcept {
  T* value = &tLargeFastThreadLocal<T, Tag>;
  *slot = value;
  return value;
}
}  // namespace detail

// A value that fits a slot lives in the slot itself; a larger one behind the slot's pointer.
template <class T, class Tag>
inline T& FastThreadLocal() noexcept {
  static_assert(std::is_trivially_copyable_v<T>);
  void** slot = detail::FastThreadSlot(detail::kFastThreadSlot<Tag>);
  if constexpr (sizeof(T) <= sizeof(void*)) {
    return *reinterpret_cast<T*>(slot);
  } else {
    T* value = static_cast<T*>(*slot);
    if (value == nullptr) [[unlikely]] value = detail::AttachLargeFastThreadLocal<T, Tag>(slot);
    return *value;
  }
}

}  // namespace mora::platform
