// mora-scenebench: runs the synthetic first-person scene through MORA and OSMesa (llvmpipe) in
// one process, alternating the two frame by frame so that machine drift hits both, and prints
// per-frame times side by side with MORA's stage split from its profiler.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench_options.h"
#include "call_summary.h"
#include "frame_timing.h"
#include "image_compare.h"
#include "platform/file.h"
#include "png_file.h"
#include "renderer.h"
#include "renderer_environment.h"
#include "scene.h"

namespace mora::scene {
namespace {

constexpr int kSummaryInterval = 60;  // MORA rewrites its call summary every this many frames

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct RunRecord {
    Renderer renderer;
    SceneTextures textures;
    std::vector<double> frameMs;
    std::vector<double> recordMs;  // time in the scene's GL calls, before the frame end
    // MORA's own times of each measured frame end (moraGetLastFrameTimes), summed.
    MoraFrameTimes driverTimes{};
    uint64_t driverFrames = 0;
    uint64_t calls = 0;
    uint64_t triangles = 0;
    uint64_t framesEnded = 0;  // every frame end since the library was loaded
};

// One line of the machine's state: processor model and load averages, for the report.
std::string MachineConditions() {
    std::string text;
    std::string cpu;
    if (platform::ReadWholeFile("/proc/cpuinfo", cpu)) {
        const std::size_t at = cpu.find("model name");
        const std::size_t colon = at == std::string::npos ? std::string::npos : cpu.find(':', at);
        if (colon != std::string::npos) text += cpu.substr(colon + 2, cpu.find('\n', colon) - colon - 2);
    }
    text += ", " + std::to_string(std::thread::hardware_concurrency()) + " logical processors";
    std::string load;
    if (platform::ReadWholeFile("/proc/loadavg", load))
        text += ", load average " + load.substr(0, load.find(' ', load.find(' ', load.find(' ') + 1) + 1));
    return text;
}

// The driver rewrites its periodic summary on a thread of its own: wait (up to two seconds) until
// the file counts `swaps` frames.
CallSummaryReading ReadCallSummary(uint64_t swaps) {
    CallSummaryReading reading;
    for (int attempt = 0; attempt < 200; ++attempt) {
        std::string text;
        if (platform::ReadWholeFile(kCallSummaryFile, text)) reading = ParseCallSummary(text);
        if (swaps == 0 || (reading.valid && reading.swapBuffersCalls >= swaps)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return reading;
}

void DrawFrame(RunRecord& run, const Scene& scene, int frame, int width, int height, bool measured) {
    SceneGl& gl = run.renderer.gl;
    const uint64_t calls = gl.calls;
    const uint64_t triangles = gl.triangles;
    const Clock::time_point start = Clock::now();
    DrawSceneFrame(gl, scene, run.textures, frame, width, height);
    const Clock::time_point recorded = Clock::now();
    EndFrame(run.renderer);
    const Clock::time_point end = Clock::now();
    ++run.framesEnded;
    if (!measured) return;
    MoraFrameTimes times{};
    if (run.renderer.kind == RendererKind::Mora && run.renderer.mora.getLastFrameTimes != nullptr &&
        run.renderer.mora.getLastFrameTimes(&times) == 1) {
        run.driverTimes.replayNs += times.replayNs;
        run.driverTimes.emitNs += times.emitNs;
        run.driverTimes.renderNs += times.renderNs;
        run.driverTimes.presentNs += times.presentNs;
        run.driverTimes.swapNs += times.swapNs;
        ++run.driverFrames;
    }
    run.frameMs.push_back(Milliseconds(end - start));
    run.recordMs.push_back(Milliseconds(recorded - start));
    run.calls += gl.calls - calls;
    run.triangles += gl.triangles - triangles;
}

void SavePng(RunRecord& run, const BenchOptions& options, int frame, std::vector<uint32_t>& pixels) {
    if (!ReadFrame(run.renderer, pixels)) {
        std::fprintf(stderr, "%s: frame %d could not be read back\n", run.renderer.name, frame);
        pixels.clear();
        return;
    }
    char name[64];
    std::snprintf(name, sizeof name, "/%s_frame%05d.png", run.renderer.kind == RendererKind::Mora ? "mora" : "osmesa",
                  frame);
    std::string error;
    if (!png::WriteArgbPng(options.pngDirectory + name, options.width, options.height, pixels, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
    }
}

// One renderer's column of the table.
struct Column {
    const char* name;
    TimingSummary times;
    double callsPerFrame;
    double trianglesPerFrame;
};

void PrintRow(const char* label, const std::vector<Column>& columns, double Column::*field, const char* format) {
    std::printf("  %-28s", label);
    for (const Column& column : columns) std::printf(format, column.*field);
    std::printf("\n");
}

void PrintRow(const char* label, const std::vector<Column>& columns, double TimingSummary::*field, const char* format) {
    std::printf("  %-28s", label);
    for (const Column& column : columns) std::printf(format, column.times.*field);
    std::printf("\n");
}

void PrintTable(const std::vector<RunRecord*>& runs) {
    std::vector<Column> columns;
    for (const RunRecord* run : runs) {
        const double frames = static_cast<double>(run->frameMs.size());
        columns.push_back({run->renderer.name, SummarizeTimes(run->frameMs), static_cast<double>(run->calls) / frames,
                           static_cast<double>(run->triangles) / frames});
    }
    std::printf("\n  %-28s", "");
    for (const Column& column : columns) std::printf("%14s", column.name);
    std::printf("\n");
    PrintRow("median ms/frame", columns, &TimingSummary::medianMs, "%14.2f");
    PrintRow("p95 ms/frame", columns, &TimingSummary::p95Ms, "%14.2f");
    PrintRow("mean ms/frame", columns, &TimingSummary::meanMs, "%14.2f");
    PrintRow("max ms/frame", columns, &TimingSummary::maxMs, "%14.2f");
    PrintRow("frames per second (mean)", columns, &TimingSummary::framesPerSecond, "%14.1f");
    PrintRow("GL calls per frame", columns, &Column::callsPerFrame, "%14.0f");
    PrintRow("triangles per frame", columns, &Column::trianglesPerFrame, "%14.0f");
    if (columns.size() == 2) {
        const TimingSummary& mora = columns[0].times;
        const TimingSummary& osmesa = columns[1].times;
        std::printf("  %-28s%13.2fx median, %.2fx mean, %.2fx p95 (above 1: MORA faster)\n", "OSMesa time / MORA time",
                    osmesa.medianMs / mora.medianMs, osmesa.meanMs / mora.meanMs, osmesa.p95Ms / mora.p95Ms);
    }
}

void PrintStageSplit(const RunRecord& mora, const StageSplit& split, const char* window) {
    const TimingSummary total = SummarizeTimes(mora.frameMs);
    const TimingSummary record = SummarizeTimes(mora.recordMs);
    std::printf("\nMORA stage split, ms per frame (mean):\n");
    std::printf("  %-52s%10.2f\n", "record (scene's GL calls, measured here)", record.meanMs);
    std::printf("  %-52s%10.2f\n", "wglSwapBuffers (measured here)", total.meanMs - record.meanMs);
    if (mora.driverFrames > 0) {
        const double perFrame = 1e-6 / static_cast<double>(mora.driverFrames);
        const MoraFrameTimes& t = mora.driverTimes;
        std::printf("  driver's own frame-end times (moraGetLastFrameTimes), %llu frames:\n",
                    static_cast<unsigned long long>(mora.driverFrames));
        std::printf("  %-52s%10.2f\n", "  replay (recorded calls -> packets)",
                    static_cast<double>(t.replayNs) * perFrame);
        std::printf("  %-52s%10.2f\n", "  emit (transform, clip, set-up)", static_cast<double>(t.emitNs) * perFrame);
        std::printf("  %-52s%10.2f\n", "  render (clears, binning, raster)",
                    static_cast<double>(t.renderNs) * perFrame);
        std::printf("  %-52s%10.2f\n", "  present", static_cast<double>(t.presentNs) * perFrame);
        std::printf("  %-52s%10.2f\n", "  whole frame end", static_cast<double>(t.swapNs) * perFrame);
    }
    if (!split.available) {
        std::printf("  profiler split: not available (the driver's %s has no profile report)\n", kCallSummaryFile);
        return;
    }
    std::printf("  profiler, over %llu frames %s:\n", static_cast<unsigned long long>(split.frames), window);
    std::printf("  %-52s%10.2f\n", "  render frame (mora::RenderFrame, wall)", split.renderFrameMs);
    std::printf("  %-52s%10.2f\n", "  texture cache (mora::BuildTextureCache)", split.textureCacheMs);
    std::printf("  %-52s%10.2f\n", "  bin (workers' CPU ms, loop entry - macro tiles)", split.binWorkerMs);
    std::printf("  %-52s%10.2f\n", "  raster (workers' CPU ms, mora::RenderMacroTile)", split.rasterWorkerMs);
    std::printf("  %-52s%10.2f\n", "  replay + emit + present (swap - render frame)",
                total.meanMs - record.meanMs - split.renderFrameMs);
    std::printf("  %-52s%10.2f\n", "  reset (mora::ResetFrame)", split.resetMs);
}

int Run(const BenchOptions& options) {
    const int threads = options.threads;
    RendererEnvironment environment;
    std::string error;
    if (!PrepareRendererEnvironment(environment, threads, options.vrsRate, &error, options.workerLimit)) {
        std::fprintf(stderr, "mora-scenebench: %s\n", error.c_str());
        return 1;
    }
    const std::string threadText = threads > 0 ? std::to_string(threads) + " threads" : std::string("default threads");
    std::printf("mora-scenebench: %dx%d, %d frames (+%d warm-up), seed %llu, %s, MORA VRS %d, worker limit %d\n",
                options.width, options.height, options.frames, options.warmupFrames,
                static_cast<unsigned long long>(options.seed), threadText.c_str(), options.vrsRate,
                options.workerLimit);
    std::printf("machine at start: %s\n", MachineConditions().c_str());

    // A summary left by an earlier run must not pass for this one's.
    platform::RemoveFile(kCallSummaryFile);
    if (!options.pngFrames.empty() && !platform::CreateDirectory(options.pngDirectory.c_str())) {
        std::fprintf(stderr, "mora-scenebench: cannot create %s\n", options.pngDirectory.c_str());
        return 1;
    }
    SceneOptions sceneOptions;
    sceneOptions.seed = options.seed;
    const Scene scene = BuildScene(sceneOptions);

    RunRecord mora;
    RunRecord osmesa;
    if (!OpenMoraRenderer(mora.renderer, options.moraLibrary, options.width, options.height, &error)) {
        std::fprintf(stderr, "mora-scenebench: %s (%s)\n", error.c_str(), options.moraLibrary.c_str());
        return 1;
    }
    std::vector<RunRecord*> runs{&mora};
    if (!options.moraOnly && options.osmesaLibrary.empty()) {
        std::printf("OSMesa not run: built without its development files (give --osmesa-lib)\n");
    } else if (!options.moraOnly) {
        if (OpenOsmesaRenderer(osmesa.renderer, options.osmesaLibrary, options.width, options.height, &error)) {
            runs.push_back(&osmesa);
        } else {
            std::printf("OSMesa not run: %s\n", error.c_str());
        }
    }
    for (RunRecord* run : runs) {
        ResetGlState(run->renderer.gl, options.width, options.height);
        run->textures = UploadSceneTextures(run->renderer.gl, scene);
    }

    for (int frame = 0; frame < options.warmupFrames; ++frame) {
        for (RunRecord* run : runs) DrawFrame(*run, scene, frame, options.width, options.height, false);
    }
    // MORA alone until its call summary has just been rewritten, so that the profiler's totals
    // can be read at the start of the measured frames.
    int extra = 0;
    while (mora.framesEnded % kSummaryInterval != 0)
        DrawFrame(mora, scene, extra++, options.width, options.height, false);
    CallSummaryReading before = ReadCallSummary(mora.framesEnded);
    if (mora.framesEnded == 0) {
        // Nothing drawn yet: every profiler total is zero.
        before.valid = before.hasProfile = true;
        before.swapBuffersCalls = 0;
        before.scopes.clear();
    }
    CallSummaryReading latest = before;

    std::vector<uint32_t> moraPixels;
    std::vector<uint32_t> osmesaPixels;
    for (int frame = 0; frame < options.frames; ++frame) {
        // Alternate which renderer goes first, so neither always follows the other's cache misses.
        for (std::size_t k = 0; k < runs.size(); ++k) {
            RunRecord& run = *runs[(static_cast<std::size_t>(frame) + k) % runs.size()];
            DrawFrame(run, scene, frame, options.width, options.height, true);
            if (&run == &mora && mora.framesEnded % kSummaryInterval == 0) latest = ReadCallSummary(mora.framesEnded);
        }
        bool save = false;
        for (const int f : options.pngFrames) save = save || f == frame;
        if (!save) continue;
        SavePng(mora, options, frame, moraPixels);
        if (runs.size() == 2) {
            SavePng(osmesa, options, frame, osmesaPixels);
            const ImageDifference difference = CompareImages(moraPixels, osmesaPixels, options.width, options.height);
            std::printf("frame %d MORA vs OSMesa: %s\n", frame, DescribeDifference(difference).c_str());
        }
    }
    std::printf("machine at end:   %s\n", MachineConditions().c_str());

    PrintTable(runs);
    // When the measured frames end on a summary rewrite (a multiple of 60 frames), the split is
    // known before anything unloads; otherwise unloading MORA writes the summary once more.
    const uint64_t moraFrames = mora.framesEnded;
    const bool complete = latest.swapBuffersCalls == moraFrames;
    if (complete) PrintStageSplit(mora, StageSplitBetween(before, latest), "(all measured frames)");
    std::fflush(stdout);
    if (runs.size() == 2) CloseRenderer(osmesa.renderer);
    CloseRenderer(mora.renderer);
    if (!complete) {
        const CallSummaryReading final = ReadCallSummary(moraFrames);
        const bool finalComplete = final.swapBuffersCalls == moraFrames;
        PrintStageSplit(mora, StageSplitBetween(before, finalComplete ? final : latest),
                        finalComplete ? "(all measured frames)" : "(measured frames up to the last summary rewrite)");
    }
    return 0;
}

}  // namespace
}  // namespace mora::scene

int main(int argc, char** argv) {
    mora::scene::BenchOptions options;
#ifdef MORA_SCENE_MORA_LIBRARY
    options.moraLibrary = MORA_SCENE_MORA_LIBRARY;
#endif
#ifdef MORA_SCENE_OSMESA_LIBRARY
    options.osmesaLibrary = MORA_SCENE_OSMESA_LIBRARY;
#endif
    std::string error;
    if (!mora::scene::ParseBenchOptions(argc, argv, options, &error)) {
        std::fprintf(stderr, "mora-scenebench: %s\n%s", error.c_str(), mora::scene::BenchUsage().c_str());
        return 2;
    }
    if (options.help) {
        std::printf("%s", mora::scene::BenchUsage().c_str());
        return 0;
    }
    if (options.moraLibrary.empty()) {
        std::fprintf(stderr, "mora-scenebench: no libmora.so given (--mora-lib)\n");
        return 2;
    }
    return mora::scene::Run(options);
}
