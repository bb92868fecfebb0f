// Replay of recorded frames: every record against the entries' state, and streams that are
// truncated, lie about sizes or blob references, or hold random records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>
#include <tuple>
#include <vector>

#include "gl/command_executor.h"
#include "gl/gl_state.h"
#include "gl/keyframe_snapshot.h"
#include "gl/matrix_stack.h"
#include "gl/texture_objects.h"
#include "gl/replay_test_support.h"

namespace mora {
namespace {

using test::AppendRaw;
using test::AppendWord;
using test::NewContext;

constexpr RenderOverrides kNoOverrides{0, false, false, false, 0};

ReplayEnd Replay(GlContext& ctx, const CommandRecording& rec) {
    return ReplayCommands(ctx, rec.stream, rec.blob, kNoOverrides);
}

bool SameSnapshot(const GlContext& a, const GlContext& b) {
    KeyframeSnapshot sa, sb;
    SerializeKeyframeSnapshot(a, sa);
    SerializeKeyframeSnapshot(b, sb);
    return std::memcmp(sa.bytes, sb.bytes, sizeof(sa.bytes)) == 0;
}

// One stream holding every record in opcode order, made as the entries make them, with the state
// calls applied to `live` as the entries apply them: every header carries its opcode and the size
// the table gives, and the replay leaves the state the entries left.
TEST(ReplayCommands, EveryRecordInOpcodeOrderReplaysToTheEntriesState) {
    auto live = NewContext();
    auto replayed = NewContext();
    CommandRecording rec;
    CommandStream& s = rec.stream;
    const float m[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1};
    const float envColour[4] = {1, 0.5f, 0, 1};
    const uint8_t rgba[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    ApplyMatrixMode(*live, 0x1701);
    AppendMatrixMode(s, 0x1701);
    ApplyLoadIdentity(*live);
    AppendLoadIdentity(s);
    ApplyLoadMatrix(*live, m);
    AppendLoadMatrixf(s, m);
    ApplyMultMatrix(*live, m);
    AppendMultMatrixf(s, m);
    ApplyPushMatrix(*live);
    AppendPushMatrix(s);
    ApplyPushMatrix(*live);
    AppendPushMatrix(s);
    ApplyPopMatrix(*live);
    AppendPopMatrix(s);
    ApplyTranslate(*live, 1, 2, 3);
    AppendTranslatef(s, 1, 2, 3);
    ApplyRotate(*live, 30, 0, 0, 1);
    AppendRotatef(s, 30, 0, 0, 1);
    ApplyScale(*live, 2, 2, 2);
    AppendScalef(s, 2, 2, 2);
    ApplyOrtho(*live, 0, 640, 480, 0, -1, 1);
    AppendOrtho(s, 0, 640, 480, 0, -1, 1);
    ApplyFrustum(*live, -1, 1, -1, 1, 1, 100);
    AppendFrustum(s, -1, 1, -1, 1, 1, 100);
    ApplyViewport(*live, 5, 6, 320, 200);
    AppendViewport(s, 5, 6, 320, 200);
    ApplyDepthRange(*live, 0.25f, 0.75f);
    AppendDepthRange(s, 0.25, 0.75);
    ApplyScissor(*live, 1, 2, 3, 4);
    AppendScissor(s, 1, 2, 3, 4);
    for (uint32_t cap : {0x0B71u, 0x0BE2u, 0x0B44u}) {
        ApplyEnable(*live, cap);
        AppendEnable(s, cap);
    }
    ApplyDisable(*live, 0x0BE2);
    AppendDisable(s, 0x0BE2);
    ApplyBlendFunc(*live, 0x0302, 0x0303);
    AppendBlendFunc(s, 0x0302, 0x0303);
    ApplyAlphaFunc(*live, 0x0204, 0.5f);
    AppendAlphaFunc(s, 0x0204, 0.5f);
    ApplyDepthFunc(*live, 0x0203);
    AppendDepthFunc(s, 0x0203);
    ApplyDepthMask(*live, 0);
    AppendDepthMask(s, 0);
    AppendColorMask(s, 1, 0, 1, 0);
    ApplyTexEnvi(*live, 0x2300, 0x2200, 0x1E01);
    AppendTexEnvi(s, 0x2300, 0x2200, 0x1E01);
    ApplyTexEnvfv(*live, 0x2300, 0x2201, envColour);
    AppendTexEnvfv(s, 0x2300, 0x2201, envColour);
    TexParameteri(*live, 0x0DE1, 0x2800, 0x2600, nullptr);
    AppendTexParameteri(s, 0x0DE1, 0x2800, 0x2600);
    AppendPixelStorei(s, 0x0CF5, 1);
    ApplyCullFace(*live, 0x0404);
    AppendCullFace(s, 0x0404);
    ApplyFrontFace(*live, 0x0900);
    AppendFrontFace(s, 0x0900);
    AppendShadeModel(s, 0x1D00);
    AppendPolygonMode(s, 0x0408, 0x1B01);
    AppendPolygonOffset(s, 1, 1);
    AppendActiveTextureARB(s, 0x84C1);
    uint32_t names[2] = {};
    GenTextures(*live, 2, names, nullptr);
    AppendGenTextures(s, 2);
    DeleteTextures(*live, 1, &names[1], nullptr);
    AppendDeleteTextures(rec, 1, &names[1]);
    BindTexture(*live, 0x0DE1, names[0], nullptr);
    AppendBindTexture(s, 0x0DE1, names[0]);
    TexImage2D(*live, 0x0DE1, 0, 2, 2, 0x1908, 0x1401, rgba, nullptr);
    AppendTexImage2D(rec, 0x0DE1, 0, 4, 2, 2, 0, 0x1908, 0x1401, rgba);
    TexSubImage2D(*live, 0x0DE1, 0, 1, 1, 1, 1, 0x1907, 0x1401, rgba, nullptr);
    AppendTexSubImage2D(rec, 0x0DE1, 0, 1, 1, 1, 1, 0x1907, 0x1401, rgba);
    ApplyColor(*live, 0x80402010u);
    AppendColor(s, 0x80402010u);
    ApplyTexCoord(*live, 0.5f, 0.25f);
    AppendTexCoord2f(s, 0.5f, 0.25f);
    ApplyClearColor(*live, 0.2f, 0.4f, 0.6f, 1);
    AppendClearColor(s, 0.2f, 0.4f, 0.6f, 1);
    ApplyClearDepth(*live, 0.5f);
    AppendClearDepth(s, 0.5);
    ApplyClear(*live, 0x4100);
    AppendClear(s, 0x4100);
    AppendBegin(s, 4);
    AppendVertex2f(s, 0, 0);
    AppendVertex3f(s, 1, 0, 0);
    AppendVertex3f(s, 0, 1, 0);
    AppendEnd(s);
    RefreshMvp(*live);  // the replay's packet refreshes the cached product; the entries never do
    AppendFrameEnd(s);
    AppendReadPixels(s, 0, 0, 4, 4, 0x1908, 0x1401);

    std::vector<uint32_t> ops;  // opcodes in stream order, repeats folded
    uint32_t beforeFrameEnd = 0;
    for (uint64_t at = 0; at < CommandBufferSize(s);) {
        uint32_t header;
        std::memcpy(&header, s.begin + at, 4);
        const uint32_t op = CmdHeaderOp(header);
        ASSERT_LT(op, uint32_t{kCmdOpCount});
        ASSERT_EQ(CmdHeaderSize(header), kCmdSize[op]) << "op " << op;
        if (ops.empty() || ops.back() != op) ops.push_back(op);
        beforeFrameEnd += op < static_cast<uint32_t>(CmdOp::FrameEnd);
        at += CmdHeaderSize(header);
    }
    std::vector<uint32_t> everyOp(kCmdOpCount);
    std::iota(everyOp.begin(), everyOp.end(), 0u);
    EXPECT_EQ(ops, everyOp);

    ASSERT_EQ(Replay(*replayed, rec), ReplayEnd::FrameEnd);
    EXPECT_TRUE(SameSnapshot(*live, *replayed));
    ASSERT_EQ(replayed->textureTable.size(), live->textureTable.size());
    for (size_t i = 0; i < live->textureTable.size(); ++i) {
        const auto fields = [](const TextureSlot& t) { return std::make_tuple(t.inUse, t.hasImage, t.texels); };
        EXPECT_EQ(fields(replayed->textureTable[i]), fields(live->textureTable[i])) << "slot " << i;
    }
    EXPECT_EQ(replayed->nativePackets.size(), 1u);
    EXPECT_EQ(replayed->statistics.executedRecords, beforeFrameEnd);
    EXPECT_EQ(replayed->statistics.streamBytes, CommandBufferSize(rec.stream));
}

TEST(ReplayCommands, StopsAtFrameEndAndSkipsUnknownOpcodes) {
    auto ctx = NewContext();
    CommandRecording rec;
    CommandStream& s = rec.stream;
    AppendReadPixels(s, 0, 0, 4, 4, 0x1908, 0x1401);
    for (uint32_t op = 47; op <= 49; ++op) {
        AppendWord(s, (8u << 16) | op);
        AppendWord(s, 0x0B71);
    }
    AppendEnable(s, 0x0BE2);
    AppendFrameEnd(s);
    AppendEnable(s, 0x0B71);  // after the marker: never applied
    EXPECT_EQ(Replay(*ctx, rec), ReplayEnd::FrameEnd);
    EXPECT_TRUE(ctx->blendEnabled);
    EXPECT_FALSE(ctx->depthTestEnabled);
    EXPECT_EQ(ctx->statistics.executedRecords, 1u);
}

TEST(ReplayCommands, MalformedSizesStopTheWalk) {
    struct Case {
        const char* what;
        std::vector<uint32_t> words;
    };
    const std::vector<Case> cases = {
        {"size 0", {(0u << 16) | 14u, 0x0B71}},
        {"below the opcode's size", {(8u << 16) | 43u, 0, 0, 0}},
        {"past the end", {(20u << 16) | 14u, 0x0B71}},
        {"unknown opcode past the end", {(64u << 16) | 900u, 0}},
    };
    for (const Case& c : cases) {
        auto ctx = NewContext();
        CommandRecording rec;
        AppendEnable(rec.stream, 0x0BE2);
        for (uint32_t w : c.words) AppendWord(rec.stream, w);
        EXPECT_EQ(Replay(*ctx, rec), ReplayEnd::Malformed) << c.what;
        EXPECT_TRUE(ctx->blendEnabled) << c.what;  // records before it were applied
        EXPECT_FALSE(ctx->depthTestEnabled) << c.what;
        EXPECT_EQ(ctx->statistics.executedRecords, 0u) << c.what;
    }
    // A stream that ends in a partial header (1 to 3 bytes) is malformed too.
    auto ctx = NewContext();
    CommandRecording rec;
    AppendEnable(rec.stream, 0x0BE2);
    const uint8_t partial[2] = {0x0E, 0x00};
    AppendRaw(rec.stream, partial, 2);
    EXPECT_EQ(Replay(*ctx, rec), ReplayEnd::Malformed);
    EXPECT_TRUE(ctx->blendEnabled);
}

// A TexImage2D record with a chosen blob reference.
void AppendImageRecord(CommandStream& s, int32_t w, int32_t h, uint32_t format, uint64_t offset, uint64_t length) {
    const CmdTexImage2D r{.header = MakeCmdHeader(CmdOp::TexImage2D),
                          .target = 0x0DE1,
                          .width = w,
                          .height = h,
                          .format = format,
                          .type = 0x1401,
                          .blobOffset = offset,
                          .byteLength = length};
    AppendRaw(s, &r, sizeof(r));
}

TEST(ReplayCommands, BlobReferencesOutsideTheBlobCountAsNoData) {
    const uint8_t red[4] = {255, 0, 0, 255};
    struct Case {
        const char* what;
        uint64_t offset, length;
        bool pixelsUsed;
    };
    const Case cases[] = {
        {"inside", 4, 4, true},
        {"offset past the end", 1u << 20, 4, false},
        {"length past the end", 4, 8, false},
        {"offset + length wraps", ~uint64_t{0} - 1, 4, false},
        {"shorter than the image", 4, 3, false},
    };
    for (const Case& c : cases) {
        auto ctx = NewContext();
        CommandRecording rec;
        uint8_t* blob = ExtendCommandBuffer(rec.blob, 8);  // exactly 8 bytes: 4 junk, then red
        std::memset(blob, 0x11, 4);
        std::memcpy(blob + 4, red, 4);
        AppendBindTexture(rec.stream, 0x0DE1, 1);
        AppendImageRecord(rec.stream, 1, 1, 0x1908, c.offset, c.length);
        ASSERT_EQ(Replay(*ctx, rec), ReplayEnd::EndOfStream) << c.what;
        ASSERT_EQ(ctx->textureTable.size(), 2u) << c.what;
        const TextureSlot& slot = ctx->textureTable[1];
        EXPECT_TRUE(slot.hasImage) << c.what;  // the image is defined either way
        ASSERT_EQ(slot.texels.size(), 1u) << c.what;
        EXPECT_EQ(slot.texels[0], c.pixelsUsed ? 0xFFFF0000u : 0xFF000000u) << c.what;
        EXPECT_EQ(ctx->statistics.uploadedPixelBytes, c.pixelsUsed ? 4u : 0u) << c.what;
    }
}

TEST(ReplayCommands, DeleteReadsOnlyNamesInsideItsReference) {
    auto build = [](CommandRecording& rec, uint64_t offset, uint64_t length, int32_t n) {
        AppendGenTextures(rec.stream, 3);
        // Names 1 and 3 at an odd blob offset (the names are read whatever their alignment).
        uint8_t* blob = ExtendCommandBuffer(rec.blob, 9);
        const uint32_t names[2] = {1, 3};
        std::memcpy(blob + 1, names, 8);
        const CmdDeleteTextures r{MakeCmdHeader(CmdOp::DeleteTextures), n, offset, length};
        AppendRaw(rec.stream, &r, sizeof(r));
    };
    const struct {
        const char* what;
        uint64_t offset, length;
        int32_t n;
        uint8_t inUse[3];  // names 1, 2, 3 afterwards
    } cases[] = {{"both names", 1, 8, 2, {0, 1, 0}},
                 {"n larger than the reference holds: only the names inside it", 1, 4, 1000, {0, 1, 1}},
                 {"one byte past the blob", 5, 8, 2, {1, 1, 1}}};
    for (const auto& c : cases) {
        auto ctx = NewContext();
        CommandRecording rec;
        build(rec, c.offset, c.length, c.n);
        ASSERT_EQ(Replay(*ctx, rec), ReplayEnd::EndOfStream) << c.what;
        for (int name = 1; name <= 3; ++name) EXPECT_EQ(ctx->textureTable[name].inUse, c.inUse[name - 1]) << c.what;
    }
}

// Checks the invariants every replay must leave, whatever its input.
void ExpectConsistent(const GlContext& ctx, uint64_t streamBytes) {
    EXPECT_LE(ctx.matrixMode, 2u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_GE(ctx.stackTop[i], 0);
        EXPECT_LT(ctx.stackTop[i], kMatrixStackDepth);
    }
    uint64_t vertices = 0;
    for (const NativePacket& p : ctx.nativePackets) {
        EXPECT_GE(p.vertexCount, p.mode >= 4 ? 3u : p.mode == 0 ? 1u : 2u);  // triangles, points, lines
        EXPECT_EQ(p.firstVertex, vertices);
        vertices += p.vertexCount;
    }
    EXPECT_EQ(vertices, ctx.frameVertices.size());
    // Every executed record is at least 4 bytes.
    EXPECT_LE(uint64_t{ctx.statistics.executedRecords} * 4, streamBytes);
}

// Copies bytes into a buffer of exactly that size, so that a read past its end is a read past the
// allocation (caught by the address sanitizer).
void FillExact(CommandBuffer& buffer, const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return;
    uint8_t* at = ExtendCommandBuffer(buffer, bytes.size());
    ASSERT_NE(at, nullptr);
    std::memcpy(at, bytes.data(), bytes.size());
}

// Random records (opcodes 0..49, immediate-mode ones and uploads favoured so that primitives,
// fusion and images happen; sizes sometimes wrong) whose payload words are small numbers or
// GL_TEXTURE_2D: names, counts and image sizes stay small, since the replay honours them as the
// entries would and a random huge value would only measure the allocator.
std::vector<uint8_t> RandomRecords(std::mt19937& rng) {
    static constexpr uint32_t kFavoured[] = {36, 37, 42, 43, 42, 43, 41, 44, 34, 35};
    std::vector<uint8_t> out;
    for (int records = 1 + rng() % 60; records > 0; --records) {
        const uint32_t op = rng() % 2 ? kFavoured[rng() % 10] : rng() % 50;
        uint32_t size = op < kCmdOpCount ? kCmdSize[op] : 4 + 4 * (rng() % 4);
        if (rng() % 20 == 0) size = rng() % 80;  // any size, often wrong
        std::vector<uint32_t> words(size / 4 + 2);
        words[0] = (size << 16) | op;
        for (size_t i = 1; i < words.size(); ++i) words[i] = rng() % 3 ? rng() % 4 : 0x0DE1;
        const auto* bytes = reinterpret_cast<const uint8_t*>(words.data());
        out.insert(out.end(), bytes, bytes + std::max<uint32_t>(size, 4));
    }
    return out;
}

TEST(ReplayCommands, RandomRecordsStayInsideBothBuffers) {
    std::mt19937 rng(777);
    uint64_t executed = 0, packets = 0, textures = 0;
    for (int iteration = 0; iteration < 1500; ++iteration) {
        std::vector<uint8_t> blob(rng() % 256);
        for (uint8_t& b : blob) b = static_cast<uint8_t>(rng());
        const std::vector<uint8_t> stream = RandomRecords(rng);
        CommandRecording rec;
        FillExact(rec.stream, stream);
        FillExact(rec.blob, blob);
        auto ctx = NewContext();
        Replay(*ctx, rec);
        ExpectConsistent(*ctx, stream.size());
        for (const TextureSlot& slot : TextureTableSlots(ctx->textureTable)) textures += slot.hasImage;
        executed += ctx->statistics.executedRecords;
        packets += ctx->nativePackets.size();
    }
    // The generator must reach deep enough to exercise records, packets and uploads.
    EXPECT_GT(executed, 15000u);
    EXPECT_GT(packets, 150u);
    EXPECT_GT(textures, 40u);
}

}  // namespace
}  // namespace mora
