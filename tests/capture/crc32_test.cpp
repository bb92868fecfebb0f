// CRC-32 against a bit-at-a-time reference, whole and continued across a split.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "capture/crc32.h"

namespace mora {
namespace {

// The defining algorithm, one bit at a time, independent of the table code.
uint32_t BitwiseCrc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

TEST(Crc32, MatchesBitwiseReferenceForEveryAlignmentLengthAndSplit) {
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);  // the published check value
    std::mt19937 random(7);
    std::vector<uint8_t> bytes(5000);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
    for (size_t offset = 0; offset < 8; ++offset) {
        for (size_t length : {0u, 1u, 3u, 7u, 8u, 9u, 15u, 16u, 17u, 63u, 64u, 1000u, 4991u}) {
            const uint8_t* data = bytes.data() + offset;
            const uint32_t expected = BitwiseCrc32(data, length);
            ASSERT_EQ(Crc32(data, length), expected) << "offset " << offset << " length " << length;
            const size_t split = (offset * 5) % (length + 1);
            ASSERT_EQ(Crc32Update(Crc32(data, split), data + split, length - split), expected)
                << "offset " << offset << " length " << length << " split " << split;
        }
    }
}

}  // namespace
}  // namespace mora
