// Instruction-set selection: the processor level and support tables on made-up feature words,
// the MORA_ISA switch and its status lines, and the kernel table.
#include <gtest/gtest.h>

#include <cstring>

#include "diag/status_lines.h"
#include "panel/driver_settings.h"
#include "platform/environment.h"
#include "raster/isa_dispatch.h"
#include "raster/kernel_variants.h"
#include "raster_scene.h"

namespace mora::raster::test {
namespace {

constexpr uint32_t Bits(std::initializer_list<int> bits) {
    uint32_t word = 0;
    for (int b : bits) word |= 1u << b;
    return word;
}

// A processor with SSE4.1/4.2, AVX (OS-enabled), FMA, F16C, RDRAND and AVX2.
CpuFeatures Haswell() {
    CpuFeatures cpu;
    cpu.leaf1Ecx = Bits({12, 19, 20, 27, 28, 29, 30});
    cpu.leaf1Edx = Bits({26});
    cpu.leaf7Ebx = Bits({5});
    cpu.xcr0 = 0x7;
    return cpu;
}

CpuFeatures Skylake512() {
    CpuFeatures cpu = Haswell();
    cpu.leaf7Ebx |= Bits({16, 17, 28, 30, 31});
    cpu.xcr0 = 0xE7;
    return cpu;
}

TEST(IsaLevel, FollowsTheFeatureTable) {
    CpuFeatures sse2;
    sse2.leaf1Edx = Bits({26});
    EXPECT_EQ(IsaLevelFromFeatures(sse2), 0);
    CpuFeatures sse41 = sse2;
    sse41.leaf1Ecx = Bits({19});
    EXPECT_EQ(IsaLevelFromFeatures(sse41), 1);
    sse41.leaf1Ecx |= Bits({20});
    EXPECT_EQ(IsaLevelFromFeatures(sse41), 2);
    EXPECT_EQ(IsaLevelFromFeatures(Haswell()), 5);
    EXPECT_EQ(IsaLevelFromFeatures(Skylake512()), 8);
    CpuFeatures cascade = Skylake512();
    cascade.leaf7Ecx = Bits({11});
    EXPECT_EQ(IsaLevelFromFeatures(cascade), 9);

    CpuFeatures noF16c = Haswell();
    noF16c.leaf1Ecx &= ~Bits({29});
    EXPECT_EQ(IsaLevelFromFeatures(noF16c), 3);  // AVX2 present, but the level stays at AVX
    CpuFeatures vnni = noF16c;
    vnni.leaf7Sub1Eax = Bits({4});
    EXPECT_EQ(IsaLevelFromFeatures(vnni), 6);

    CpuFeatures knightsLanding = Haswell();
    knightsLanding.leaf7Ebx |= Bits({16, 26, 27, 28});
    knightsLanding.xcr0 = 0xE7;
    EXPECT_EQ(IsaLevelFromFeatures(knightsLanding), 7);
    EXPECT_EQ(VariantForLevel(7, knightsLanding), kIsaAvx2);  // no many-core build: best that runs

    CpuFeatures osWithoutAvxState = Haswell();
    osWithoutAvxState.xcr0 = 0x3;
    EXPECT_EQ(IsaLevelFromFeatures(osWithoutAvxState), 2);
}

TEST(IsaLevel, MapsToTheVariantTheAutomaticEntryRuns) {
    EXPECT_EQ(VariantForLevel(10, Skylake512()), kIsaAvx512);
    EXPECT_EQ(VariantForLevel(8, Skylake512()), kIsaAvx512);
    EXPECT_EQ(VariantForLevel(6, Haswell()), kIsaAvx2);
    EXPECT_EQ(VariantForLevel(5, Haswell()), kIsaAvx2);
    EXPECT_EQ(VariantForLevel(3, Haswell()), kIsaAvx);
    EXPECT_EQ(VariantForLevel(2, Haswell()), kIsaSse41);
    EXPECT_EQ(VariantForLevel(1, Haswell()), kIsaSse41);
    CpuFeatures sse2;
    sse2.leaf1Edx = Bits({26});
    EXPECT_EQ(VariantForLevel(0, sse2), kIsaAutomatic);  // nothing runs: the entry draws nothing
}

TEST(IsaSupport, RequiresInstructionBitsAndOperatingSystemState) {
    const CpuFeatures haswell = Haswell();
    EXPECT_TRUE(IsaSupportedBy(haswell, kIsaAutomatic));
    EXPECT_TRUE(IsaSupportedBy(haswell, kIsaSse41));
    EXPECT_TRUE(IsaSupportedBy(haswell, kIsaAvx));
    EXPECT_TRUE(IsaSupportedBy(haswell, kIsaAvx2));
    EXPECT_FALSE(IsaSupportedBy(haswell, kIsaAvx512));
    EXPECT_FALSE(IsaSupportedBy(haswell, 4));
    EXPECT_FALSE(IsaSupportedBy(haswell, -2));
    EXPECT_TRUE(IsaSupportedBy(Skylake512(), kIsaAvx512));

    CpuFeatures noDq = Skylake512();
    noDq.leaf7Ebx &= ~Bits({17});
    EXPECT_FALSE(IsaSupportedBy(noDq, kIsaAvx512));
    CpuFeatures noZmmState = Skylake512();
    noZmmState.xcr0 = 0x7;
    EXPECT_FALSE(IsaSupportedBy(noZmmState, kIsaAvx512));
    CpuFeatures noOsxsave = Haswell();
    noOsxsave.leaf1Ecx &= ~Bits({27});
    EXPECT_FALSE(IsaSupportedBy(noOsxsave, kIsaAvx));
    CpuFeatures noFma = Haswell();
    noFma.leaf1Ecx &= ~Bits({12});
    EXPECT_TRUE(IsaSupportedBy(noFma, kIsaAvx));
    EXPECT_FALSE(IsaSupportedBy(noFma, kIsaAvx2));  // the AVX2 build fuses multiply-adds
}

TEST(IsaPanel, ForcedValuesRunOnlyWhenSupported) {
    CpuFeatures noF16c = Haswell();
    noF16c.leaf1Ecx &= ~Bits({29});
    EXPECT_EQ(IsaFromPanelValue(3, noF16c), kIsaAvx2);  // forced AVX2 runs though automatic picks AVX
    EXPECT_EQ(IsaFromPanelValue(4, noF16c), kIsaAutomatic);
    EXPECT_EQ(IsaFromPanelValue(1, noF16c), kIsaSse41);
    EXPECT_EQ(IsaFromPanelValue(0, noF16c), kIsaAutomatic);
    EXPECT_EQ(IsaFromPanelValue(5, noF16c), kIsaAutomatic);
    EXPECT_EQ(IsaFromPanelValue(-1, noF16c), kIsaAutomatic);

    EXPECT_EQ(KernelForIsa(kIsaSse41), &sse41::RasterizeTile);
    EXPECT_EQ(KernelForIsa(kIsaAvx512), &avx512::RasterizeTile);
    EXPECT_EQ(KernelForIsa(kIsaAutomatic), &mora::RasterizeTile);
    EXPECT_EQ(KernelForIsa(9), &mora::RasterizeTile);
    EXPECT_EQ(KernelForPanelValue(0), &mora::RasterizeTile);
    for (int32_t value = 1; value <= 4; ++value)
        EXPECT_EQ(KernelForPanelValue(value), IsaSupported(value - 1) ? KernelForIsa(value - 1) : &mora::RasterizeTile);
    EXPECT_STREQ(IsaPanelLabel(0), "Auto (cpuid dispatch)");
    EXPECT_STREQ(IsaPanelLabel(4), "Force AVX-512 SKX");
}

TEST(IsaEnvironment, ParsesTheValueAndWritesItsStatusLine) {
    const CpuFeatures cpu = Haswell();
    struct Case {
        const char* value;
        int32_t forceIsa;
        const char* line;
    };
    const Case cases[] = {
        {nullptr, 0, "[MORA ISA = auto (auto-detected by cpuid dispatch)]"},
        {"", 0, "[MORA ISA = auto (auto-detected by cpuid dispatch)]"},
        {"AUTO", 0, "[MORA ISA = auto (auto-detected by cpuid dispatch)]"},
        {"AVX2", 3, "[MORA ISA = avx2 (forced via MORA_ISA env var)]"},
        {"avx2 and more", 3, "[MORA ISA = avx2 (forced via MORA_ISA env var)]"},
        {"Sse4.1\r\n", 1, "[MORA ISA = sse4 (forced via MORA_ISA env var)]"},
        {"avx1", 2, "[MORA ISA = avx (forced via MORA_ISA env var)]"},
        {" avx2", 0, "[MORA ISA = auto (env $MORA_ISA=\"\" not recognized; falling back to cpuid dispatch)]"},
        {"neon", 0, "[MORA ISA = auto (env $MORA_ISA=\"neon\" not recognized; falling back to cpuid dispatch)]"},
        {"AVX512skx", 0,
         "[MORA ISA = auto (env $MORA_ISA=\"avx512skx\" is not supported by this CPU/OS; falling back to cpuid "
         "dispatch)]"},
    };
    for (const Case& c : cases) {
        const IsaChoice choice = ChooseIsaFromEnvironmentValue(c.value, cpu);
        EXPECT_EQ(choice.forceIsa, c.forceIsa) << (c.value ? c.value : "(unset)");
        EXPECT_STREQ(choice.statusLine, c.line) << (c.value ? c.value : "(unset)");
    }
    EXPECT_EQ(ChooseIsaFromEnvironmentValue("avx512", Skylake512()).forceIsa, 4);
}

TEST(IsaEnvironment, StartupSelectionSetsForceIsaAndTheStatusLine) {
    const int32_t saved = SettingValue(Settings().ForceIsa);
    ASSERT_TRUE(platform::SetEnvironment("MORA_ISA", "SSE41"));
    SelectIsaFromEnvironment();
    EXPECT_EQ(SettingValue(Settings().ForceIsa), IsaSupported(kIsaSse41) ? 1 : 0);
    if (IsaSupported(kIsaSse41)) {
        EXPECT_EQ(StatusLineText(StatusLine::Isa), "[MORA ISA = sse4 (forced via MORA_ISA env var)]");
    }

    ASSERT_TRUE(platform::SetEnvironment("MORA_ISA", "avx2-but-far-too-long"));  // 16 characters or more
    SelectIsaFromEnvironment();
    EXPECT_EQ(SettingValue(Settings().ForceIsa), 0);
    EXPECT_EQ(StatusLineText(StatusLine::Isa), "[MORA ISA = auto (auto-detected by cpuid dispatch)]");
    platform::UnsetEnvironment("MORA_ISA");
    SetSettingValue(Settings().ForceIsa, saved);
}

TEST(IsaAutomaticEntry, RendersLikeTheVariantOfThisProcessor) {
    const int32_t variant = VariantForLevel(SystemIsaLevel(), SystemCpuFeatures());
    if (variant < 0) GTEST_SKIP() << "no kernel variant runs on this processor";
    EXPECT_EQ(SystemIsaLevel(), IsaLevelFromFeatures(ReadCpuFeatures()));
    SetupTriangle t = PlainTriangle(0.3f, 0.2f, 21.0f, 3.0f, 5.0f, 17.5f, 0xFF102030u);
    t.colour1 = 0x80FFEEDDu;
    const std::vector<SetupTriangle> triangles = {t};
    Surface automatic = MakeSurface(19, 13, 4, 0xFF000000u, 1.0f, 1.0f), direct = automatic;
    RenderSurface(KernelTile(&mora::RasterizeTile), MakeJob(automatic, triangles, {}, 0), automatic, 1);
    RenderSurface(KernelTile(KernelForIsa(variant)), MakeJob(direct, triangles, {}, 0), direct, 1);
    EXPECT_EQ(automatic.colour, direct.colour);
    EXPECT_NE(automatic.Colour(6, 6), 0xFF000000u);
}

}  // namespace
}  // namespace mora::raster::test
