#include "gl/command_buffer.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "gl/growth_rule.h"

namespace mora {

CommandBuffer::CommandBuffer(CommandBuffer&& other) noexcept
    : begin(std::exchange(other.begin, nullptr)),
      end(std::exchange(other.end, nullptr)),
      capacityEnd(std::exchange(other.capacityEnd, nullptr)) {}

CommandBuffer& CommandBuffer::operator=(CommandBuffer&& other) noexcept {
    if (this != &other) {
        std::free(begin);
        begin = std::exchange(other.begin, nullptr);
        end = std::exchange(other.end, nullptr);
        capacityEnd = std::exchange(other.capacityEnd, nullptr);
    }
    return *this;
}

CommandBuffer::~CommandBuffer() { std::free(begin); }

namespace {

// Moves the buffer to `capacity` bytes of new storage; false (unchanged) when allocation fails.
bool Reallocate(CommandBuffer& buffer, uint64_t capacity) {
    const uint64_t size = CommandBufferSize(buffer);
    void* storage = std::realloc(buffer.begin, static_cast<size_t>(capacity));
    if (storage == nullptr) {
        return false;
    }
    buffer.begin = static_cast<uint8_t*>(storage);
    buffer.end = buffer.begin + size;
    buffer.capacityEnd = buffer.begin + capacity;
    return true;
}

}  // namespace

bool MakeCommandBufferRoom(CommandBuffer& buffer, uint64_t count) {
    const uint64_t size = CommandBufferSize(buffer);
    const uint64_t capacity = CommandBufferCapacity(buffer);
    if (count > kCommandBufferMaxBytes || size + count > kCommandBufferMaxBytes) {
        return false;
    }
    const uint64_t needed = size + count;
    if (needed > capacity) {
        uint64_t target = GrownCapacity(capacity, needed);
        if (target > kCommandBufferMaxBytes) {
            target = kCommandBufferMaxBytes;  // the request itself fits, so the limit still holds it
        }
        return Reallocate(buffer, target);
    }
    return true;
}

uint8_t* ExtendCommandBufferSlow(CommandBuffer& buffer, uint64_t count) {
    if (!MakeCommandBufferRoom(buffer, count)) {
        return nullptr;
    }
    uint8_t* at = buffer.end;
    buffer.end += count;
    return at;
}

uint8_t* GrowCommandBuffer(CommandBuffer& buffer, uint64_t count) {
    uint8_t* at = ExtendCommandBuffer(buffer, count);
    if (at != nullptr && count != 0) {
        std::memset(at, 0, static_cast<size_t>(count));
    }
    return at;
}

void ShrinkCommandBuffer(CommandBuffer& buffer, uint64_t count) {
    const uint64_t size = CommandBufferSize(buffer);
    buffer.end = buffer.begin == nullptr ? nullptr : buffer.begin + (count >= size ? 0 : size - count);
}

bool ReserveCommandBuffer(CommandBuffer& buffer, uint64_t capacity) {
    if (capacity > kCommandBufferMaxBytes) {
        return false;
    }
    if (capacity <= CommandBufferCapacity(buffer)) {
        return true;
    }
    return Reallocate(buffer, capacity);
}

void EmptyCommandBuffer(CommandBuffer& buffer) { buffer.end = buffer.begin; }

void SwapCommandBuffers(CommandBuffer& a, CommandBuffer& b) {
    std::swap(a.begin, b.begin);
    std::swap(a.end, b.end);
    std::swap(a.capacityEnd, b.capacityEnd);
}

namespace detail {

constinit platform::NeverDestroyed<CommandRecording> gCommandRecording;  // GL after our statics end

}  // namespace detail

namespace {

// Reserve when the library loads rather than on the first GL call. A reservation keeps what an
// earlier static initialiser may already have recorded; a failed one is not an error: the
// buffers then grow on first use.
[[maybe_unused]] const bool kReservedAtLoad =
    (ReserveCommandBuffer(detail::gCommandRecording.value.stream, kCommandStreamReserveBytes),
     ReserveCommandBuffer(detail::gCommandRecording.value.blob, kCommandBlobReserveBytes), true);

}  // namespace

void HandOverCommandRecording(CommandRecording& recording, CommandRecording& frame) {
    SwapCommandBuffers(recording.stream, frame.stream);
    SwapCommandBuffers(recording.blob, frame.blob);
    std::swap(recording.reserved, frame.reserved);
}

void GiveBackCommandRecording(CommandRecording& frame, CommandRecording& recording) {
    EmptyCommandBuffer(frame.stream);
    EmptyCommandBuffer(frame.blob);
    SwapCommandBuffers(recording.stream, frame.stream);
    SwapCommandBuffers(recording.blob, frame.blob);
    std::swap(recording.reserved, frame.reserved);
    // Whatever the recording side held meanwhile must not reappear in a later frame.
    EmptyCommandBuffer(frame.stream);
    EmptyCommandBuffer(frame.blob);
}

}  // namespace mora
