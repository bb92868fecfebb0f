// Keyframes: the KeyframeSnapshot byte layout both ways, building a Keyframe from the
// PendingKeyframe, restoring the frame-start state (texture slots included) before a replay, and
// the frame-start state handed to captures.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

#include "gl/gl_state.h"
#include "gl/keyframe.h"
#include "gl/keyframe_snapshot.h"
#include "gl/matrix_stack.h"
#include "gl/pending_keyframe.h"
#include "gl/replay_test_support.h"
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
    for (int i = 0; i < 16; ++i) c->mvp[i] = -1.0f - i;
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

TEST(KeyframeSnapshot, EveryFieldLandsAtItsOffsetAndReadsBack) {
    const auto ctx = DistinctContext();
    KeyframeSnapshot s;
    std::memset(s.bytes, 0xCD, sizeof(s.bytes));  // padding must be rewritten to 0
    SerializeKeyframeSnapshot(*ctx, s);
    // Every byte: mode and stack tops, the three stacks, mvp, then the state words (each u8 flag
    // reads as 1 with its three zero padding bytes; depth test 1 and depth mask 0 share a word).
    const auto f = [](float v) { return std::bit_cast<uint32_t>(v); };
    std::vector<uint32_t> expected = {2, 3, 31, 17};
    for (float base : {1000.0f, 2000.0f, 3000.0f}) {
        for (int k = 0; k < 16 * kMatrixStackDepth; ++k) expected.push_back(f(base + k));
    }
    for (int i = 0; i < 16; ++i) expected.push_back(f(-1.0f - i));
    // Matrices clean; viewport, framebuffer and tile counts; clears; current colour and coordinate;
    // texture, blend, alpha and depth state; environment and culling.
    expected.insert(expected.end(), {0, static_cast<uint32_t>(-3), 4, 640, 480, 641, 481, 81, 61, 21, 16});
    expected.insert(expected.end(), {0x11223344u, 1, 0x55667788u, 1, f(0.125f), f(0.375f)});
    expected.insert(expected.end(), {0x99AABBCCu, f(1.5f), f(-2.5f)});
    expected.insert(expected.end(), {1, 77, 1, 0x0302, 0x0303, 1, 0x0204, f(0.625f), 1, 0x0203, f(0.25f), f(0.75f)});
    expected.insert(expected.end(), {0x1E01, 0xDEADBEEFu, 1, 0x0404, 0x0900, 9});
    ASSERT_EQ(expected.size() * 4, sizeof(s.bytes));
    std::vector<uint32_t> words(expected.size());
    std::memcpy(words.data(), s.bytes, sizeof(s.bytes));
    const auto first = std::mismatch(words.begin(), words.end(), expected.begin()).first;
    EXPECT_TRUE(first == words.end()) << "first difference at byte " << 4 * (first - words.begin());

    // Reading the bytes back gives every field again; the working set is not part of the snapshot.
    auto restored = std::make_unique<GlContext>();
    restored->primitiveVertices.resize(5);
    DeserializeKeyframeSnapshot(*restored, s);
    KeyframeSnapshot again;
    SerializeKeyframeSnapshot(*restored, again);
    EXPECT_EQ(std::memcmp(s.bytes, again.bytes, sizeof(s.bytes)), 0);
    EXPECT_EQ(restored->primitiveVertices.size(), 5u);

    ctx->depthMask = true;
    ctx->depthTestEnabled = false;
    SerializeKeyframeSnapshot(*ctx, s);
    EXPECT_EQ(At<uint32_t>(s, so::kDepthTestEnabled), 0x100u);
}

