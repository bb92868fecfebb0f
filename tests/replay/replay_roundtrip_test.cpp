// Captures recorded by the driver (through its public API, with reference pixels) replay to the
// same pixels bit for bit on the same kernel variant, whatever the thread count, frame range or
// number of runs; and the tool's outputs (compare report, PNG files, bench runs) describe them.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "capture/capture_reader.h"
#include "capture/capture_test_support.h"
#include "frame_compare.h"
#include "platform/file.h"
#include "raster/isa_dispatch.h"
#include "replay/replay_test_support.h"
#include "replay_bench.h"
#include "replay_runtime.h"
#include "replay_session.h"

namespace mora_replay_test {
namespace {

using mora::CaptureData;
using mora::replay::ReplaySession;

struct RuntimeGuard {
    ~RuntimeGuard() { mora::replay::StopReplayRuntime(); }
};

// The replay runtime started in this process and a session prepared on `capture`; the runtime
// stops again once the session is gone.
struct InProcessReplay {
    RuntimeGuard guard;
    ReplaySession session;
    bool ready = false;

    explicit InProcessReplay(const CaptureData& capture) {
        mora::replay::RuntimeRequest request;
        request.threads = 1;
        mora::replay::RuntimeDescription runtime;
        std::string error;
        ready = mora::replay::StartReplayRuntime(request, runtime, error) &&
                mora::replay::PrepareReplaySession(session, capture, error);
        if (!ready) ADD_FAILURE() << error;
    }
    std::vector<uint8_t> Image() const {
        std::vector<uint8_t> image;
        mora::replay::CopyTightBgra(session.surface, image);
        return image;
    }
};

// Replays the ten frames of the capture at `path` with mora-replay and `options`, comparing each
// with its reference pixels; "" when every one is identical, else what the tool said.
std::string ReplayDifference(const ScratchFolder& folder, const std::string& path, std::vector<std::string> options) {
    options.insert(options.begin(), {path, "--compare"});
    const ProgramRun run = RunReplayExecutable(folder, options);
    const bool identical =
        run.status == 0 &&
        run.out.ends_with("compare: 10 frames compared, 0 beyond tolerance 0, 0 without reference pixels\n");
    return identical ? "" : run.out + run.err;
}

CaptureData LoadCapture(const std::string& path) {
    CaptureData capture;
    std::string error;
    EXPECT_TRUE(mora::ReadCapture(path.c_str(), capture, &error)) << path << ": " << error;
    return capture;
}

// --- Bit-exact round trip on every variant this processor runs ---

TEST(ReplayRoundTrip, EveryFrameMatchesItsReferencePixelsOnEveryVariant) {
    for (int32_t isa = 0; isa < 4; ++isa) {
        if (!mora::raster::IsaSupported(isa)) continue;  // not on this processor
        const char* name = mora::raster::IsaName(isa);
        ScratchFolder folder;
        const std::string path = RecordCapture(folder, {.isa = name});
        ASSERT_FALSE(path.empty()) << name << ": the driver wrote no capture";
        EXPECT_EQ(ReplayDifference(folder, path, {"--isa", name, "--threads", "1"}), "") << name;
    }
}

// --- Replays that must not depend on how they are run ---

class RecordedCapture : public ::testing::Test {
protected:
    void SetUp() override {
        // The environment-started capture ends the application once its last frame is written;
        // that exit must be an ordinary one.
        ProgramRun run;
        path = RecordCapture(folder, CaptureRequest{}, &run);
        ASSERT_FALSE(path.empty()) << "the driver wrote no capture";
        EXPECT_EQ(run.status, 0) << run.err;
        capture = LoadCapture(path);
        ASSERT_EQ(capture.frameStreams.size(), 10u);
    }
    ScratchFolder folder;
    std::string path;
    CaptureData capture;
};

TEST_F(RecordedCapture, ThreadCountKeepsThePixelsAndForcedShadingRateChangesThem) {
    // The recording ran with the default pool; no workers, one, two, and more workers than processors
    // must all give the recorded pixels.
    for (const char* threads : {"0", "1", "2", "5"})
        EXPECT_EQ(ReplayDifference(folder, path, {"--threads", threads}), "") << threads;
    // It shaded adaptively; forcing every tile to quarter rate must show in the compare, which proves
    // the option reaches the renderer.
    EXPECT_EQ(RunReplayExecutable(folder, {path, "--compare", "--vrs", "2", "--frames", "0-0"}).status,
              1);  // frames differ
}

// The scene drawn with its ground from a display list, its cube from vertex arrays and a panel
// from interleaved arrays in a list compiled and run each frame records exactly the frames of the
// immediate-mode scene, so its capture replays as that one does.
TEST_F(RecordedCapture, ArraysAndListsRecordTheImmediateFrames) {
    ScratchFolder loweredFolder;
    const std::string loweredPath = RecordCapture(loweredFolder, {.arraysAndLists = true});
    ASSERT_FALSE(loweredPath.empty()) << "the driver wrote no capture";
    const CaptureData recorded = LoadCapture(loweredPath);
    EXPECT_TRUE(recorded.frameStreams == capture.frameStreams);
    EXPECT_TRUE(recorded.frameBlobs == capture.frameBlobs);
    EXPECT_TRUE(recorded.frameReferencePixels == capture.frameReferencePixels);
}

TEST_F(RecordedCapture, BenchRunsRestartFromTheCaptureStart) {
    InProcessReplay replay(capture);
    ASSERT_TRUE(replay.ready);
    mora::replay::ProgressReporter silent;
    // Frames 4-9 three times: every run must end on the recorded last frame, which holds only if
    // each run started again from the captured state (frames 5 and 8 draw over earlier frames).
    const mora::replay::BenchReport report = mora::replay::RunReplayBench(replay.session, 4, 9, 3, silent);
    ASSERT_EQ(report.runSeconds.size(), 3u);
    EXPECT_EQ(report.stages.frames, 18u);
    EXPECT_EQ(mora::replay::CompareBgra(replay.Image(), capture.frameReferencePixels[9]).differingPixels, 0u);
}

TEST_F(RecordedCapture, ChangedReferencePixelsFailTheCompareBeyondTheTolerance) {
    // Reference pixels carry no checksum. Flipping bit 3 of one green byte and bit 1 of another
    // pixel's blue byte in the last frame (the file's last bytes) makes differences of exactly 8 and 2.
    std::vector<uint8_t> file = mora::test::ReadBytes(path);
    const std::size_t pixels = file.size() - 200 * 150 * 4;
    file[pixels + 4 * 1000 + 1] ^= 0x08;
    file[pixels + 4 * 2000 + 0] ^= 0x02;
    const std::string edited = folder.File("edited.mora-capture");
    mora::platform::ReplaceFileAtomically(edited.c_str(), file.data(), file.size());

    // Only the requested frames are compared.
    const ProgramRun strict = RunReplayExecutable(folder, {edited, "--compare", "--frames", "7-9"});
    EXPECT_EQ(strict.status, 1) << strict.err;
    // PSNR over all 4 x 30000 channel bytes: 10 log10(255^2 / ((64 + 4) / 120000)).
    EXPECT_EQ(strict.out,
              "frame 7: identical\nframe 8: identical\nframe 9: max channel difference 8, 2 of 30000 pixels differ, "
              "PSNR 80.60 dB\ncompare: 3 frames compared, 1 beyond tolerance 0, 0 without reference pixels\n");
    EXPECT_EQ(RunReplayExecutable(folder, {edited, "--compare", "--tolerance", "8"}).status, 0);
    EXPECT_EQ(RunReplayExecutable(folder, {edited, "--compare", "--tolerance", "7"}).status, 1);
}

// An 8-bit PNG decoded as B, G, R bytes, rows from the top; empty when it cannot be read.
std::vector<uint8_t> ReadBgrPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return {};
    image.format = PNG_FORMAT_BGR;
    std::vector<uint8_t> bgr(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, bgr.data(), 0, nullptr) == 0) return {};
    return bgr;
}

TEST_F(RecordedCapture, PngFilesHoldTheReplayedFrames) {
    const std::string pngFolder = folder.File("png/nested");
    const ProgramRun run = RunReplayExecutable(folder, {path, "--frames", "7-8", "--png", pngFolder});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(mora::platform::FileExists((pngFolder + "/frame_00006.png").c_str()));
    for (uint32_t frame : {7u, 8u}) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%05u.png", frame);
        std::vector<uint8_t> expected;  // the reference pixels less their fourth byte
        for (std::size_t i = 0; i < capture.frameReferencePixels[frame].size(); ++i) {
            if (i % 4 != 3) expected.push_back(capture.frameReferencePixels[frame][i]);
        }
        EXPECT_TRUE(ReadBgrPng(pngFolder + name) == expected) << name;  // another width would shift the rows
    }
}

}  // namespace
}  // namespace mora_replay_test
