// Keyframe build and restore, and the frame-start state for captures.
#include "gl/keyframe.h"

#include <algorithm>

namespace mora {

void BuildKeyframe(const PendingKeyframe& pending, const GlContext& ctx, Keyframe& out) {
    if (pending.valid) {
        out.snapshot = pending.snapshot;
        out.textureCount = pending.textureCount;
        out.slotIndices = pending.slotIndices;
        out.savedSlots = pending.savedSlots;
        out.valid = true;
        return;
    }
    SerializeKeyframeSnapshot(ctx, out.snapshot);
    out.textureCount = static_cast<uint32_t>(ctx.textureTable.size());
    out.slotIndices.clear();
    out.savedSlots.clear();
    out.valid = false;
}

namespace {

// Puts saved slot contents back into `table` (entries whose index lies outside are skipped). A
// saved slot was written during the frame, so its page in the live table still exists.
template <class Table>
void PutBackSavedSlots(Table& table, const std::vector<uint32_t>& indices, const std::vector<TextureSlot>& saved) {
    const size_t count = std::min(indices.size(), saved.size());
    for (size_t i = 0; i < count; ++i) {
        if (indices[i] < table.size()) table[indices[i]] = saved[i];
    }
}

}  // namespace

void RestoreKeyframe(GlContext& ctx, const Keyframe& keyframe) {
    if (!keyframe.valid) return;
    DeserializeKeyframeSnapshot(ctx, keyframe.snapshot);
    ctx.textureTable.resize(keyframe.textureCount);
    PutBackSavedSlots(ctx.textureTable, keyframe.slotIndices, keyframe.savedSlots);
    // Only the slots put back (and those past the new size) changed: the name index follows them
    // rather than being rebuilt from the whole table every frame.
    ResizeTextureNameIndex(ctx.textureNames, ctx.textureTable.size());
    for (uint32_t name : keyframe.slotIndices) NoteTextureSlotChanged(ctx.textureNames, ctx.textureTable, name);
}

void BuildCaptureState(const PendingKeyframe& pending, const GlContext& ctx, std::vector<TextureSlot>& table,
                       KeyframeSnapshot& snapshot) {
    CopyTextureTable(ctx.textureTable, table);
    if (pending.valid) {
        table.resize(pending.textureCount);
        PutBackSavedSlots(table, pending.slotIndices, pending.savedSlots);
        snapshot = pending.snapshot;
    } else {
        SerializeKeyframeSnapshot(ctx, snapshot);
    }
}

}  // namespace mora
