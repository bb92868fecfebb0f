// CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320, initial value 0xFFFFFFFF, final
// complement), the checksum of every blob in a capture file. The capture writer computes it to
// deduplicate texture images; the capture reader checks each payload against it.
#pragma once

#include <cstdint>

namespace mora {

// CRC-32 of `size` bytes; 0 for an empty input.
uint32_t Crc32(const void* data, uint64_t size);

// Continues a running CRC-32: Crc32Update(Crc32(a), b) is the CRC-32 of a followed by b.
uint32_t Crc32Update(uint32_t crc, const void* data, uint64_t size);

}  // namespace mora
