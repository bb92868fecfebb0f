// Settings, kernel variant, tile-grid hooks and worker threads for a replay.
#include "replay_runtime.h"

#include <vector>

#include "entry/gl_subset.h"
#include "gl/gl_hooks.h"
#include "panel/driver_settings.h"
#include "platform/topology.h"
#include "raster/isa_dispatch.h"
#include "render/tile_grid.h"
#include "rjq/render_job_queue.h"
#include "rjq/startup.h"
#include "rjq/thread_settings.h"

namespace mora::replay {

namespace {

// The variant RenderFrame will run for the current ForceIsa value.
std::string EffectiveIsaName() {
    int32_t index = raster::IsaFromPanelValue(SettingValue(TheDriverSettings().ForceIsa));
    if (index == raster::kIsaAutomatic) {
        index = raster::VariantForLevel(raster::SystemIsaLevel(), raster::SystemCpuFeatures());
    }
    return index == raster::kIsaAutomatic ? "none" : raster::IsaName(index);
}

// A queue of exactly `threads` workers: the processor list is repeated when more workers than
// processors are asked for, so that the count is what the command line said.
bool StartQueueWithThreads(uint32_t threads, std::string& error) {
    std::vector<platform::LogicalProcessor> topology = platform::ProcessorTopology();
    if (topology.empty()) topology.push_back(platform::LogicalProcessor{});
    std::vector<platform::LogicalProcessor> processors;
    processors.reserve(threads);
    for (uint32_t i = 0; i < threads; ++i) processors.push_back(topology[i % topology.size()]);
    rjq::RenderJobQueue* queue = rjq::CreateRenderJobQueue(rjq::kDefaultCapacity, threads, std::move(processors),
                                                           rjq::ReadIdleSpinMicroseconds());
    if (queue == nullptr) {
        error = "cannot start " + std::to_string(threads) + " render worker threads";
        return false;
    }
    rjq::SetProcessQueue(queue);
    return true;
}

}  // namespace

bool StartReplayRuntime(const RuntimeRequest& request, RuntimeDescription& out, std::string& error) {
    DriverSettings& settings = TheDriverSettings();
    ResetSettingsToDefaults(settings);
    raster::SelectIsaFromEnvironment();
    if (request.forceIsa) {
        const int32_t value = *request.forceIsa;
        if (value != 0 && !raster::IsaSupported(value - 1)) {
            error = std::string("this processor cannot run the ") + raster::IsaName(value - 1) + " kernel variant";
            return false;
        }
        SetSettingValue(settings.ForceIsa, value);
    }
    if (request.vrsRate) SetSettingValue(settings.ForceVrsRate, *request.vrsRate);
    InstallTileGridHooks();
    // A capture replays with the raster state of the subset it was made under (MORA_GL_SUBSET).
    TheGlHooks().seedSubset = [] { return !api::LoweringOn(); };

    StopReplayRuntime();
    if (request.threads) {
        if (*request.threads > 0 && !StartQueueWithThreads(static_cast<uint32_t>(*request.threads), error))
            return false;
    } else {
        // As at library load: without workers every frame renders on the calling thread.
        rjq::StartRenderJobQueue();
    }
    out.isaName = EffectiveIsaName();
    out.workerThreads = rjq::TheProcessQueue() != nullptr ? rjq::TheProcessQueue()->workerCount : 0;
    out.vrsRate = SettingValue(settings.ForceVrsRate);
    return true;
}

void StopReplayRuntime() { rjq::StopRenderJobQueue(); }

}  // namespace mora::replay
