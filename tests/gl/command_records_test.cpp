// Cmd record blob references and buffer growth.
#include <gtest/gtest.h>

#include <cstring>
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

uint64_t U64At(const std::vector<uint32_t>& w, size_t word) {
    return w[word] | static_cast<uint64_t>(w[word + 1]) << 32;
}

// The words of every record are checked through the entries in tests/api/recording_test.cpp, every
// opcode and record size in command_executor_test.cpp; here the blob copies they refer to.
TEST(CmdRecords, ImageAndNameRecordsCopyIntoTheBlob) {
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

    // A name list is copied whole (replayed in command_executor_test.cpp); none or a missing one is refused.
    const uint32_t names[3] = {7, 0, 0x01020304};
    EXPECT_FALSE(AppendDeleteTextures(rec, 0, names));
    EXPECT_FALSE(AppendDeleteTextures(rec, 3, nullptr));
    ASSERT_TRUE(AppendDeleteTextures(rec, 3, names));
    ASSERT_EQ(CommandBufferSize(rec.blob), 23u + 12);
    EXPECT_EQ(std::memcmp(rec.blob.begin + 23, names, 12), 0);
}

TEST(CommandBufferGrowth, GrowthZeroFillsEmptyingKeepsTheCapacityAndTheLimitHolds) {
    CommandBuffer b;
    ASSERT_NE(GrowCommandBuffer(b, 4), nullptr);
    ASSERT_NE(GrowCommandBuffer(b, 100), nullptr);  // beyond growth by half: exactly the request
    EXPECT_EQ(CommandBufferCapacity(b), 104u);
    for (uint64_t i = 0; i < 104; ++i) ASSERT_EQ(b.begin[i], 0) << i;
    EmptyCommandBuffer(b);
    EXPECT_EQ(CommandBufferSize(b), 0u);
    EXPECT_EQ(CommandBufferCapacity(b), 104u);
    // Requests beyond the limit fail without change.
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

}  // namespace
}  // namespace mora
