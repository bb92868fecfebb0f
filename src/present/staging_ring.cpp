// Staging buffer allocation and the row pitch rule.
#include "present/staging_ring.h"

#include <cstring>
#include <new>

namespace mora {

namespace {

uint64_t StagingBytes(int32_t width, int32_t height) {
    if (height < 1 || height > kMaxStagingExtent) return 0;
    return static_cast<uint64_t>(StagingRowPitch(width)) * static_cast<uint64_t>(height);
}

// A zeroed, aligned block, or null.
uint8_t* AllocateBlack(uint64_t bytes) {
    auto* block = static_cast<uint8_t*>(
        ::operator new (static_cast<std::size_t>(bytes), std::align_val_t{kStagingAlignment}, std::nothrow));
    if (block != nullptr) std::memset(block, 0, static_cast<std::size_t>(bytes));
    return block;
}

void Release(uint8_t* block) {
    if (block != nullptr) ::operator delete (block, std::align_val_t{kStagingAlignment});
}

}  // namespace

uint32_t StagingRowPitch(int32_t width) {
    if (width < 1 || width > kMaxStagingExtent) return 0;
    const uint32_t packed = static_cast<uint32_t>(width) * 4u;
    return ((packed + kStagingAlignment - 1) & ~(kStagingAlignment - 1)) + kStagingAlignment;
}

bool ResizeStagingBuffer(StagingBuffer& buffer, int32_t width, int32_t height) {
    const uint64_t bytes = StagingBytes(width, height);
    if (bytes == 0) return false;
    if (buffer.capacity >= bytes) return true;
    uint8_t* block = AllocateBlack(bytes);
    if (block == nullptr) return false;
    Release(buffer.base);
    buffer = StagingBuffer{block, bytes};
    return true;
}

void FreeStagingBuffer(StagingBuffer& buffer) {
    Release(buffer.base);
    buffer = StagingBuffer{};
}

bool ResizeStagingRing(StagingRing& ring, int32_t width, int32_t height) {
    const uint64_t bytes = StagingBytes(width, height);
    if (bytes == 0) return false;
    // Allocate every missing buffer before touching the ring, so a failure leaves it as it was.
    uint8_t* fresh[2] = {nullptr, nullptr};
    for (int i = 0; i < 2; ++i) {
        if (ring.buffer[i].capacity >= bytes) continue;
        fresh[i] = AllocateBlack(bytes);
        if (fresh[i] == nullptr) {
            Release(fresh[0]);
            return false;
        }
    }
    for (int i = 0; i < 2; ++i) {
        if (fresh[i] == nullptr) continue;
        Release(ring.buffer[i].base);
        ring.buffer[i] = StagingBuffer{fresh[i], bytes};
    }
    ring.width = width;
    ring.height = height;
    ring.rowPitch = StagingRowPitch(width);
    return true;
}

ImageView StagingImage(const StagingRing& ring, int32_t index) {
    if (index < 0 || index > 1 || ring.buffer[index].base == nullptr) return ImageView{};
    return ImageView{ring.buffer[index].base, ring.rowPitch, ring.width, ring.height};
}

void FreeStagingRing(StagingRing& ring) {
    FreeStagingBuffer(ring.buffer[0]);
    FreeStagingBuffer(ring.buffer[1]);
    ring.width = 0;
    ring.height = 0;
    ring.rowPitch = 0;
}

}  // namespace mora
