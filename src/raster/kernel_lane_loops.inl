// Gathers and table lookups one lane at a time, for the kernel variants whose instruction sets
// have no gather or variable permute (SSE4.1, AVX). Included inside the variant's namespace after
// its vocabulary; generic over kLanes.

// The 32-bit words at base + offset for the lanes of m; the other lanes read 0.
inline I GatherMasked(const uint8_t* base, I offset, M m) {
    alignas(64) int32_t off[kLanes], val[kLanes] = {};
    IStore(off, offset);
    const uint32_t bits = MBits(m);
    if (bits == (1u << kLanes) - 1) {
        for (int lane = 0; lane < kLanes; ++lane) __builtin_memcpy(&val[lane], base + off[lane], 4);
    } else {
        for (uint32_t rest = bits; rest != 0; rest &= rest - 1) {
            const int lane = __builtin_ctz(rest);
            __builtin_memcpy(&val[lane], base + off[lane], 4);
        }
    }
    return ILoad(val);
}

// table[index & 15] per lane.
inline I Lookup16(const int32_t* table, I index) {
    alignas(64) int32_t idx[kLanes], val[kLanes];
    IStore(idx, index);
    for (int lane = 0; lane < kLanes; ++lane) val[lane] = table[idx[lane] & 15];
    return ILoad(val);
}
