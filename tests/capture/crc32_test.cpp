// CRC-32: published check values and agreement with a bit-at-a-time reference.
#include <gtest/gtest.h>

#include <cstring>
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

uint32_t Crc(const char* text) { return Crc32(text, std::strlen(text)); }

TEST(Crc32, PublishedCheckValues) {
    EXPECT_EQ(Crc(""), 0u);
    EXPECT_EQ(Crc("123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
}

TEST(Crc32, MatchesBitwiseReferenceForEveryAlignmentAndLength) {
    std::mt19937 random(7);
    std::vector<uint8_t> bytes(5000);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
    for (size_t offset = 0; offset < 8; ++offset) {
        for (size_t length : {0u, 1u, 3u, 7u, 8u, 9u, 15u, 16u, 17u, 63u, 64u, 1000u, 4991u}) {
            ASSERT_EQ(Crc32(bytes.data() + offset, length), BitwiseCrc32(bytes.data() + offset, length))
                << "offset " << offset << " length " << length;
        }
    }
}

TEST(Crc32, UpdateContinuesAcrossAnySplit) {
    const char text[] = "slicing by eight must not care where a buffer is split";
    const size_t size = sizeof(text) - 1;
    for (size_t split = 0; split <= size; ++split) {
        EXPECT_EQ(Crc32Update(Crc32(text, split), text + split, size - split), Crc32(text, size)) << split;
    }
}

}  // namespace
}  // namespace mora
