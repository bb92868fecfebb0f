// Kernel variant table, automatic dispatch and the MORA_ISA start-up switch.
#include "raster/isa_dispatch.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "diag/status_lines.h"
#include "panel/driver_settings.h"
#include "platform/environment.h"
#include "raster/kernel_variants.h"

namespace mora {
namespace raster {
namespace {

constexpr RasterizeTileFn kVariants[kIsaVariantCount] = {
    &sse41::RasterizeTile,
    &avx::RasterizeTile,
    &avx2::RasterizeTile,
    &avx512::RasterizeTile,
};

std::atomic<int32_t> gSystemIsaLevel{-1};
std::atomic<RasterizeTileFn> gAutomaticTarget{nullptr};

// The automatic entry's target on a processor that runs no variant.
void DrawNothing(const RasterJob&, int32_t, int32_t, int32_t, int32_t, const uint32_t*, int32_t, float*) {}

RasterizeTileFn ResolveAutomaticTarget() {
    const int32_t variant = VariantForLevel(SystemIsaLevel(), SystemCpuFeatures());
    return variant >= 0 ? kVariants[variant] : &DrawNothing;
}

// The accepted spellings of MORA_ISA per variant index.
int32_t MatchIsaName(const char* value) {
    struct Name {
        const char* text;
        int32_t index;
    };
    static constexpr Name kNames[] = {
        {"sse4", kIsaSse41}, {"sse4.1", kIsaSse41}, {"sse41", kIsaSse41},   {"avx", kIsaAvx},
        {"avx1", kIsaAvx},   {"avx2", kIsaAvx2},    {"avx512", kIsaAvx512}, {"avx512skx", kIsaAvx512},
    };
    for (const Name& name : kNames)
        if (std::strcmp(value, name.text) == 0) return name.index;
    return -2;
}

}  // namespace

const CpuFeatures& SystemCpuFeatures() {
    static const CpuFeatures features = ReadCpuFeatures();
    return features;
}

int32_t SystemIsaLevel() {
    int32_t level = gSystemIsaLevel.load(std::memory_order_acquire);
    if (level < 0) {
        level = IsaLevelFromFeatures(SystemCpuFeatures());
        gSystemIsaLevel.exchange(level, std::memory_order_acq_rel);
    }
    return level;
}

bool IsaSupported(int32_t index) { return IsaSupportedBy(SystemCpuFeatures(), index); }

int32_t IsaFromPanelValue(int32_t forceIsa, const CpuFeatures& cpu) {
    if (forceIsa < 1 || forceIsa > kIsaVariantCount) return kIsaAutomatic;
    const int32_t index = forceIsa - 1;
    return IsaSupportedBy(cpu, index) ? index : kIsaAutomatic;
}

int32_t IsaFromPanelValue(int32_t forceIsa) { return IsaFromPanelValue(forceIsa, SystemCpuFeatures()); }

RasterizeTileFn KernelForIsa(int32_t index) {
    if (index >= 0 && index < kIsaVariantCount) return kVariants[index];
    return &mora::RasterizeTile;
}

RasterizeTileFn KernelForPanelValue(int32_t forceIsa) { return KernelForIsa(IsaFromPanelValue(forceIsa)); }

const char* IsaName(int32_t index) {
    static constexpr const char* kNames[kIsaVariantCount] = {"sse4", "avx", "avx2", "avx512"};
    return index >= 0 && index < kIsaVariantCount ? kNames[index] : "auto";
}

const char* IsaPanelLabel(int32_t forceIsa) {
    static constexpr const char* kLabels[kIsaVariantCount + 1] = {
        "Auto (cpuid dispatch)", "Force SSE4.1", "Force AVX", "Force AVX2", "Force AVX-512 SKX",
    };
    return forceIsa >= 0 && forceIsa <= kIsaVariantCount ? kLabels[forceIsa] : kLabels[0];
}

IsaChoice ChooseIsaFromEnvironmentValue(const char* value, const CpuFeatures& cpu) {
    IsaChoice choice;
    choice.forceIsa = 0;
    const auto automatic = [&choice] {
        std::snprintf(choice.statusLine, sizeof(choice.statusLine), "[MORA ISA = auto (auto-detected by %s)]",
                      kAutomaticDispatchName);
        return choice;
    };
    if (value == nullptr || value[0] == '\0') return automatic();

    // Lower-case; the value ends at the first CR, LF or space. Same 16-byte limit as the read.
    char text[16] = {};
    std::strncpy(text, value, sizeof(text) - 1);
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c == '\r' || c == '\n' || c == ' ') c = '\0';
    }

    if (std::strcmp(text, "auto") == 0) return automatic();
    const int32_t index = MatchIsaName(text);
    if (index < 0) {
        std::snprintf(choice.statusLine, sizeof(choice.statusLine),
                      "[MORA ISA = auto (env $MORA_ISA=\"%s\" not recognized; falling back to %s)]", text,
                      kAutomaticDispatchName);
        return choice;
    }
    if (!IsaSupportedBy(cpu, index)) {
        std::snprintf(choice.statusLine, sizeof(choice.statusLine),
                      "[MORA ISA = auto (env $MORA_ISA=\"%s\" is not supported by this CPU/OS; falling back to %s)]",
                      text, kAutomaticDispatchName);
        return choice;
    }
    choice.forceIsa = index + 1;
    std::snprintf(choice.statusLine, sizeof(choice.statusLine), "[MORA ISA = %s (forced via MORA_ISA env var)]",
                  IsaName(index));
    return choice;
}

void SelectIsaFromEnvironment() {
    char buffer[16] = {};
    const platform::EnvironmentRead read = platform::ReadEnvironment("MORA_ISA", buffer);
    const IsaChoice choice =
        ChooseIsaFromEnvironmentValue(read == platform::EnvironmentRead::Value ? buffer : nullptr, SystemCpuFeatures());
    SetSettingValue(TheDriverSettings().ForceIsa, choice.forceIsa);
    SetStatusLine(StatusLine::Isa, choice.statusLine);
}

}  // namespace raster

void RasterizeTile(const RasterJob& job, int32_t x0, int32_t y0, int32_t x1, int32_t y1, const uint32_t* bin,
                   int32_t binCount, float* hiz) {
    RasterizeTileFn target = raster::gAutomaticTarget.load(std::memory_order_relaxed);
    if (target == nullptr) {
        target = raster::ResolveAutomaticTarget();
        raster::gAutomaticTarget.store(target, std::memory_order_relaxed);
    }
    target(job, x0, y0, x1, y1, bin, binCount, hiz);
}

}  // namespace mora
