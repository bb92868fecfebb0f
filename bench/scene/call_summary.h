// Reads what the scene benchmark needs from MORA's API call summary ("MORA_api_calls.log", which
// the driver rewrites every 60 frames and at unload): the wglSwapBuffers count and the merged
// profiler totals per scope name, and turns two readings into a per-frame stage split.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace mora::scene {

inline constexpr char kCallSummaryFile[] = "MORA_api_calls.log";

struct ProfileScopeTotal {
    uint64_t calls = 0;
    double totalMs = 0.0;
};

struct CallSummaryReading {
    bool valid = false;       // the text had a call-count table
    bool hasProfile = false;  // and a merged profiler section
    uint64_t swapBuffersCalls = 0;
    // Summed over every line of the merged tree with that scope name (a scope nested at several
    // places counts once per place).
    std::map<std::string, ProfileScopeTotal> scopes;
};

CallSummaryReading ParseCallSummary(const std::string& text);

// The MORA stages the profiler can tell apart, in milliseconds per frame over the frames between
// two readings. Worker stages are summed over all workers (CPU time, not wall time).
struct StageSplit {
    bool available = false;
    uint64_t frames = 0;
    double renderFrameMs = 0.0;   // mora::RenderFrame, wall time on the application thread
    double textureCacheMs = 0.0;  // mora::BuildTextureCache
    double binWorkerMs = 0.0;     // mora::WorkerLoopEntry minus mora::RenderMacroTile
    double rasterWorkerMs = 0.0;  // mora::RenderMacroTile
    double resetMs = 0.0;         // mora::ResetFrame
};

// Not available when either reading lacks a profile or no frame lies between them.
StageSplit StageSplitBetween(const CallSummaryReading& before, const CallSummaryReading& after);

}  // namespace mora::scene
