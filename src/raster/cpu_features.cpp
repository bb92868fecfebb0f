// cpuid and xgetbv reads and the feature tables of the kernel variants.
#include "raster/cpu_features.h"

#include <initializer_list>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace mora::raster {
namespace {

constexpr bool Bit(uint64_t word, int bit) { return ((word >> bit) & 1u) != 0; }

constexpr bool AllBits(uint64_t word, std::initializer_list<int> bits) {
    for (int bit : bits)
        if (!Bit(word, bit)) return false;
    return true;
}

// leaf 1 ECX
constexpr int kSse41 = 19, kSse42 = 20, kOsxsave = 27, kAvx = 28, kF16c = 29, kRdrand = 30, kFma = 12;
// leaf 7 EBX
constexpr int kAvx2 = 5, kAvx512F = 16, kAvx512Dq = 17, kAvx512Ifma = 21, kAvx512Pf = 26, kAvx512Er = 27,
              kAvx512Cd = 28, kAvx512Bw = 30, kAvx512Vl = 31;
// leaf 7 ECX
constexpr int kAvx512Vbmi = 1, kAvx512Vbmi2 = 6, kAvx512Vnni = 11, kAvx512Bitalg = 12, kAvx512Popcnt = 14;
// leaf 7 subleaf 1 EAX
constexpr int kAvxVnni = 4;

// XCR0: SSE state 1, AVX state 2, opmask 5, upper ZMM halves 6, upper ZMM registers 7.
bool OsSavesAvx(const CpuFeatures& cpu) { return AllBits(cpu.xcr0, {1, 2}); }
bool OsSavesAvx512(const CpuFeatures& cpu) { return AllBits(cpu.xcr0, {1, 2, 5, 6, 7}); }
bool HasAvx(const CpuFeatures& cpu) { return AllBits(cpu.leaf1Ecx, {kOsxsave, kAvx}) && OsSavesAvx(cpu); }

bool HasSkxAvx512(const CpuFeatures& cpu) {
    return Bit(cpu.leaf1Ecx, kOsxsave) && OsSavesAvx512(cpu) &&
           AllBits(cpu.leaf7Ebx, {kAvx2, kAvx512F, kAvx512Dq, kAvx512Cd, kAvx512Bw, kAvx512Vl});
}

}  // namespace

CpuFeatures ReadCpuFeatures() {
    CpuFeatures cpu;
#if defined(__x86_64__) || defined(__i386__)
    unsigned a = 0, b = 0, c = 0, d = 0;
    const unsigned maxLeaf = __get_cpuid_max(0, nullptr);
    if (maxLeaf >= 1 && __get_cpuid(1, &a, &b, &c, &d)) {
        cpu.leaf1Ecx = c;
        cpu.leaf1Edx = d;
    }
    if (maxLeaf >= 7) {
        __cpuid_count(7, 0, a, b, c, d);
        cpu.leaf7Ebx = b;
        cpu.leaf7Ecx = c;
        const unsigned maxSubleaf = a;
        if (maxSubleaf >= 1) {
            __cpuid_count(7, 1, a, b, c, d);
            cpu.leaf7Sub1Eax = a;
        }
    }
    // xgetbv faults unless the OS has enabled it, which OSXSAVE reports.
    if (Bit(cpu.leaf1Ecx, kOsxsave)) {
        uint32_t lo = 0, hi = 0;
        __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
        cpu.xcr0 = (static_cast<uint64_t>(hi) << 32) | lo;
    }
#endif
    return cpu;
}

int32_t IsaLevelFromFeatures(const CpuFeatures& cpu) {
    if (HasSkxAvx512(cpu)) {
        if (!Bit(cpu.leaf7Ecx, kAvx512Vnni)) return 8;
        const bool iceLakeSet = Bit(cpu.leaf7Ebx, kAvx512Ifma) &&
                                AllBits(cpu.leaf7Ecx, {kAvx512Vbmi, kAvx512Vbmi2, kAvx512Bitalg, kAvx512Popcnt});
        return iceLakeSet ? 10 : 9;
    }
    if (Bit(cpu.leaf1Ecx, kOsxsave) && OsSavesAvx512(cpu) &&
        AllBits(cpu.leaf7Ebx, {kAvx2, kAvx512F, kAvx512Pf, kAvx512Er, kAvx512Cd}))
        return 7;
    // The AVX2 levels also need FMA: the AVX2 variant uses fused multiply-add.
    if (HasAvx(cpu) && Bit(cpu.leaf1Ecx, kFma) && Bit(cpu.leaf7Sub1Eax, kAvxVnni) && Bit(cpu.leaf7Ebx, kAvx2)) return 6;
    if (HasAvx(cpu) && Bit(cpu.leaf1Ecx, kFma) && Bit(cpu.leaf7Ebx, kAvx2) && AllBits(cpu.leaf1Ecx, {kF16c, kRdrand}))
        return 5;
    if (HasAvx(cpu)) return 3;
    if (Bit(cpu.leaf1Ecx, kSse42)) return 2;
    if (Bit(cpu.leaf1Ecx, kSse41)) return 1;
    return 0;
}

bool IsaSupportedBy(const CpuFeatures& cpu, int32_t index) {
    switch (index) {
        case kIsaAutomatic: return true;
        case kIsaSse41: return Bit(cpu.leaf1Ecx, kSse41);
        case kIsaAvx: return HasAvx(cpu);
        case kIsaAvx2: return HasAvx(cpu) && Bit(cpu.leaf7Ebx, kAvx2) && Bit(cpu.leaf1Ecx, kFma);
        case kIsaAvx512:
            // The AVX-512 build may also emit AVX2 and FMA encodings, which every such processor has.
            return HasSkxAvx512(cpu) && Bit(cpu.leaf1Ecx, kAvx) && Bit(cpu.leaf1Ecx, kFma);
        default: return false;
    }
}

int32_t VariantForLevel(int32_t level, const CpuFeatures& cpu) {
    int32_t variant = kIsaAutomatic;
    if (level >= 8)
        variant = kIsaAvx512;
    else if (level == 7)
        variant = kIsaAvx2;  // no many-core variant: take the best that runs
    else if (level >= 5)
        variant = kIsaAvx2;
    else if (level >= 3)
        variant = kIsaAvx;
    else if (level >= 1)
        variant = kIsaSse41;
    while (variant != kIsaAutomatic && !IsaSupportedBy(cpu, variant)) --variant;
    return variant;
}

}  // namespace mora::raster
