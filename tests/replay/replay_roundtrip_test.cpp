// Captures recorded by the driver (through its public API, with reference pixels) replay to the
// same pixels bit for bit on the same kernel variant, whatever the thread count, frame range or
// number of runs; and the tool's outputs (compare report, PNG files, bench runs) describe them.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture/capture_format.h"
#include "capture/capture_reader.h"
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

    InProcessReplay(const CaptureData& capture, int32_t forceIsa, int32_t threads) {
        mora::replay::RuntimeRequest request;
        request.forceIsa = forceIsa;
        request.threads = threads;
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

// Replays every frame of `capture` in this process and returns the shown image of each frame.
std::vector<std::vector<uint8_t>> ReplayAllFrames(const CaptureData& capture, int32_t forceIsa, int32_t threads) {
    InProcessReplay replay(capture, forceIsa, threads);
    std::vector<std::vector<uint8_t>> images;
    if (!replay.ready) return images;
    mora::replay::RestoreCaptureStart(replay.session);
    while (mora::replay::ReplayNextFrame(replay.session, nullptr)) images.push_back(replay.Image());
    return images;
}

void ExpectFramesMatchReference(const CaptureData& capture, const std::vector<std::vector<uint8_t>>& images,
                                const std::string& label) {
    ASSERT_EQ(images.size(), capture.frameReferencePixels.size()) << label;
    for (std::size_t frame = 0; frame < images.size(); ++frame) {
        const mora::replay::FrameDifference difference =
            mora::replay::CompareBgra(images[frame], capture.frameReferencePixels[frame]);
        EXPECT_FALSE(difference.sizeMismatch) << label << " frame " << frame;
        EXPECT_EQ(difference.differingPixels, 0u)
            << label << " frame " << frame << ": max channel difference " << difference.maxChannelDifference;
    }
}

CaptureData LoadCapture(const std::string& path) {
    CaptureData capture;
    std::string error;
    EXPECT_TRUE(mora::ReadCapture(path.c_str(), capture, &error)) << path << ": " << error;
    return capture;
}

// --- Bit-exact round trip on every variant this processor runs ---

class ReplayRoundTripPerIsa : public ::testing::TestWithParam<int32_t> {};

TEST_P(ReplayRoundTripPerIsa, EveryFrameMatchesItsReferencePixels) {
    const int32_t forceIsa = GetParam();
    const char* name = mora::raster::IsaName(forceIsa - 1);
    if (!mora::raster::IsaSupported(forceIsa - 1)) GTEST_SKIP() << name << " does not run on this processor";
    ScratchFolder folder;
    CaptureRequest request;
    request.isa = name;
    const std::string path = RecordCapture(folder, request);
    ASSERT_FALSE(path.empty()) << "the driver wrote no capture";
    const CaptureData capture = LoadCapture(path);
    ASSERT_EQ(capture.frameStreams.size(), 10u);
    ExpectFramesMatchReference(capture, ReplayAllFrames(capture, forceIsa, 1), name);
}

INSTANTIATE_TEST_SUITE_P(Variants, ReplayRoundTripPerIsa, ::testing::Values(1, 2, 3, 4),
                         [](const ::testing::TestParamInfo<int32_t>& variant) {
                             return std::string(mora::raster::IsaName(variant.param - 1));
                         });

// --- Frames drawn through vertex arrays and display lists ---

// The scene drawn with its ground from a display list, its cube from vertex arrays and a panel
// from interleaved arrays in a list compiled and run each frame records exactly the frames of the
// immediate-mode scene, so its capture replays, bit for bit, on any build of the replay.
TEST(LoweredCapture, ArraysAndListsRecordTheImmediateFramesAndReplayBitForBit) {
    ScratchFolder immediateFolder;
    ScratchFolder loweredFolder;
    CaptureRequest lowered;
    lowered.arraysAndLists = true;
    const std::string immediatePath = RecordCapture(immediateFolder, CaptureRequest{});
    const std::string loweredPath = RecordCapture(loweredFolder, lowered);
    ASSERT_FALSE(immediatePath.empty() || loweredPath.empty()) << "the driver wrote no capture";
    const CaptureData immediate = LoadCapture(immediatePath);
    const CaptureData capture = LoadCapture(loweredPath);
    ASSERT_EQ(capture.frameStreams.size(), 10u);
    EXPECT_TRUE(capture.frameStreams == immediate.frameStreams);
    EXPECT_TRUE(capture.frameBlobs == immediate.frameBlobs);
    EXPECT_TRUE(capture.frameReferencePixels == immediate.frameReferencePixels);
    ExpectFramesMatchReference(capture, ReplayAllFrames(capture, 0, 1), "arrays and lists");
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

TEST_F(RecordedCapture, ThreadCountDoesNotChangeThePixels) {
    // The recording ran with the default pool; no workers, one, two, and more workers than processors
    // must all give the recorded pixels.
    for (int32_t threads : {0, 1, 2, 5}) {
        ExpectFramesMatchReference(capture, ReplayAllFrames(capture, 0, threads), "threads " + std::to_string(threads));
    }
}

TEST_F(RecordedCapture, BenchRunsRestartFromTheCaptureStart) {
    InProcessReplay replay(capture, 0, 1);
    ASSERT_TRUE(replay.ready);
    mora::replay::ProgressReporter silent;
    // Frames 4-9 three times: every run must end on the recorded last frame, which holds only if
    // each run started again from the captured state (frames 5 and 8 draw over earlier frames).
    const mora::replay::BenchReport report = mora::replay::RunReplayBench(replay.session, 4, 9, 3, silent);
    ASSERT_EQ(report.runSeconds.size(), 3u);
    EXPECT_EQ(report.stages.frames, 18u);
    EXPECT_EQ(mora::replay::CompareBgra(replay.Image(), capture.frameReferencePixels[9]).differingPixels, 0u);
    // Restoring once more and replaying from the start gives frame 0 again.
    mora::replay::RestoreCaptureStart(replay.session);
    ASSERT_TRUE(mora::replay::ReplayNextFrame(replay.session, nullptr));
    EXPECT_EQ(mora::replay::CompareBgra(replay.Image(), capture.frameReferencePixels[0]).differingPixels, 0u);
}

TEST_F(RecordedCapture, ToolComparesOnlyTheRequestedFrames) {
    const ProgramRun run = RunReplayInProcess({path, "--frames", "4-6", "--compare"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "frame 4: identical\nframe 5: identical\nframe 6: identical\n"
              "compare: 3 frames compared, 0 beyond tolerance 0, 0 without reference pixels\n");
}

TEST_F(RecordedCapture, ChangedReferencePixelsFailTheCompareBeyondTheTolerance) {
    // Reference pixels carry no checksum. Flipping bit 3 of one green byte and bit 1 of another
    // pixel's blue byte in frame 2 makes differences of exactly 8 and 2.
    std::vector<uint8_t> file = ReadBytes(path);
    const uint64_t record = FrameRecordOffset(file, 2);
    ASSERT_LT(record + mora::kFrameRecordHeaderBytes, file.size());
    const mora::FrameRecordHeader sizes = mora::DecodeFrameRecordHeader(file.data() + record);
    ASSERT_EQ(sizes.referencePixelBytes, 200u * 150u * 4u);
    const uint64_t pixels = record + mora::kFrameRecordHeaderBytes + sizes.commandBytes + sizes.blobBytes;
    file[pixels + 4 * 1000 + 1] ^= 0x08;
    file[pixels + 4 * 2000 + 0] ^= 0x02;
    const std::string edited = folder.File("edited.mora-capture");
    WriteBytes(edited, file);

    const ProgramRun strict = RunReplayInProcess({edited, "--compare"});
    EXPECT_EQ(strict.status, 1) << strict.err;
    // PSNR over all 4 x 30000 channel bytes: 10 log10(255^2 / ((64 + 4) / 120000)).
    EXPECT_NE(strict.out.find("frame 2: max channel difference 8, 2 of 30000 pixels differ, PSNR 80.60 dB\n"),
              std::string::npos)
        << strict.out;
    EXPECT_NE(strict.out.find("frame 1: identical\nframe 2: max"), std::string::npos) << strict.out;
    EXPECT_NE(strict.out.find("frame 3: identical\n"), std::string::npos) << strict.out;
    EXPECT_NE(strict.out.find("compare: 10 frames compared, 1 beyond tolerance 0, 0 without reference pixels\n"),
              std::string::npos)
        << strict.out;

    EXPECT_EQ(RunReplayInProcess({edited, "--compare", "--tolerance", "8"}).status, 0);
    EXPECT_EQ(RunReplayInProcess({edited, "--compare", "--tolerance", "7"}).status, 1);
    // The executable reports the same through its exit status.
    EXPECT_EQ(RunReplayExecutable(folder, {edited, "--compare", "--tolerance", "7"}).status, 1);
    EXPECT_EQ(RunReplayExecutable(folder, {edited, "--compare", "--tolerance", "8"}).status, 0);
}

TEST_F(RecordedCapture, ForcedQuarterRateShadingChangesTheReplay) {
    // The recording shaded adaptively; forcing every tile to quarter rate must show in the compare,
    // which proves the option reaches the renderer.
    const ProgramRun run = RunReplayInProcess({path, "--compare", "--vrs", "2", "--frames", "0-0"});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
}

// Decodes an 8-bit RGB PNG into 0xRRGGBB words.
std::vector<uint32_t> ReadRgbPng(const std::string& path, int& width, int& height) {
    std::vector<uint32_t> pixels;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return pixels;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) return pixels;
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        pixels.push_back(static_cast<uint32_t>(rgb[i]) << 16 | static_cast<uint32_t>(rgb[i + 1]) << 8 | rgb[i + 2]);
    }
    return pixels;
}

TEST_F(RecordedCapture, PngFilesHoldTheReplayedFrames) {
    const std::string pngFolder = folder.File("png/nested");
    const ProgramRun run = RunReplayInProcess({path, "--frames", "7-8", "--png", pngFolder});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(mora::platform::FileExists((pngFolder + "/frame_00006.png").c_str()));
    for (uint32_t frame : {7u, 8u}) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%05u.png", frame);
        int width = 0;
        int height = 0;
        const std::vector<uint32_t> rgb = ReadRgbPng(pngFolder + name, width, height);
        ASSERT_EQ(width, 200) << name;
        ASSERT_EQ(height, 150) << name;
        ASSERT_EQ(rgb.size(), 200u * 150u);
        const std::vector<uint8_t>& reference = capture.frameReferencePixels[frame];
        std::size_t mismatches = 0;
        for (std::size_t i = 0; i < rgb.size(); ++i) {
            const uint32_t expected = static_cast<uint32_t>(reference[4 * i + 2]) << 16 |
                                      static_cast<uint32_t>(reference[4 * i + 1]) << 8 | reference[4 * i];
            if (rgb[i] != expected) ++mismatches;
        }
        EXPECT_EQ(mismatches, 0u) << name;
    }
}

TEST(ReplayWithoutReferencePixels, CompareIsRefusedButReplayRuns) {
    ScratchFolder folder;
    CaptureRequest request;
    request.referencePixels = false;
    request.firstFrame = 0;
    request.lastFrame = 4;
    const std::string path = RecordCapture(folder, request);
    ASSERT_FALSE(path.empty());
    const ProgramRun compare = RunReplayInProcess({path, "--compare"});
    EXPECT_EQ(compare.status, 3);
    EXPECT_NE(compare.err.find("has no reference pixels to compare with"), std::string::npos) << compare.err;
    const ProgramRun plain = RunReplayInProcess({path});
    EXPECT_EQ(plain.status, 0) << plain.err;
}

}  // namespace
}  // namespace mora_replay_test
