#include "gl/pending_keyframe.h"

#include <new>
#include <stdexcept>

namespace mora {

PendingKeyframe& ThePendingKeyframe() {
    static PendingKeyframe* const pending = new PendingKeyframe;  // never destroyed: GL at exit
    return *pending;
}

bool TouchTextureSlot(PendingKeyframe& pending, const GlContext& ctx, uint32_t index) {
    if (index >= pending.textureCount || index >= ctx.textureTable.size() || index >= pending.touched.size() ||
        pending.touched[index] != 0) {
        return true;
    }
    try {
        // Reserve both first so that the index and the copy are appended together or not at all.
        pending.slotIndices.reserve(pending.slotIndices.size() + 1);
        pending.savedSlots.reserve(pending.savedSlots.size() + 1);
        pending.savedSlots.push_back(ctx.textureTable[index]);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    pending.slotIndices.push_back(index);
    pending.touched[index] = 1;
    return true;
}

bool ClosePendingKeyframe(PendingKeyframe& pending, const GlContext& ctx) {
    SerializeKeyframeSnapshot(ctx, pending.snapshot);
    pending.textureCount = static_cast<uint32_t>(ctx.textureTable.size());
    // Only the flags set this frame are cleared, so a frame's cost follows the slots it changed
    // rather than the table size; the resize touches only slots the table gained.
    for (uint32_t index : pending.slotIndices) {
        if (index < pending.touched.size()) pending.touched[index] = 0;
    }
    pending.slotIndices.clear();
    pending.savedSlots.clear();
    try {
        pending.touched.resize(pending.textureCount, 0);
    } catch (const std::bad_alloc&) {
        pending.touched.clear();
        pending.valid = false;
        return false;
    }
    pending.valid = true;
    return true;
}

}  // namespace mora
