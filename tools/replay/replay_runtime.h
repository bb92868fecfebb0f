// The driver pieces a replay runs on, set up as library load sets them up for an application:
// built-in settings (a developer's settings file must not change a replay) with the command
// line's kernel variant and shading rate, the tile-grid hooks and the render job queue.
// mora-replay starts it once before replaying and stops it at the end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace mora::replay {

struct RuntimeRequest {
    std::optional<int32_t> forceIsa;  // ForceIsa 0..4; unset: MORA_ISA as at library load
    std::optional<int32_t> threads;   // worker threads, 0 for none; unset: MORA_THREADS / default
    std::optional<int32_t> vrsRate;   // ForceVrsRate 0..2; unset: the default
};

struct RuntimeDescription {
    std::string isaName;         // the variant frames run with ("sse4" .. "avx512", "none")
    uint32_t workerThreads = 0;  // 0: frames render on the calling thread
    int32_t vrsRate = 0;
};

// Applies the request. False with `error` set when the forced variant cannot run on this
// processor or the requested worker threads cannot be started (nothing is left running then).
// The default pool failing to start is not an error: frames then render on the calling thread,
// as they do in the driver.
bool StartReplayRuntime(const RuntimeRequest& request, RuntimeDescription& out, std::string& error);

// Stops and joins the render workers.
void StopReplayRuntime();

}  // namespace mora::replay