// The scissor state rides in padding bytes that stay 0 for its defaults (checked above), so
// snapshots of programs without it keep their bytes; edges from a file are clamped.
TEST(KeyframeSnapshot, ScissorStateRoundTripsThroughPaddingBytes) {
    auto ctx = DistinctContext();
    ctx->scissorEnabled = true;
    ctx->scissorBox = {5, 6, 700, 8000};
    KeyframeSnapshot s;
    SerializeKeyframeSnapshot(*ctx, s);
    EXPECT_EQ(s.bytes[so::kScissorEnabled], 1u);
    EXPECT_EQ((std::vector<uint16_t>{At<uint16_t>(s, so::kScissorX0), At<uint16_t>(s, so::kScissorY0),
                                     At<uint16_t>(s, so::kScissorX1Gap), At<uint16_t>(s, so::kScissorY1Gap)}),
              (std::vector<uint16_t>{5, 6, kMaxFramebufferSide - 700, kMaxFramebufferSide - 8000}));
    auto restored = std::make_unique<GlContext>();
    DeserializeKeyframeSnapshot(*restored, s);
    EXPECT_TRUE(restored->scissorEnabled);
    EXPECT_TRUE(restored->scissorBox == ctx->scissorBox);
    const uint16_t wild = 0xFFFF;
    std::memcpy(s.bytes + so::kScissorX0, &wild, 2);
    std::memcpy(s.bytes + so::kScissorY1Gap, &wild, 2);
    DeserializeKeyframeSnapshot(*restored, s);
    EXPECT_TRUE((restored->scissorBox == ScissorBox{kMaxFramebufferSide, 6, kMaxFramebufferSide, 6}));
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
    EXPECT_EQ(std::vector<int32_t>(ctx->stackTop, ctx->stackTop + 3), (std::vector<int32_t>{0, 31, 31}));
    EXPECT_TRUE(ctx->blendEnabled);
}

// Plays the API side: every call touches the PendingKeyframe and is applied. (That a frame's
// records replay to the state these calls leave is command_executor_test.cpp's subject.)
struct ApiSide {
    GlContext& ctx;
    PendingKeyframe& pending;

    void Bind(uint32_t name) { BindTexture(ctx, 0x0DE1, name, &pending); }
    uint32_t Gen() {
        uint32_t name = 0;
        GenTextures(ctx, 1, &name, &pending);
        return name;
    }
    void Delete(uint32_t name) { DeleteTextures(ctx, 1, &name, &pending); }
    void Image(int32_t w, int32_t h, const std::vector<uint8_t>& rgba) {
        TexImage2D(ctx, 0x0DE1, 0, w, h, 0x1908, 0x1401, rgba.data(), &pending);
    }
};

std::vector<uint8_t> Solid(int32_t w, int32_t h, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> px;
    for (int32_t i = 0; i < w * h; ++i) px.insert(px.end(), {r, g, b, 255});
    return px;
}

std::vector<uint8_t> Snapshot(const GlContext& ctx) {
    KeyframeSnapshot s;
    SerializeKeyframeSnapshot(ctx, s);
    return std::vector<uint8_t>(s.bytes, s.bytes + sizeof(s.bytes));
}

void ExpectSameTable(const std::vector<TextureSlot>& a, const std::vector<TextureSlot>& b) {
    const auto fields = [](const TextureSlot& t) {
        return std::make_tuple(t.width, t.height, t.inUse, t.hasImage, t.levelCount, t.texels,
                               std::vector<int32_t>(std::begin(t.levelOffset), std::end(t.levelOffset)));
    };
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(fields(a[i]), fields(b[i])) << "slot " << i;
}

// Frame-start state: texture 1 holds a 2x2 red image; blending on; modelview translated.
void SetUpFrameStart(GlContext& ctx) {
    uint32_t name = 0;
    GenTextures(ctx, 1, &name, nullptr);
    BindTexture(ctx, 0x0DE1, name, nullptr);
    const std::vector<uint8_t> red = Solid(2, 2, 255, 0, 0);
    TexImage2D(ctx, 0x0DE1, 0, 2, 2, 0x1908, 0x1401, red.data(), nullptr);
    ApplyEnable(ctx, 0x0BE2);
    ApplyLoadIdentity(ctx);
    ApplyTranslate(ctx, 5, 0, 0);
    ApplyViewport(ctx, 0, 0, 64, 48);
}

