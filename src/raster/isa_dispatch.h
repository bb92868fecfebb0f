// Raster kernel selection: which instruction-set build of RasterizeTile a frame runs. Library load
// calls SelectIsaFromEnvironment once (MORA_ISA); RenderFrame turns the ForceIsa setting into a
// kernel pointer every frame with KernelForPanelValue; the automatic entry decides on first use.
#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/cpu_features.h"
#include "raster/raster_job.h"

namespace mora {

// The automatic entry: resolves the variant for this processor on its first call (concurrent first
// calls only repeat the detection) and forwards every call to it. On a processor without any
// usable variant it draws nothing.
void RasterizeTile(const RasterJob& job, int32_t x0, int32_t y0, int32_t x1, int32_t y1, const uint32_t* bin,
                   int32_t binCount, float* hiz);

namespace raster {

// Names the automatic detection in the status lines and the panel.
inline constexpr const char kAutomaticDispatchName[] = "cpuid dispatch";

// This processor's level (IsaLevelFromFeatures); detected once, then fixed for the process.
int32_t SystemIsaLevel();

// This processor's feature words, read once.
const CpuFeatures& SystemCpuFeatures();

// True when this processor and OS can run variant `index` (kIsaAutomatic always).
bool IsaSupported(int32_t index);

// ForceIsa value 1..4 -> variant index 0..3 when supported here; anything else -> kIsaAutomatic.
int32_t IsaFromPanelValue(int32_t forceIsa);
int32_t IsaFromPanelValue(int32_t forceIsa, const CpuFeatures& cpu);

// The kernel of variant `index`; kIsaAutomatic (or any unknown index) gives the automatic entry.
RasterizeTileFn KernelForIsa(int32_t index);

// What RenderFrame stores in the RasterJob: the forced variant when it runs here, else automatic.
RasterizeTileFn KernelForPanelValue(int32_t forceIsa);

// "sse4", "avx", "avx2", "avx512" for 0..3; "auto" otherwise.
const char* IsaName(int32_t index);

// Debug panel labels for ForceIsa 0..4 ("Force SSE4.1", ...); the automatic entry first.
const char* IsaPanelLabel(int32_t forceIsa);

inline constexpr std::size_t kIsaStatusLineSize = 128;

struct IsaChoice {
    int32_t forceIsa = 0;                 // value for DriverSettings::ForceIsa
    char statusLine[kIsaStatusLineSize];  // the instruction-set status line, cut to fit
};

// The decision for a MORA_ISA value; null means the variable could not be read (unset or too
// long for the 16-byte buffer).
IsaChoice ChooseIsaFromEnvironmentValue(const char* value, const CpuFeatures& cpu);

// Start-up: reads MORA_ISA, stores ForceIsa in the settings and writes the ISA status line.
void SelectIsaFromEnvironment();

}  // namespace raster
}  // namespace mora
