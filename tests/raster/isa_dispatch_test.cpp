// Instruction-set selection: the processor level and support tables on made-up feature words,
// the MORA_ISA switch and its status lines, and the kernel table.
#include <gtest/gtest.h>

#include "diag/status_lines.h"
#include "panel/driver_settings.h"
#include "platform/environment.h"
#include "raster/isa_dispatch.h"

namespace mora::raster::test {
namespace {

constexpr uint32_t Bits(std::initializer_list<int> bits) {
    uint32_t word = 0;
    for (int b : bits) word |= 1u << b;
    return word;
}

// A processor with SSE4.1/4.2, AVX (OS-enabled), FMA, F16C, RDRAND and AVX2, changed by `edit`.
template <typename Edit>
CpuFeatures Haswell(Edit edit) {
    CpuFeatures cpu;
    cpu.leaf1Ecx = Bits({12, 19, 20, 27, 28, 29, 30});
    cpu.leaf1Edx = Bits({26});
    cpu.leaf7Ebx = Bits({5});
    cpu.xcr0 = 0x7;
    edit(cpu);
    return cpu;
}
CpuFeatures Haswell() {
    return Haswell([](CpuFeatures&) {});
}
void AddAvx512(CpuFeatures& cpu) {
    cpu.leaf7Ebx |= Bits({16, 17, 28, 30, 31});
    cpu.xcr0 = 0xE7;
}
CpuFeatures Skylake512() { return Haswell(AddAvx512); }
CpuFeatures Sse(uint32_t leaf1Ecx) {
    CpuFeatures cpu;
    cpu.leaf1Edx = Bits({26});
    cpu.leaf1Ecx = leaf1Ecx;
    return cpu;
}
void DropF16c(CpuFeatures& cpu) { cpu.leaf1Ecx &= ~Bits({29}); }

// Per processor: its level and the variant the automatic entry runs for it (level -1: not
// checked), and the best variant it can run at all (every one up to it runs).
TEST(IsaLevel, FollowsTheFeatureTableAndSupportNeedsInstructionBitsAndOperatingSystemState) {
    const auto without = [](std::initializer_list<int> leaf1Ecx, std::initializer_list<int> leaf7Ebx, uint32_t xcr0) {
        return Haswell([&](CpuFeatures& c) {
            AddAvx512(c);
            c.leaf1Ecx &= ~Bits(leaf1Ecx), c.leaf7Ebx &= ~Bits(leaf7Ebx), c.xcr0 = xcr0;
        });
    };
    const struct {
        const char* name;
        CpuFeatures cpu;
        int32_t level, variant, best;
    } cases[] = {
        {"SSE2", Sse(0), 0, kIsaAutomatic, kIsaAutomatic},  // nothing runs: the entry draws nothing
        {"SSE4.1", Sse(Bits({19})), 1, kIsaSse41, kIsaSse41},
        {"Haswell", Haswell(), 5, kIsaAvx2, kIsaAvx2},
        {"AVX2 without F16C stays at AVX", Haswell(DropF16c), 3, kIsaAvx, kIsaAvx2},
        {"Knights Landing: no many-core build, best that runs", Haswell([](CpuFeatures& c) {
             c.leaf7Ebx |= Bits({16, 26, 27, 28});
             c.xcr0 = 0xE7;
         }),
         7, kIsaAvx2, kIsaAvx2},
        {"Skylake-SP", Skylake512(), 8, kIsaAvx512, kIsaAvx512},
        {"OS without AVX state", Haswell([](CpuFeatures& c) { c.xcr0 = 0x3; }), 2, kIsaSse41, kIsaSse41},
        {"AVX-512 without DQ", without({}, {17}, 0xE7), -1, 0, kIsaAvx2},
        // Every AVX-512 state bit but the upper sixteen registers (bit 7): still not usable.
        {"AVX-512 without its full OS state", without({}, {}, 0x67), -1, 0, kIsaAvx2},
        {"no OSXSAVE", without({27}, {}, 0xE7), -1, 0, kIsaSse41},
        {"no FMA, which the AVX2 build fuses with", without({12}, {}, 0xE7), -1, 0, kIsaAvx},
    };
    for (const auto& c : cases) {
        if (c.level >= 0) {
            EXPECT_EQ(IsaLevelFromFeatures(c.cpu), c.level) << c.name;
            EXPECT_EQ(VariantForLevel(c.level, c.cpu), c.variant) << c.name;
        }
        for (int32_t isa : {-2, kIsaSse41, kIsaAvx, kIsaAvx2, kIsaAvx512, 4})
            EXPECT_EQ(IsaSupportedBy(c.cpu, isa), isa >= 0 && isa <= c.best) << c.name << ", variant " << isa;
    }
    EXPECT_EQ(VariantForLevel(10, Skylake512()), kIsaAvx512);
}

TEST(IsaPanel, ForcedValuesRunOnlyWhenSupported) {
    const CpuFeatures noF16c = Haswell(DropF16c);
    EXPECT_EQ(IsaFromPanelValue(3, noF16c), kIsaAvx2);  // forced AVX2 runs though automatic picks AVX
    EXPECT_EQ(IsaFromPanelValue(1, noF16c), kIsaSse41);
    for (int32_t value : {4, 0, 5, -1}) EXPECT_EQ(IsaFromPanelValue(value, noF16c), kIsaAutomatic) << value;

    EXPECT_EQ(KernelForIsa(9), &mora::RasterizeTile);
    for (int32_t value = 0; value <= 4; ++value)
        EXPECT_EQ(KernelForPanelValue(value),
                  value > 0 && IsaSupported(value - 1) ? KernelForIsa(value - 1) : &mora::RasterizeTile);
}

TEST(IsaEnvironment, ParsesTheValueAndWritesItsStatusLine) {
    constexpr const char* kAuto = "[MORA ISA = auto (auto-detected by cpuid dispatch)]";
    const struct {
        const char* value;
        int32_t forceIsa;
        const char* line;
    } cases[] = {
        {nullptr, 0, kAuto},
        {"AUTO", 0, kAuto},
        {"avx2 and more", 3, "[MORA ISA = avx2 (forced via MORA_ISA env var)]"},
        {"Sse4.1\r\n", 1, "[MORA ISA = sse4 (forced via MORA_ISA env var)]"},
        {"avx1", 2, "[MORA ISA = avx (forced via MORA_ISA env var)]"},
        {" avx2", 0, "[MORA ISA = auto (env $MORA_ISA=\"\" not recognized; falling back to cpuid dispatch)]"},
        {"neon", 0, "[MORA ISA = auto (env $MORA_ISA=\"neon\" not recognized; falling back to cpuid dispatch)]"},
        {"AVX512skx", 0,
         "[MORA ISA = auto (env $MORA_ISA=\"avx512skx\" is not supported by this CPU/OS; falling back to cpuid "
         "dispatch)]"},
    };
    for (const auto& c : cases) {
        const IsaChoice choice = ChooseIsaFromEnvironmentValue(c.value, Haswell());
        EXPECT_EQ(choice.forceIsa, c.forceIsa) << (c.value ? c.value : "(unset)");
        EXPECT_STREQ(choice.statusLine, c.line) << (c.value ? c.value : "(unset)");
    }
    EXPECT_EQ(ChooseIsaFromEnvironmentValue("avx512", Skylake512()).forceIsa, 4);
}

TEST(IsaEnvironment, StartupSelectionSetsForceIsaAndTheStatusLine) {
    const int32_t saved = SettingValue(TheDriverSettings().ForceIsa);
    ASSERT_TRUE(platform::SetEnvironment("MORA_ISA", "SSE41"));
    SelectIsaFromEnvironment();
    EXPECT_EQ(SettingValue(TheDriverSettings().ForceIsa), IsaSupported(kIsaSse41) ? 1 : 0);
    if (IsaSupported(kIsaSse41)) {
        EXPECT_EQ(StatusLineText(StatusLine::Isa), "[MORA ISA = sse4 (forced via MORA_ISA env var)]");
    }
    ASSERT_TRUE(platform::SetEnvironment("MORA_ISA", "avx2-but-far-too-long"));  // 16 characters or more
    SelectIsaFromEnvironment();
    EXPECT_EQ(SettingValue(TheDriverSettings().ForceIsa), 0);
    EXPECT_EQ(StatusLineText(StatusLine::Isa), "[MORA ISA = auto (auto-detected by cpuid dispatch)]");
    platform::UnsetEnvironment("MORA_ISA");
    SetSettingValue(TheDriverSettings().ForceIsa, saved);
}

}  // namespace
}  // namespace mora::raster::test
