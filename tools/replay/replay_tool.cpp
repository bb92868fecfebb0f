// The mora-replay program flow.
#include "replay_tool.h"

#include <cinttypes>
#include <cmath>
#include <exception>
#include <filesystem>
#include <new>

#include "capture/capture_reader.h"
#include "diag/profiler.h"
#include "frame_compare.h"
#include "platform/clock.h"
#include "png_file.h"
#include "png_path.h"
#include "replay_bench.h"
#include "replay_limits.h"
#include "replay_options.h"
#include "replay_progress.h"
#include "replay_runtime.h"
#include "replay_session.h"
#include "replay_surface.h"

namespace mora::replay {

namespace {

// Stops the worker threads however the run ends.
struct RuntimeScope {
    ~RuntimeScope() { StopReplayRuntime(); }
};

struct CompareTotals {
    uint32_t framesCompared = 0;
    uint32_t framesWithoutReference = 0;
    uint32_t framesBeyondTolerance = 0;
};

void PrintDifference(std::FILE* out, uint32_t frame, const FrameDifference& difference, uint64_t referenceBytes,
                     uint64_t expectedBytes) {
    if (difference.sizeMismatch) {
        std::fprintf(out, "frame %u: reference pixels hold %" PRIu64 " bytes, the replayed frame %" PRIu64 "\n", frame,
                     referenceBytes, expectedBytes);
    } else if (difference.differingPixels == 0) {
        std::fprintf(out, "frame %u: identical\n", frame);
    } else {
        std::fprintf(
            out, "frame %u: max channel difference %d, %" PRIu64 " of %" PRIu64 " pixels differ, PSNR %.2f dB\n", frame,
            difference.maxChannelDifference, difference.differingPixels, difference.pixelCount, difference.psnr);
    }
}

// Replays frames 0..last once, writing PNGs and comparing the frames first..last as asked.
int ReplayOnce(ReplaySession& session, const ReplayOptions& options, uint32_t first, uint32_t last, std::FILE* out,
               std::FILE* err) {
    ProgressReporter progress;
    StartProgress(progress, err);
    CompareTotals totals;
    std::vector<uint8_t> pixels;
    RestoreCaptureStart(session);
    while (session.nextFrame <= last) {
        const uint32_t frame = session.nextFrame;
        if (!ReplayNextFrame(session, nullptr)) break;
        ReportProgress(progress, "replay: frame", frame + 1, static_cast<uint64_t>(last) + 1);
        if (frame < first) continue;
        if (!options.pngDirectory.empty() || options.compare) CopyTightBgra(session.surface, pixels);
        if (!options.pngDirectory.empty()) {
            std::string error;
            if (!png::WriteBgraPng(FramePngPath(options.pngDirectory, frame), session.surface.width,
                                   session.surface.height, pixels, &error)) {
                std::fprintf(err, "mora_replay: %s\n", error.c_str());
                return kExitOutputFailed;
            }
        }
        if (options.compare) {
            const std::vector<uint8_t>& reference = session.capture->frameReferencePixels[frame];
            if (reference.empty()) {
                std::fprintf(out, "frame %u: no reference pixels\n", frame);
                ++totals.framesWithoutReference;
                continue;
            }
            const FrameDifference difference = CompareBgra(pixels, reference);
            PrintDifference(out, frame, difference, reference.size(), pixels.size());
            ++totals.framesCompared;
            if (!WithinTolerance(difference, options.tolerance)) ++totals.framesBeyondTolerance;
        }
    }
    if (options.compare) {
        std::fprintf(out, "compare: %u frames compared, %u beyond tolerance %d, %u without reference pixels\n",
                     totals.framesCompared, totals.framesBeyondTolerance, options.tolerance,
                     totals.framesWithoutReference);
        if (totals.framesBeyondTolerance > 0) return kExitFramesDiffer;
    }
    return kExitSuccess;
}

bool AnyReferencePixels(const CaptureData& capture, uint32_t first, uint32_t last) {
    for (uint32_t frame = first; frame <= last; ++frame) {
        if (!capture.frameReferencePixels[frame].empty()) return true;
    }
    return false;
}

int Run(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err) {
    ReplayOptions options;
    std::string error;
    if (!ParseReplayOptions(arguments, options, error)) {
        std::fprintf(err, "mora_replay: %s\n%s", error.c_str(), ReplayUsage());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(ReplayUsage(), out);
        return kExitSuccess;
    }

    CaptureData capture;
    if (!ReadCapture(options.capturePath.c_str(), capture, &error)) {
        std::fprintf(err, "mora_replay: cannot load %s: %s\n", options.capturePath.c_str(), error.c_str());
        return kExitBadCapture;
    }
    const auto frameCount = static_cast<uint32_t>(capture.frameStreams.size());
    if (frameCount == 0) {
        std::fprintf(err, "mora_replay: %s holds no frames to replay\n", options.capturePath.c_str());
        return kExitBadCapture;
    }
    const uint32_t first = options.firstFrame.value_or(0);
    const uint32_t last = options.lastFrame.value_or(frameCount - 1);
    if (last >= frameCount) {
        std::fprintf(err, "mora_replay: --frames %u-%u: the capture holds frames 0-%u\n", first, last, frameCount - 1);
        return kExitUsage;
    }
    if (!CheckReplayLimits(capture, error)) {
        std::fprintf(err, "mora_replay: cannot replay %s: %s\n", options.capturePath.c_str(), error.c_str());
        return kExitBadCapture;
    }
    if (options.compare && !AnyReferencePixels(capture, first, last)) {
        std::fprintf(err,
                     "mora_replay: %s has no reference pixels to compare with (capture with "
                     "MORA_CAPTURE_REFERENCE_PIXELS=1)\n",
                     options.capturePath.c_str());
        return kExitBadCapture;
    }
    if (!options.pngDirectory.empty()) {
        std::error_code created;
        std::filesystem::create_directories(options.pngDirectory, created);
        if (created || !std::filesystem::is_directory(options.pngDirectory)) {
            std::fprintf(err, "mora_replay: cannot create the folder %s\n", options.pngDirectory.c_str());
            return kExitOutputFailed;
        }
    }

    RuntimeRequest request;
    request.forceIsa = options.forceIsa;
    request.threads = options.threads;
    request.vrsRate = options.vrsRate;
    RuntimeDescription runtime;
    if (!StartReplayRuntime(request, runtime, error)) {
        std::fprintf(err, "mora_replay: %s\n", error.c_str());
        return kExitUsage;
    }
    RuntimeScope runtimeScope;

    ReplaySession session;
    if (!PrepareReplaySession(session, capture, error)) {
        std::fprintf(err, "mora_replay: cannot replay %s: %s\n", options.capturePath.c_str(), error.c_str());
        return kExitBadCapture;
    }
    std::fprintf(err,
                 "mora_replay: %s: %u frames, %ux%u, %zu texture slots (%" PRIu64
                 " texel bytes); "
                 "replaying frames %u-%u with the %s kernel, %u render threads, vrs %d\n",
                 options.capturePath.c_str(), frameCount, capture.width, capture.height, capture.textures.size(),
                 capture.textureBytes, first, last, runtime.isaName.c_str(), runtime.workerThreads, runtime.vrsRate);

    int status = kExitSuccess;
    if (options.benchRuns == 0 || options.compare || !options.pngDirectory.empty()) {
        const uint64_t start = platform::PerformanceCounter();
        status = ReplayOnce(session, options, first, last, out, err);
        if (status != kExitSuccess && status != kExitFramesDiffer) return status;
        const double seconds = static_cast<double>(platform::TicksToNanoseconds(platform::PerformanceCounter() - start,
                                                                                platform::PerformanceFrequency())) /
                               1e9;
        std::fprintf(err, "mora_replay: replayed frames 0-%u in %.3f s\n", last, seconds);
    }
    if (options.benchRuns > 0) {
        ProgressReporter progress;
        StartProgress(progress, err);
        const BenchReport report = RunReplayBench(session, first, last, options.benchRuns, progress);
        std::fprintf(out, "bench: frames %u-%u of %s, %ux%u, %s kernel, %u render threads, vrs %d\n", first, last,
                     options.capturePath.c_str(), capture.width, capture.height, runtime.isaName.c_str(),
                     runtime.workerThreads, runtime.vrsRate);
        PrintBenchReport(out, report);
        std::fprintf(out, "profile (whole process):\n%s", diag::ProfileReport().c_str());
    }
    return status;
}

}  // namespace

int RunReplayTool(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err) {
    try {
        return Run(arguments, out, err);
    } catch (const std::bad_alloc&) {
        std::fprintf(err, "mora_replay: out of memory\n");
    } catch (const std::exception& failure) {
        std::fprintf(err, "mora_replay: %s\n", failure.what());
    } catch (...) {
        std::fprintf(err, "mora_replay: replay failed\n");
    }
    return kExitBadCapture;
}

}  // namespace mora::replay
