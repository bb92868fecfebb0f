// The process-wide capture as the frame loop drives it: start-up switches, the frames a range
// writes, retries, hotkey and panel requests, closing and the panel's last-capture line.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "capture/capture_format.h"
#include "capture/capture_reader.h"
#include "capture/capture_session.h"
#include "capture/capture_test_support.h"
#include "gl/gl_context.h"
#include "gl/pending_keyframe.h"
#include "panel/driver_settings.h"
#include "platform/environment.h"
#include "test_support/driver_state.h"

namespace mora {
namespace {

class CaptureSessionTest : public testing::Test {
protected:
    void SetUp() override { test::ResetDriverState(); }
    void TearDown() override {
        test::ResetDriverState();
        platform::UnsetEnvironment("MORA_CAPTURE_FRAMES");
        platform::UnsetEnvironment("MORA_CAPTURE_REFERENCE_PIXELS");
    }

    // One wglSwapBuffers of frame `frame` with recording on, then the poll. True when the poll
    // asked for a quit.
    bool RunFrame(int32_t frame, bool recording = true) {
        OpenCaptureIfDue(frame, test::PatternSnapshot(static_cast<uint32_t>(frame)), table, 4, 2);
        const test::RecordedFrame recorded = test::MakeFrame(static_cast<uint32_t>(frame), 4, 2, true);
        if (recording) {
            const bool withPixels = CaptureReferencePixelsOn();
            AppendCaptureFrame(frame, recorded.commands.stream, recorded.commands.blob,
                               withPixels ? recorded.pixels.data() : nullptr, withPixels ? recorded.pixels.size() : 0);
        }
        return CloseFinishedCapture(frame + 1);
    }

