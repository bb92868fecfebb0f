// CommandStream and CommandBlob: the two growable byte buffers that hold a recorded frame (the
// Cmd records, and the bulk data they reference). The API entries append to the process-wide
// pair; wglSwapBuffers and glReadPixels hand the pair over to the executor and take it back.
#pragma once

#include <cstdint>

#include "platform/never_destroyed.h"

namespace mora {

// Largest size either buffer may reach; a larger request fails and appends nothing.
inline constexpr uint64_t kCommandBufferMaxBytes = 0x7FFFFFFFu;
inline constexpr uint64_t kCommandStreamReserveBytes = 0x400000u;  // 4 MiB, reserved at load
inline constexpr uint64_t kCommandBlobReserveBytes = 0x800000u;    // 8 MiB, reserved at load

// A growable byte buffer (begin, end, capacity). Growing to s + n beyond the capacity follows the
// growth rule (gl/growth_rule.h); new bytes are zero. Never shrinks. Movable only.
struct CommandBuffer {
    uint8_t* begin = nullptr;
    uint8_t* end = nullptr;
    uint8_t* capacityEnd = nullptr;

    CommandBuffer() = default;
    CommandBuffer(const CommandBuffer&) = delete;
    CommandBuffer& operator=(const CommandBuffer&) = delete;
    CommandBuffer(CommandBuffer&& other) noexcept;
    CommandBuffer& operator=(CommandBuffer&& other) noexcept;
    ~CommandBuffer();
};
using CommandStream = CommandBuffer;
using CommandBlob = CommandBuffer;

inline uint64_t CommandBufferSize(const CommandBuffer& buffer) {
    return static_cast<uint64_t>(buffer.end - buffer.begin);
}
inline uint64_t CommandBufferCapacity(const CommandBuffer& buffer) {
    return static_cast<uint64_t>(buffer.capacityEnd - buffer.begin);
}

// True when `count` more bytes fit without growing.
inline bool CommandBufferHasRoom(const CommandBuffer& buffer, uint64_t count) {
    return count <= static_cast<uint64_t>(buffer.capacityEnd - buffer.end);
}

// Makes room for `count` more bytes without changing the size: the capacity grows as the append
// of `count` bytes would grow it. False (buffer unchanged) when the new size would pass
// kCommandBufferMaxBytes or memory runs out.
[[gnu::noinline]] bool MakeCommandBufferRoom(CommandBuffer& buffer, uint64_t count);

// Slow path of ExtendCommandBuffer: reallocates by the growth rule. Null on failure (limit or
// allocation), with the buffer unchanged.
[[gnu::noinline]] uint8_t* ExtendCommandBufferSlow(CommandBuffer& buffer, uint64_t count);

// Extends the buffer by `count` bytes the caller overwrites at once, and returns where they
// start; null (buffer unchanged) when the new size would pass kCommandBufferMaxBytes or memory
// runs out. The appends use this: every record and blob copy writes all of its bytes.
inline uint8_t* ExtendCommandBuffer(CommandBuffer& buffer, uint64_t count) {
    if (CommandBufferHasRoom(buffer, count)) {
        uint8_t* at = buffer.end;
        buffer.end += count;
        return at;
    }
    return ExtendCommandBufferSlow(buffer, count);
}

// As ExtendCommandBuffer, with the new bytes zero-filled.
uint8_t* GrowCommandBuffer(CommandBuffer& buffer, uint64_t count);

// Gives back the last `count` bytes (rolling back an append); the capacity stays.
void ShrinkCommandBuffer(CommandBuffer& buffer, uint64_t count);

// Raises the capacity to at least `capacity` bytes; false when refused or out of memory.
bool ReserveCommandBuffer(CommandBuffer& buffer, uint64_t capacity);

// Size 0, capacity kept.
void EmptyCommandBuffer(CommandBuffer& buffer);

void SwapCommandBuffers(CommandBuffer& a, CommandBuffer& b);

// The stream and blob of one recorded frame, with the reserved word that travels with them.
struct CommandRecording {
    CommandStream stream;
    CommandBlob blob;
    uint32_t reserved = 0;
};

namespace detail {
// Constant-initialised (empty until the reservation at load), so the entries reach it without an
// initialisation guard or a call.
extern constinit platform::NeverDestroyed<CommandRecording> gCommandRecording;
}  // namespace detail

// The process-wide pair the API entries record into; reserved to 4 MiB / 8 MiB at library load.
inline CommandRecording& TheCommandRecording() { return detail::gCommandRecording.value; }

// Hand-over: the recording side's buffers move into `frame` whole (pointers swapped), and the
// recording side is left with `frame`'s previous, empty buffers.
void HandOverCommandRecording(CommandRecording& recording, CommandRecording& frame);

// Give-back after execution: `frame`'s used buffers are emptied (capacity kept) and swapped back
// into the recording side so that the next frame reuses their storage.
void GiveBackCommandRecording(CommandRecording& frame, CommandRecording& recording);

}  // namespace mora
