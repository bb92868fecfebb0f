// Tick conversions, shared by every platform's counter.
#include "platform/clock.h"

namespace mora::platform {

namespace {
constexpr std::uint64_t kNanosecondsPerSecond = 1000000000ull;
constexpr std::uint64_t kAllOnes = ~std::uint64_t{0};

// floor(a x b / c) for c > 0, saturating at 2^64 - 1, exact for any 64-bit inputs. 32-bit targets
// have no 128-bit integer type, so the wide product is kept as two halves there.
std::uint64_t MultiplyDivide(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
#if defined(__SIZEOF_INT128__)
    __extension__ typedef unsigned __int128 Wide;
    const Wide q = static_cast<Wide>(a) * b / c;
    return q > kAllOnes ? kAllOnes : static_cast<std::uint64_t>(q);
#else
    if (b == 0 || a <= kAllOnes / b) return a * b / c;
    // 128-bit product from 32-bit pieces.
    const std::uint64_t aLo = a & 0xFFFFFFFFu, aHi = a >> 32, bLo = b & 0xFFFFFFFFu, bHi = b >> 32;
    const std::uint64_t lolo = aLo * bLo, lohi = aLo * bHi, hilo = aHi * bLo, hihi = aHi * bHi;
    const std::uint64_t middle = (lolo >> 32) + (lohi & 0xFFFFFFFFu) + (hilo & 0xFFFFFFFFu);
    std::uint64_t lo = (middle << 32) | (lolo & 0xFFFFFFFFu);
    std::uint64_t hi = hihi + (lohi >> 32) + (hilo >> 32) + (middle >> 32);
    if (hi >= c) return kAllOnes;  // the quotient needs more than 64 bits
    // Restoring division of hi:lo by c, one quotient bit per step.
    std::uint64_t quotient = 0;
    for (int bit = 0; bit < 64; ++bit) {
        const bool carry = (hi >> 63) != 0;
        hi = (hi << 1) | (lo >> 63);
        lo <<= 1;
        quotient <<= 1;
        if (carry || hi >= c) {
            hi -= c;
            quotient |= 1;
        }
    }
    return quotient;
#endif
}
}  // namespace

std::uint64_t TicksToNanoseconds(std::uint64_t ticks, std::uint64_t frequency) {
    if (frequency == 0) return 0;
    const std::uint64_t seconds = ticks / frequency;
    const std::uint64_t rest = ticks % frequency;
    return seconds * kNanosecondsPerSecond + MultiplyDivide(rest, kNanosecondsPerSecond, frequency);
}

std::uint64_t MicrosecondsToTicks(std::uint64_t microseconds, std::uint64_t frequency) {
    return MultiplyDivide(microseconds, frequency, 1000000u);
}

}  // namespace mora::platform
