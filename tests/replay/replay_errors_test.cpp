// Files the replay cannot use end with the reader's or the replay limit's message on the error
// stream and a non-zero exit status, from the executable as from the in-process tool.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/capture_format.h"
#include "capture/capture_test_support.h"
#include "gl/keyframe_snapshot.h"
#include "platform/file.h"
#include "replay/replay_test_support.h"

namespace mora_replay_test {
namespace {

class DamagedCapture : public ::testing::Test {
protected:
    void SetUp() override {
        // Frames 3-5 (frame 5 draws over frame 3, which the capture holds), without reference pixels.
        path = RecordCapture(folder,
                             {.width = 64, .height = 48, .sceneFrames = 7, .lastFrame = 5, .referencePixels = false});
        ASSERT_FALSE(path.empty()) << "the driver wrote no capture";
        bytes = mora::test::ReadBytes(path);
        ASSERT_GT(bytes.size(), mora::kCaptureTextureTableOffset);
    }
    // Writes `edited` next to the capture and runs the executable on it.
    ProgramRun ReplayEdited(const std::vector<uint8_t>& edited) {
        const std::string file = folder.File("damaged.mora-capture");
        mora::platform::ReplaceFileAtomically(file.c_str(), edited.data(), edited.size());
        return RunReplayExecutable(folder, {file});
    }
    ScratchFolder folder;
    std::string path;
    std::vector<uint8_t> bytes;
};

TEST_F(DamagedCapture, UnreadableCapturesAndCapturesBeyondTheReplayLimitsAreRefused) {
    // The reader's messages (each checked in tests/capture/capture_reader_test.cpp) reach the user.
    const ProgramRun missing = RunReplayExecutable(folder, {folder.File("absent.mora-capture")});
    EXPECT_EQ(missing.status, 3);
    EXPECT_EQ(missing.err, "mora_replay: cannot load " + folder.File("absent.mora-capture") + ": cannot open file\n");

    // A keyframe framebuffer far beyond any surface (the snapshot carries no checksum); every other
    // limit is checked in replay_limits_test.cpp.
    std::vector<uint8_t> edited = bytes;
    const uint64_t grid =
        mora::DecodeCaptureHeader(edited.data()).keyframeOffset + mora::snapshot_offset::kTileGridSize;
    mora::StoreLittleEndian32(edited.data() + grid, 100000);
    const ProgramRun run = ReplayEdited(edited);
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find(": keyframe framebuffer 100000x48 exceeds the replay limit of 8192 pixels per side\n"),
              std::string::npos)
        << run.err;
}

TEST_F(DamagedCapture, CommandLineAndOutputErrorsAndNoReferencePixels) {
    // Without reference pixels there is nothing to compare with; the replay itself runs.
    const ProgramRun compare = RunReplayExecutable(folder, {path, "--compare"});
    EXPECT_EQ(compare.status, 3);
    EXPECT_NE(compare.err.find(" has no reference pixels to compare with"), std::string::npos) << compare.err;
    EXPECT_EQ(RunReplayExecutable(folder, {path}).status, 0);

    const ProgramRun range = RunReplayExecutable(folder, {path, "--frames", "2-7"});
    EXPECT_EQ(range.status, 2);
    EXPECT_EQ(range.err, "mora_replay: --frames 2-7: the capture holds frames 0-2\n");

    const ProgramRun unknown = RunReplayExecutable(folder, {path, "--fast"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err.rfind("mora_replay: unknown option --fast\nusage: mora-replay FILE.mora-capture", 0), 0u)
        << unknown.err;

    const ProgramRun help = RunReplayExecutable(folder, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: mora-replay FILE.mora-capture", 0), 0u) << help.out;

    // An unwritable PNG folder (a file where the folder should be) is an output error.
    const std::string blocker = folder.File("blocker");
    mora::platform::ReplaceFileAtomically(blocker.c_str(), "123", 3);
    const ProgramRun run = RunReplayExecutable(folder, {path, "--png", blocker});
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "mora_replay: cannot create the folder " + blocker + "\n");
}

}  // namespace
}  // namespace mora_replay_test
