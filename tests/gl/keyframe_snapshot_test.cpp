// KeyframeSnapshot byte layout both ways, and the PendingKeyframe's saving of touched slots.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "gl/keyframe_snapshot.h"
#include "gl/pending_keyframe.h"
#include "gl/texture_objects.h"

namespace mora {
namespace {

namespace so = snapshot_offset;

template <class T>
T At(const KeyframeSnapshot& s, uint32_t offset) {
    T value;
    std::memcpy(&value, s.bytes + offset, sizeof(T));
    return value;
}

// A context where every snapshot field holds a value distinct from its default and its neighbours.
std::unique_ptr<GlContext> DistinctContext() {
    auto c = std::make_unique<GlContext>();
    c->matrixMode = 2;
    c->stackTop[0] = 3, c->stackTop[1] = 31, c->stackTop[2] = 17;
    for (int m = 0; m < kMatrixStackDepth; ++m) {
        for (int i = 0; i < 16; ++i) {
            c->modelviewStack[m][i] = 1000.0f + m * 16 + i;
            c->projectionStack[m][i] = 2000.0f + m * 16 + i;
            c->textureStack[m][i] = 3000.0f + m * 16 + i;
        }
    }
    for (int i = 0; i < 16; ++i) {
        c->mvp[i] = -1.0f - i;
    }
    c->matricesDirty = false;
    c->viewport[0] = -3, c->viewport[1] = 4, c->viewport[2] = 640, c->viewport[3] = 480;
    c->framebufferWidth = 641, c->framebufferHeight = 481, c->microTilesX = 81, c->microTilesY = 61;
    c->macroTilesX = 21, c->macroTilesY = 16;
    c->clearColour = 0x11223344u, c->colourClearPending = true, c->colourClearValue = 0x55667788u;
    c->depthClearPending = true, c->depthClearValue = 0.125f, c->clearDepth = 0.375f;
    c->currentColour = 0x99AABBCCu, c->currentS = 1.5f, c->currentT = -2.5f;
    c->texture2DEnabled = true, c->boundTexture = 77;
    c->blendEnabled = true, c->blendSrc = 0x0302, c->blendDst = 0x0303;
    c->alphaTestEnabled = true, c->alphaFunc = 0x0204, c->alphaRef = 0.625f;
    c->depthTestEnabled = true, c->depthMask = false, c->depthFunc = 0x0203;
    c->depthNear = 0.25f, c->depthFar = 0.75f;
    c->texEnvMode = 0x1E01, c->texEnvColour = 0xDEADBEEFu;
    c->cullEnabled = true, c->cullFace = 0x0404, c->frontFace = 0x0900, c->primitiveMode = 9;
    return c;
}

TEST(KeyframeSnapshot, EveryFieldLandsAtItsOffset) {
    const auto ctx = DistinctContext();
    KeyframeSnapshot s;
    std::memset(s.bytes, 0xCD, sizeof(s.bytes));  // padding must be rewritten to 0
    SerializeKeyframeSnapshot(*ctx, s);
    EXPECT_EQ(At<uint32_t>(s, 0), 2u);
    EXPECT_EQ(At<int32_t>(s, 4), 3);
    EXPECT_EQ(At<int32_t>(s, 8), 31);
    EXPECT_EQ(At<int32_t>(s, 12), 17);
    EXPECT_EQ(At<float>(s, 16), 1000.0f);
    EXPECT_EQ(At<float>(s, 2064 + 4 * (16 * 5 + 3)), 2083.0f);
    EXPECT_EQ(At<float>(s, 4112 + 4 * 511), 3511.0f);
    EXPECT_EQ(At<float>(s, 6160 + 60), -16.0f);
    EXPECT_EQ(At<uint32_t>(s, 6224), 0u);
    const int32_t ints[10] = {-3, 4, 640, 480, 641, 481, 81, 61, 21, 16};  // viewport, then grid sizes
    EXPECT_EQ(std::memcmp(s.bytes + 6228, ints, sizeof(ints)), 0);
    // Words from 6268 on: each u8 flag reads as 1 with its three zero padding bytes.
    const uint32_t words[] = {0x11223344u, 1, 0x55667788u, 1};
    EXPECT_EQ(std::memcmp(s.bytes + 6268, words, sizeof(words)), 0);
    EXPECT_EQ(At<float>(s, 6284), 0.125f);
    EXPECT_EQ(At<float>(s, 6288), 0.375f);
    EXPECT_EQ(At<uint32_t>(s, 6292), 0x99AABBCCu);
    EXPECT_EQ(At<float>(s, 6296), 1.5f);
    EXPECT_EQ(At<float>(s, 6300), -2.5f);
    const uint32_t middle[] = {1, 77, 1, 0x0302, 0x0303, 1, 0x0204};
    EXPECT_EQ(std::memcmp(s.bytes + 6304, middle, sizeof(middle)), 0);
    EXPECT_EQ(At<float>(s, 6332), 0.625f);
    EXPECT_EQ(At<uint32_t>(s, 6336), 1u);  // depth test 1, depth mask 0, two zero bytes
    EXPECT_EQ(At<uint32_t>(s, 6340), 0x0203u);
    EXPECT_EQ(At<float>(s, 6344), 0.25f);
    EXPECT_EQ(At<float>(s, 6348), 0.75f);
    const uint32_t tail[] = {0x1E01, 0xDEADBEEFu, 1, 0x0404, 0x0900, 9};
    EXPECT_EQ(std::memcmp(s.bytes + 6352, tail, sizeof(tail)), 0);

    ctx->depthMask = true;
    ctx->depthTestEnabled = false;
    SerializeKeyframeSnapshot(*ctx, s);
    EXPECT_EQ(At<uint32_t>(s, so::kDepthTestEnabled), 0x100u);
}

TEST(KeyframeSnapshot, RoundTripRestoresEverySnapshotField) {
    const auto source = DistinctContext();
    KeyframeSnapshot s;
    SerializeKeyframeSnapshot(*source, s);
    auto restored = std::make_unique<GlContext>();
    restored->primitiveVertices.resize(5);  // the working set is not part of the snapshot
    DeserializeKeyframeSnapshot(*restored, s);
    KeyframeSnapshot again;
    SerializeKeyframeSnapshot(*restored, again);
    EXPECT_EQ(std::memcmp(s.bytes, again.bytes, sizeof(s.bytes)), 0);
    EXPECT_EQ(restored->primitiveVertices.size(), 5u);
    EXPECT_EQ(restored->frontFace, 0x0900u);
    EXPECT_FALSE(restored->depthMask);
    EXPECT_TRUE(restored->depthClearPending);
    EXPECT_EQ(restored->textureStack[31][15], 3511.0f);
}

TEST(KeyframeSnapshot, UntrustedBytesCannotSelectAMatrixOutsideItsStack) {
    auto ctx = std::make_unique<GlContext>();
    KeyframeSnapshot s;
    SerializeKeyframeSnapshot(*ctx, s);
    const uint32_t mode = 9;
    const int32_t tops[3] = {-4, 32, 1 << 30};
    std::memcpy(s.bytes + so::kMatrixMode, &mode, 4);
    std::memcpy(s.bytes + so::kStackTop, tops, sizeof(tops));
    s.bytes[so::kBlendEnabled] = 0x80;
    DeserializeKeyframeSnapshot(*ctx, s);
    EXPECT_EQ(ctx->matrixMode, 0u);
    EXPECT_EQ(ctx->stackTop[0], 0);
    EXPECT_EQ(ctx->stackTop[1], 31);
    EXPECT_EQ(ctx->stackTop[2], 31);
    EXPECT_TRUE(ctx->blendEnabled);
}

TEST(PendingKeyframe, TouchSavesOnlyTheFirstChangeOfFrameStartSlots) {
    auto ctx = std::make_unique<GlContext>();
    uint32_t names[2];
    GenTextures(*ctx, 2, names, nullptr);
    BindTexture(*ctx, gle::kTexture2D, 1, nullptr);
    const uint8_t red[4] = {255, 0, 0, 255};
    const uint8_t green[4] = {0, 255, 0, 255};
    TexImage2D(*ctx, gle::kTexture2D, 0, 1, 1, gle::kRgba, gle::kUnsignedByte, red, nullptr);

    PendingKeyframe pending;
    EXPECT_TRUE(TouchTextureSlot(pending, *ctx, 1));  // never closed: textureCount 0, nothing saved
    EXPECT_TRUE(pending.slotIndices.empty());
    ASSERT_TRUE(ClosePendingKeyframe(pending, *ctx));
    EXPECT_TRUE(pending.valid);
    EXPECT_EQ(pending.textureCount, 3u);
    EXPECT_EQ(pending.touched, (std::vector<uint8_t>{0, 0, 0}));

    TexImage2D(*ctx, gle::kTexture2D, 0, 1, 1, gle::kRgba, gle::kUnsignedByte, green, &pending);
    TexImage2D(*ctx, gle::kTexture2D, 0, 1, 1, gle::kRgba, gle::kUnsignedByte, red, &pending);
    const uint32_t doomed[1] = {2};
    DeleteTextures(*ctx, 1, doomed, &pending);
    BindTexture(*ctx, gle::kTexture2D, 5, &pending);  // slots created this frame are not saved
    TexImage2D(*ctx, gle::kTexture2D, 0, 1, 1, gle::kRgba, gle::kUnsignedByte, red, &pending);
    ASSERT_EQ(pending.slotIndices, (std::vector<uint32_t>{1, 2}));
    ASSERT_EQ(pending.savedSlots.size(), 2u);
    EXPECT_EQ(pending.savedSlots[0].texels, std::vector<uint32_t>{0xFFFF0000u});  // frame-start contents
    EXPECT_EQ(pending.savedSlots[1].inUse, 1);
    EXPECT_EQ(ctx->textureTable[2].inUse, 0);

    ASSERT_TRUE(ClosePendingKeyframe(pending, *ctx));
    EXPECT_TRUE(pending.slotIndices.empty());
    EXPECT_TRUE(pending.savedSlots.empty());
    EXPECT_EQ(pending.textureCount, 6u);
    KeyframeSnapshot live;
    SerializeKeyframeSnapshot(*ctx, live);
    EXPECT_EQ(std::memcmp(live.bytes, pending.snapshot.bytes, sizeof(live.bytes)), 0);
}

}  // namespace
}  // namespace mora
