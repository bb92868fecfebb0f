// Processor feature words behind the raster kernel choice (cpuid leaves 1 and 7, XCR0), the
// instruction-set level derived from them and the per-variant support test. Pure functions of a
// CpuFeatures record, so tests can ask about processors they do not run on.
#pragma once

#include <cstdint>

namespace mora::raster {

struct CpuFeatures {
    uint32_t leaf1Ecx = 0;
    uint32_t leaf1Edx = 0;
    uint32_t leaf7Ebx = 0;      // leaf 7, subleaf 0
    uint32_t leaf7Ecx = 0;      // leaf 7, subleaf 0
    uint32_t leaf7Sub1Eax = 0;  // leaf 7, subleaf 1
    uint64_t xcr0 = 0;          // 0 unless the OS enabled xgetbv (leaf 1 ECX bit 27)
};

// Reads this processor's words. Safe on every x86-64 processor; elsewhere all zero.
CpuFeatures ReadCpuFeatures();

// Variant indices; the panel's ForceIsa value is index + 1 (0 = automatic).
inline constexpr int32_t kIsaAutomatic = -1;
inline constexpr int32_t kIsaSse41 = 0;
inline constexpr int32_t kIsaAvx = 1;
inline constexpr int32_t kIsaAvx2 = 2;
inline constexpr int32_t kIsaAvx512 = 3;
inline constexpr int32_t kIsaVariantCount = 4;

// Processor level: 0 SSE2 only, 1 SSE4.1, 2 SSE4.2, 3 AVX, 5 AVX2 (with F16C, RDRAND), 6 AVX-VNNI,
// 7 many-core AVX-512 subset, 8 AVX-512 SKX, 9 with AVX-512 VNNI, 10 with the Ice Lake set.
int32_t IsaLevelFromFeatures(const CpuFeatures& cpu);

// The variant the automatic entry runs for a level: AVX-512 from 8, AVX2 from 5, AVX from 3,
// SSE4.1 from 1. Level 7 (no matching variant) takes the widest variant the processor supports.
// kIsaAutomatic when nothing can run.
int32_t VariantForLevel(int32_t level, const CpuFeatures& cpu);

// True when the processor and the operating system can run variant `index` (-1 always).
bool IsaSupportedBy(const CpuFeatures& cpu, int32_t index);

}  // namespace mora::raster
