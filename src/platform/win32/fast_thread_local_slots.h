// FastThreadLocal on Windows: one TLS index per Tag, allocated while the DLL's static
// constructors run (before DllMain), and the value kept in the slot itself. The slot's address
// comes from the thread environment block: its own address at fs:0x18 / gs:0x30, the first 64
// slots at offset 0xE10 / 0x1480, the expansion slots (indices 64 and up) behind the pointer at
// 0xF94 / 0x1780. Nothing else touches these slots: TlsGetValue and TlsSetValue are never called
// on them except to make a thread's expansion array exist.
#pragma once

#include <cstdint>
#include <new>
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
// Storage of a value larger than a slot: a block of its own behind the slot's pointer, made on the
// thread's first access. The emulated thread_local is only the fallback when that block cannot be
// made (its every access is a call).
template <class T, class Tag>
inline thread_local T tLargeFastThreadLocal{};

template <class T, class Tag>
[[gnu::cold, gnu::noinline]] T* AttachLargeFastThreadLocal(void** slot) noexcept {
    T* value = new (std::nothrow) T{};
    if (value == nullptr) value = &tLargeFastThreadLocal<T, Tag>;
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
        if (value == nullptr) [[unlikely]]
            value = detail::AttachLargeFastThreadLocal<T, Tag>(slot);
        return *value;
    }
}

}  // namespace mora::platform

namespace mora::platform {

// The calling thread's value when it has one, without making it: null for a larger-than-a-slot
// value the thread never reached.
template <class T, class Tag>
inline T* FastThreadLocalIfPresent() noexcept {
    void** slot = detail::FastThreadSlot(detail::kFastThreadSlot<Tag>);
    if constexpr (sizeof(T) <= sizeof(void*)) {
        return reinterpret_cast<T*>(slot);
    } else {
        return static_cast<T*>(*slot);
    }
}

// Frees the calling thread's larger-than-a-slot value; for a thread that is ending (its DLL
// thread-detach notification). The next access would make a fresh zero value.
template <class T, class Tag>
inline void FreeFastThreadLocal() noexcept {
    if constexpr (sizeof(T) > sizeof(void*)) {
        void** slot = detail::FastThreadSlot(detail::kFastThreadSlot<Tag>);
        T* value = static_cast<T*>(*slot);
        if (value != nullptr && value != &detail::tLargeFastThreadLocal<T, Tag>) delete value;
        *slot = nullptr;
    }
}

}  // namespace mora::platform
