// PendingKeyframe: the process-wide record from which each frame's Keyframe is built: the
// snapshot of the state when the frame began plus the frame-start contents of every texture
// slot changed since. The texture calls touch it (TouchTextureSlot) before changing a slot;
// the frame sequence closes it after each execution.
#pragma once

#include <cstdint>
#include <vector>

#include "gl/gl_context.h"
#include "gl/keyframe_snapshot.h"

namespace mora {

struct PendingKeyframe {
    KeyframeSnapshot snapshot{};
    uint32_t textureCount = 0;            // texture table size when closed
    std::vector<uint32_t> slotIndices;    // slots changed since, in first-change order
    std::vector<TextureSlot> savedSlots;  // their contents when closed, same order
    std::vector<uint8_t> touched;         // one flag per slot below textureCount
    bool valid = false;
};

// The one record the API side touches and the frame sequence closes.
PendingKeyframe& ThePendingKeyframe();

// Saves slot `index` the first time it changes in a frame: when index is below both textureCount
// and the table size and its touched flag is clear, sets the flag and appends the index and a
// full copy of the slot (texels included). Otherwise nothing. The caller passes the record only
// while recording is on. Returns false only when the copy could not be allocated (nothing saved).
bool TouchTextureSlot(PendingKeyframe& pending, const GlContext& ctx, uint32_t index);

// Starts a new frame at the context's current state: snapshot, textureCount = table size, no
// saved slots, textureCount cleared touched flags, valid. False (record left invalid) when out of memory.
bool ClosePendingKeyframe(PendingKeyframe& pending, const GlContext& ctx);

}  // namespace mora