    test::TempDir folder;
    std::vector<TextureSlot> table = {test::ImageSlot(2, 2, 3)};
};

TEST_F(CaptureSessionTest, EnvironmentRangeArmsOnlyWellFormedValues) {
    struct Case {
        const char* value;
        int32_t first, last;
        const char* name;
    };
    for (const Case c : {Case{"100-109", 100, 109, "MORA_capture_frames100-109.mora-capture"},
                         Case{"0", 0, 0, "MORA_capture_frame0.mora-capture"}, Case{"109-100", -1, -1, ""},
                         Case{"00000000000000000000000000000001", -1, -1, ""}}) {  // longer than the value buffer
        SCOPED_TRACE(c.value);
        ResetCaptureSession();
        ASSERT_TRUE(platform::SetEnvironment("MORA_CAPTURE_FRAMES", c.value));
        EXPECT_EQ(ArmCaptureFromEnvironment(), c.first >= 0);
        EXPECT_EQ(CurrentCaptureRange().first, c.first);
        EXPECT_EQ(CurrentCaptureRange().last, c.last);
        EXPECT_STREQ(CaptureFileName(), c.name);
    }
}

TEST_F(CaptureSessionTest, EnvironmentRangeWritesItsFramesThenAsksToQuit) {
    SetCaptureDirectory(folder.path.c_str());
    ASSERT_TRUE(platform::SetEnvironment("MORA_CAPTURE_FRAMES", "10-12"));
    ASSERT_TRUE(ArmCaptureFromEnvironment());
    SetCaptureReferencePixels(true);
    for (int32_t frame = 8; frame <= 14; ++frame) {
        EXPECT_EQ(CaptureCoversFrame(frame), frame >= 10 && frame <= 12) << frame;
        EXPECT_EQ(RunFrame(frame), frame == 12) << frame;  // quit-after: once, after the last frame
        EXPECT_EQ(CaptureFileOpen(), frame == 10 || frame == 11) << frame;
    }

    // What the file holds is the replay round trips' to check: they replay such captures against
    // their reference pixels. The panel's last-capture line tells its size.
    const LastCaptureInfo info = ReadLastCaptureInfo();
    EXPECT_EQ(info.frameCount, 3u);
    EXPECT_EQ(static_cast<int64_t>(info.fileBytes),
              platform::FileSize(folder.File("MORA_capture_frames10-12.mora-capture").c_str()));
}

TEST_F(CaptureSessionTest, FailedOpenIsRetriedAndDetachFinishesTheFile) {
    const std::string later = folder.File("later");
    SetCaptureDirectory(later.c_str());
    ASSERT_TRUE(StartCaptureRange(3, 9, false));
    EXPECT_FALSE(RunFrame(3));  // the folder does not exist yet
    EXPECT_FALSE(CaptureFileOpen());
    ASSERT_TRUE(platform::CreateDirectory(later.c_str()));
    RunFrame(4, /*recording=*/false);  // opened; a frame without recording writes nothing
    EXPECT_TRUE(CaptureFileOpen());
    RunFrame(5);
    FinishCaptureAtDetach();
    EXPECT_FALSE(CaptureFileOpen());

    const std::string path = later + "/MORA_capture_frames3-9.mora-capture";
    EXPECT_EQ(LoadLittleEndian32(test::ReadBytes(path).data() + 16), 1u);  // finished with its frame count
    CaptureData data;
    ASSERT_TRUE(ReadCapture(path.c_str(), data));
    ASSERT_EQ(data.frameStreams.size(), 1u);
    EXPECT_EQ(data.frameStreams[0], test::BufferBytes(test::MakeFrame(5, 4, 2, true).commands.stream));
    EXPECT_EQ(std::memcmp(data.snapshot.bytes, test::PatternSnapshot(4).bytes, kKeyframeSnapshotBytes), 0);
    EXPECT_EQ(ReadLastCaptureInfo().frameCount, 1u);
}

TEST_F(CaptureSessionTest, OpenTakesTheFrameStartTextures) {
    SetCaptureDirectory(folder.path.c_str());
    auto ctx = std::make_unique<GlContext>();
    AssignTextureTable(ctx->textureTable, std::vector<TextureSlot>{test::ImageSlot(1, 1, 1), test::ImageSlot(4, 4, 500),
                                                                   test::ImageSlot(2, 2, 9)});
    PendingKeyframe pending;
    pending.valid = true;
    pending.snapshot = test::PatternSnapshot(42);
    pending.textureCount = 2;  // slot 2 was created during the frame
    pending.slotIndices = {1};
    pending.savedSlots = {test::ImageSlot(2, 1, 77)};  // slot 1 before the frame changed it
    ASSERT_TRUE(StartCaptureRange(7, 7, false));
    EXPECT_FALSE(OpenCaptureIfDue(6, pending, *ctx, 4, 2));
    ASSERT_TRUE(OpenCaptureIfDue(7, pending, *ctx, 4, 2));
    CloseFinishedCapture(8);

    CaptureData data;
    ASSERT_TRUE(ReadCapture(folder.File("MORA_capture_frame7.mora-capture").c_str(), data));
    ASSERT_EQ(data.textures.size(), 2u);
    EXPECT_EQ(data.textures[1].texels, pending.savedSlots[0].texels);
    EXPECT_EQ(std::memcmp(data.snapshot.bytes, pending.snapshot.bytes, kKeyframeSnapshotBytes), 0);
    EXPECT_EQ(ctx->textureTable.size(), 3u);  // the live context is untouched
}

TEST_F(CaptureSessionTest, HotkeyAndPanelStartOneCaptureOfTheConfiguredLength) {
    SetCaptureDirectory(folder.path.c_str());
    SetSettingValue(TheDriverSettings().CaptureFrameCount, 5);
    // Key seen at the poll after frame 19: frames 21..25, from the second frame after the press.
    EXPECT_TRUE(StartRequestedCapture(20, true));
    EXPECT_EQ(CurrentCaptureRange().first, 21);
    EXPECT_EQ(CurrentCaptureRange().last, 25);
    EXPECT_FALSE(CloseFinishedCapture(26));         // no quit-after
    EXPECT_FALSE(StartRequestedCapture(26, true));  // still held: no second capture
    EXPECT_FALSE(StartRequestedCapture(27, false));
    EXPECT_TRUE(StartRequestedCapture(28, true));
    CloseFinishedCapture(100);

    // A panel request while a capture is armed is dropped, not kept for later.
    EXPECT_TRUE(StartCaptureRange(200, 201, false));
    RequestCapture();
    EXPECT_FALSE(StartRequestedCapture(150, false));
    CloseFinishedCapture(202);
    EXPECT_FALSE(StartRequestedCapture(202, false));
}

}  // namespace
}  // namespace mora
