// Table-driven CRC-32, eight bytes per step ("slicing by eight"): table 0 is the classic
// byte-at-a-time table, table k advances a byte's contribution by k further bytes.
#include "capture/crc32.h"

#include <array>

namespace mora {
namespace {

constexpr uint32_t kPolynomial = 0xEDB88320u;  // reflected IEEE 802.3 polynomial

using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

// Built by the compiler, so the tables exist before first use and need no guard.
constexpr CrcTables MakeTables() {
    CrcTables tables{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint32_t crc = byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ ((crc & 1u) ? kPolynomial : 0u);
        tables[0][byte] = crc;
    }
    for (uint32_t byte = 0; byte < 256; ++byte) {
        for (int k = 1; k < 8; ++k) {
            const uint32_t previous = tables[k - 1][byte];
            tables[k][byte] = (previous >> 8) ^ tables[0][previous & 0xFFu];
        }
    }
    return tables;
}

constexpr CrcTables kTables = MakeTables();
static_assert(kTables[0][1] == 0x77073096u, "first entry of the IEEE table");

uint32_t LoadLittleEndian32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

uint32_t Crc32Update(uint32_t crc, const void* data, uint64_t size) {
    if (size == 0) return crc;
    const auto* bytes = static_cast<const uint8_t*>(data);
    uint32_t state = ~crc;
    while (size >= 8) {
        const uint32_t low = LoadLittleEndian32(bytes) ^ state;
        const uint32_t high = LoadLittleEndian32(bytes + 4);
        state = kTables[7][low & 0xFFu] ^ kTables[6][(low >> 8) & 0xFFu] ^ kTables[5][(low >> 16) & 0xFFu] ^
                kTables[4][low >> 24] ^ kTables[3][high & 0xFFu] ^ kTables[2][(high >> 8) & 0xFFu] ^
                kTables[1][(high >> 16) & 0xFFu] ^ kTables[0][high >> 24];
        bytes += 8;
        size -= 8;
    }
    while (size-- > 0) state = (state >> 8) ^ kTables[0][(state ^ *bytes++) & 0xFFu];
    return ~state;
}

uint32_t Crc32(const void* data, uint64_t size) { return Crc32Update(0, data, size); }

}  // namespace mora
