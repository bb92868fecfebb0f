// Cmd record sizes and conversions, blob references, buffer growth and hand-over.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "gl/command_append.h"
#include "gl/command_buffer.h"
#include "gl/command_records.h"

namespace mora {
namespace {

std::vector<uint32_t> Words(const CommandBuffer& buffer, uint64_t from = 0) {
    const uint64_t size = CommandBufferSize(buffer);
    std::vector<uint32_t> words(static_cast<size_t>((size - from) / 4));
    std::memcpy(words.data(), buffer.begin + from, words.size() * 4);
    return words;
}

uint32_t Bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

uint64_t U64At(const std::vector<uint32_t>& w, size_t word) { return w[word] | static_cast<uint64_t>(w[word + 1]) << 32; }

// The exact words of most records are checked through the entries in tests/api/recording_test.cpp;
// here the conversions no entry test reaches.
TEST(CmdRecords, DoublesNarrowToInfinityAndFlagsZeroExtend) {
    CommandStream s;
    ASSERT_TRUE(AppendDepthRange(s, 0.1, 1e300));  // beyond the float range narrows to infinity
    ASSERT_TRUE(AppendDepthMask(s, 0xFF));
    EXPECT_EQ(Words(s), (std::vector<uint32_t>{0x000C000Cu, Bits(0.1f), 0x7F800000u, 0x00080013u, 0xFFu}));
}

TEST(CmdRecords, EveryAppendWritesItsOpcodeAndTableSize) {
    CommandRecording rec;
    CommandStream& s = rec.stream;
    const float m[16] = {};
    const uint32_t names[1] = {1};
    const uint8_t pixel[4] = {1, 2, 3, 4};
    AppendMatrixMode(s, 0x1700);
    AppendLoadIdentity(s);
    AppendLoadMatrixf(s, m);
    AppendMultMatrixf(s, m);
    AppendPushMatrix(s);
    AppendPopMatrix(s);
    AppendTranslatef(s, 1, 2, 3);
    AppendRotatef(s, 1, 2, 3, 4);
    AppendScalef(s, 1, 2, 3);
    AppendOrtho(s, 0, 1, 0, 1, 0, 1);
    AppendFrustum(s, 0, 1, 0, 1, 0, 1);
    AppendViewport(s, 0, 0, 1, 1);
    AppendDepthRange(s, 0, 1);
    AppendScissor(s, 0, 0, 1, 1);
    AppendEnable(s, 0x0B71);
    AppendDisable(s, 0x0B71);
    AppendBlendFunc(s, 1, 0);
    AppendAlphaFunc(s, 0x0204, 0.5f);
    AppendDepthFunc(s, 0x0203);
    AppendDepthMask(s, 1);
    AppendColorMask(s, 1, 1, 1, 1);
    AppendTexEnvi(s, 0x2300, 0x2200, 0x2100);
    AppendTexEnvfv(s, 0x2300, 0x2200, m);
    AppendTexParameteri(s, 0x0DE1, 0x2800, 0x2600);
    AppendPixelStorei(s, 0x0CF5, 1);
    AppendCullFace(s, 0x0405);
    AppendFrontFace(s, 0x0901);
    AppendShadeModel(s, 0x1D01);
    AppendPolygonMode(s, 0x0408, 0x1B02);
    AppendPolygonOffset(s, 1, 2);
    AppendActiveTextureARB(s, 0x84C0);
    AppendGenTextures(s, 1);
    AppendDeleteTextures(rec, 1, names);
    AppendBindTexture(s, 0x0DE1, 1);
    AppendTexImage2D(rec, 0x0DE1, 0, 4, 1, 1, 0, 0x1908, 0x1401, pixel);
    AppendTexSubImage2D(rec, 0x0DE1, 0, 0, 0, 1, 1, 0x1908, 0x1401, pixel);
    AppendColor(s, 0);
    AppendTexCoord2f(s, 0, 0);
    AppendClearColor(s, 0, 0, 0, 0);
    AppendClearDepth(s, 1);
    AppendClear(s, 0x4100);
    AppendBegin(s, 4);
    AppendVertex2f(s, 0, 0);
    AppendVertex3f(s, 0, 0, 0);
    AppendEnd(s);
    AppendFrameEnd(s);
    AppendReadPixels(s, 0, 0, 1, 1, 0x1908, 0x1401);
    uint64_t at = 0;
    for (uint32_t op = 0; op < kCmdOpCount; ++op) {
        ASSERT_LT(at, CommandBufferSize(s)) << "op " << op;
        uint32_t header;
        std::memcpy(&header, s.begin + at, 4);
        EXPECT_EQ(CmdHeaderOp(header), op);
        EXPECT_EQ(CmdHeaderSize(header), kCmdSize[op]) << "op " << op;
        at += CmdHeaderSize(header);
    }
    EXPECT_EQ(at, CommandBufferSize(s));
}

TEST(CmdRecords, ImageRecordsCopyPixelsIntoTheBlobWithTheirHash) {
    CommandRecording rec;
    const uint8_t rgba[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    ASSERT_TRUE(AppendTexImage2D(rec, 0x0DE1, 0, 4, 2, 2, 0, 0x1908, 0x1401, rgba));
    ASSERT_TRUE(AppendTexImage2D(rec, 0x0DE1, 0, 1, 2, 2, 0, 0x1909, 0x1401, rgba));  // luminance: 4 bytes
    ASSERT_TRUE(AppendTexImage2D(rec, 0x0DE1, 0, 4, 2, 2, 0, 0x1908, 0x1401, nullptr));
    ASSERT_TRUE(AppendTexSubImage2D(rec, 0x0DE1, 0, 1, 1, 1, 1, 0x1907, 0x1401, rgba));  // RGB: 3 bytes
    ASSERT_EQ(CommandBufferSize(rec.blob), 16u + 4 + 3);
    EXPECT_EQ(std::memcmp(rec.blob.begin, rgba, 16), 0);
    EXPECT_EQ(std::memcmp(rec.blob.begin + 16, rgba, 4), 0);

    // Offset and length of each blob reference (words 10 and 12 of each 64-byte record); the other
    // words are checked through the entries in tests/api/recording_test.cpp.
    const std::vector<uint32_t> w = Words(rec.stream);
    ASSERT_EQ(w.size(), 4u * 16);
    std::vector<uint64_t> references;
    for (size_t r = 0; r < 4; ++r) references.insert(references.end(), {U64At(w, 16 * r + 10), U64At(w, 16 * r + 12)});
    EXPECT_EQ(references, (std::vector<uint64_t>{0, 16, 16, 4, 0, 0, 20, 3}));
    EXPECT_EQ(w[16 + 14], Fnv1a32(rgba, 4));
}

TEST(CmdRecords, DeleteTexturesCopiesItsNameList) {
    CommandRecording rec;
    const uint32_t names[3] = {7, 0, 0x01020304};
    EXPECT_FALSE(AppendDeleteTextures(rec, 0, names));
    EXPECT_FALSE(AppendDeleteTextures(rec, 3, nullptr));
    ASSERT_TRUE(AppendDeleteTextures(rec, 3, names));
    ASSERT_EQ(CommandBufferSize(rec.blob), 12u);
    EXPECT_EQ(std::memcmp(rec.blob.begin, names, 12), 0);
    const std::vector<uint32_t> w = Words(rec.stream);
    EXPECT_EQ(w, (std::vector<uint32_t>{0x00180020u, 3, 0, 0, 12, 0}));
}

TEST(CmdRecords, Fnv1aMatchesKnownVectors) {
    const auto hash = [](const std::string& s) {
        return Fnv1a32(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    };
    EXPECT_EQ(hash(""), 0x811C9DC5u);
    EXPECT_EQ(hash("a"), 0xE40C292Cu);
    EXPECT_EQ(hash("foobar"), 0xBF9CF968u);
}

TEST(CmdRecords, ReplayableNamesFollowOpcodeOrder) {
    std::set<std::string_view> distinct(std::begin(kReplayableEntryNames), std::end(kReplayableEntryNames));
    EXPECT_EQ(distinct.size(), 55u);
    EXPECT_EQ(kReplayableEntryNames[0], "glMatrixMode");
    EXPECT_EQ(kReplayableEntryNames[35], "glTexSubImage2D");
    EXPECT_EQ(kReplayableEntryNames[36], "glColor3f");
    EXPECT_EQ(kReplayableEntryNames[43], "glTexCoord2f");
    EXPECT_EQ(kReplayableEntryNames[53], "glEnd");
    EXPECT_EQ(kReplayableEntryNames[54], "glReadPixels");
    EXPECT_EQ(distinct.count("wglSwapBuffers"), 0u);
    EXPECT_EQ(kCmdLayoutHash, 0x3925DC0Fu);
}

TEST(CommandBufferGrowth, CapacityGrowsByHalfOrToTheRequest) {
    CommandBuffer b;
    std::vector<uint64_t> capacities;
    for (int i = 0; i < 6; ++i) {
        ASSERT_NE(GrowCommandBuffer(b, 4), nullptr);
        capacities.push_back(CommandBufferCapacity(b));
    }
    EXPECT_EQ(capacities, (std::vector<uint64_t>{4, 8, 12, 18, 27, 27}));
    ASSERT_NE(GrowCommandBuffer(b, 100), nullptr);  // 124 needed > 27 + 13
    EXPECT_EQ(CommandBufferCapacity(b), 124u);
    EXPECT_EQ(CommandBufferSize(b), 124u);
    for (uint64_t i = 0; i < 124; ++i) ASSERT_EQ(b.begin[i], 0) << i;
    EmptyCommandBuffer(b);
    EXPECT_EQ(CommandBufferSize(b), 0u);
    EXPECT_EQ(CommandBufferCapacity(b), 124u);
}

TEST(CommandBufferGrowth, RequestsBeyondTheLimitFailWithoutChange) {
    CommandBuffer b;
    ASSERT_NE(GrowCommandBuffer(b, 8), nullptr);
    uint8_t* before = b.begin;
    EXPECT_EQ(GrowCommandBuffer(b, kCommandBufferMaxBytes), nullptr);
    EXPECT_EQ(GrowCommandBuffer(b, ~uint64_t{0} - 4), nullptr);
    EXPECT_FALSE(ReserveCommandBuffer(b, kCommandBufferMaxBytes + 1));
    EXPECT_EQ(b.begin, before);
    EXPECT_EQ(CommandBufferSize(b), 8u);
}

TEST(CommandBufferGrowth, AFailedRecordTakesItsBlobCopyBack) {
    CommandRecording rec;
    // Reserve the whole stream limit (address space only: the pages are never touched).
    if (!ReserveCommandBuffer(rec.stream, kCommandBufferMaxBytes)) {
        GTEST_SKIP() << "cannot reserve 2 GiB of address space here";
    }
    ASSERT_NE(ExtendCommandBuffer(rec.stream, kCommandBufferMaxBytes - 40), nullptr);
    const uint8_t pixels[16] = {};
    EXPECT_FALSE(AppendTexImage2D(rec, 0x0DE1, 0, 4, 2, 2, 0, 0x1908, 0x1401, pixels));
    EXPECT_EQ(CommandBufferSize(rec.blob), 0u);
    EXPECT_EQ(CommandBufferSize(rec.stream), kCommandBufferMaxBytes - 40);
    EXPECT_TRUE(AppendVertex3f(rec.stream, 1, 2, 3));  // small records still fit
}

TEST(CommandBufferHandOver, FrameTakesTheBuffersAndGivesThemBackEmpty) {
    CommandRecording recording;
    ASSERT_TRUE(ReserveCommandBuffer(recording.stream, 1024));
    ASSERT_TRUE(AppendVertex2f(recording.stream, 1, 2));
    const uint8_t* storage = recording.stream.begin;
    CommandRecording frame;
    HandOverCommandRecording(recording, frame);
    EXPECT_EQ(frame.stream.begin, storage);
    EXPECT_EQ(CommandBufferSize(frame.stream), 12u);
    EXPECT_EQ(CommandBufferSize(recording.stream), 0u);
    GiveBackCommandRecording(frame, recording);
    EXPECT_EQ(recording.stream.begin, storage);
    EXPECT_EQ(CommandBufferSize(recording.stream), 0u);
    EXPECT_EQ(CommandBufferCapacity(recording.stream), 1024u);
    EXPECT_EQ(recording.reserved, 0u);
}

}  // namespace
}  // namespace mora