// The Keyframe restores the frame start, each time (a texture deleted and re-created under its name
// included). The capture state is the frame start without touching the context, and the live state
// when no PendingKeyframe was closed; from such a one no Keyframe is built.
TEST(Keyframe, KeyframeAndCaptureStateGiveTheFrameStart) {
    auto ctx = test::NewContext();
    SetUpFrameStart(*ctx);
    PendingKeyframe pending;
    ASSERT_TRUE(ClosePendingKeyframe(pending, *ctx));
    const std::vector<uint8_t> start = Snapshot(*ctx);
    const std::vector<TextureSlot> startTable = TextureTableSlots(ctx->textureTable);

    ApiSide api{*ctx, pending};
    ApplyEnable(*ctx, 0x0B71);
    ApplyTranslate(*ctx, 3, 0, 0);
    ApplyColor(*ctx, 0xFFFFFFFFu);
    api.Delete(1);  // changes slot 1: its frame-start contents are saved
    ASSERT_EQ(api.Gen(), 1u);
    api.Bind(1);
    api.Image(1, 1, Solid(1, 1, 0, 0, 255));  // later changes save nothing more
    api.Image(2, 1, Solid(2, 1, 0, 9, 0));
    api.Bind(4);  // grows the table to 5 slots; new slots are not saved
    ASSERT_EQ(ctx->textureTable.size(), 5u);
    const std::vector<uint8_t> live = Snapshot(*ctx);
    const std::vector<TextureSlot> liveTable = TextureTableSlots(ctx->textureTable);
    ASSERT_NE(live, start);

    std::vector<TextureSlot> table(9);  // scratch with stale contents
    KeyframeSnapshot snapshot;
    const auto bytes = [&] { return std::vector<uint8_t>(snapshot.bytes, snapshot.bytes + sizeof(snapshot.bytes)); };
    BuildCaptureState(pending, *ctx, table, snapshot);
    ExpectSameTable(table, startTable);
    EXPECT_EQ(bytes(), start);
    EXPECT_EQ(Snapshot(*ctx), live);
    ExpectSameTable(TextureTableSlots(ctx->textureTable), liveTable);
    const PendingKeyframe none;
    BuildCaptureState(none, *ctx, table, snapshot);
    ExpectSameTable(table, liveTable);
    EXPECT_EQ(bytes(), live);

    Keyframe kf;
    BuildKeyframe(pending, *ctx, kf);
    ASSERT_TRUE(kf.valid);
    EXPECT_EQ(kf.textureCount, 2u);
    EXPECT_EQ(kf.slotIndices, std::vector<uint32_t>{1});
    ASSERT_EQ(kf.savedSlots.size(), 1u);
    EXPECT_EQ(kf.savedSlots[0].width, 2);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        RestoreKeyframe(*ctx, kf);
        EXPECT_EQ(Snapshot(*ctx), start);
        ExpectSameTable(TextureTableSlots(ctx->textureTable), startTable);
        api.Bind(4);  // the frame's changes again
        api.Image(1, 1, Solid(1, 1, 0, 0, 255));
    }

    BuildKeyframe(none, *ctx, kf);  // drops the stale contents; restoring it changes nothing
    EXPECT_FALSE(kf.valid);
    EXPECT_TRUE(kf.slotIndices.empty() && kf.savedSlots.empty());
    ApplyDisable(*ctx, 0x0B71);
    RestoreKeyframe(*ctx, kf);
    EXPECT_FALSE(ctx->depthTestEnabled);
}

TEST(Keyframe, RestoreSkipsSavedSlotsOutsideTheTable) {
    auto ctx = test::NewContext();
    Keyframe kf;
    SerializeKeyframeSnapshot(*ctx, kf.snapshot);
    kf.textureCount = 2;
    kf.slotIndices = {1, 50};
    kf.savedSlots.resize(2);
    kf.savedSlots[0].width = 3;
    kf.savedSlots[1].width = 4;
    kf.valid = true;
    RestoreKeyframe(*ctx, kf);
    ASSERT_EQ(ctx->textureTable.size(), 2u);
    EXPECT_EQ(ctx->textureTable[1].width, 3);
    // More indices than saved slots: the extra index is ignored.
    kf.slotIndices = {0, 1, 1};
    RestoreKeyframe(*ctx, kf);
    EXPECT_EQ(ctx->textureTable[0].width, 3);
    EXPECT_EQ(ctx->textureTable[1].width, 4);
}

}  // namespace
}  // namespace mora
