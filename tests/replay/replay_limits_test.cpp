// The limits a replay puts on a capture's commands walk the stream as the executor does: records
// it would run are checked, records it would never reach are not.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gl/command_records.h"
#include "gl/keyframe_snapshot.h"
#include "replay_limits.h"

namespace mora_replay_test {
namespace {

using mora::CmdOp;
using mora::replay::CheckFrameCommandLimits;

template <typename Record>
void Append(std::vector<uint8_t>& stream, CmdOp op, Record record) {
    record.header = mora::MakeCmdHeader(op);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    stream.insert(stream.end(), bytes, bytes + sizeof record);
}

void AppendViewport(std::vector<uint8_t>& stream, int32_t width, int32_t height) {
    Append(stream, CmdOp::Viewport, mora::CmdRect{0, 0, 0, width, height});
}

// The refusal message for one frame's stream, or "accepted".
std::string Verdict(const std::vector<uint8_t>& stream, std::size_t tableSize = 0) {
    uint64_t generated = 0;
    std::string error;
    return CheckFrameCommandLimits(stream, tableSize, generated, error) ? "accepted" : error;
}

TEST(ReplayLimits, ViewportAndTextureSidesUpToTheLimit) {
    std::vector<uint8_t> stream;
    AppendViewport(stream, 8192, 8192);
    AppendViewport(stream, -5, 100);  // a negative size asks for nothing
    mora::CmdTexImage2D image{};
    image.width = 8192;
    image.height = 1;
    Append(stream, CmdOp::TexImage2D, image);
    EXPECT_EQ(Verdict(stream), "accepted");

    std::vector<uint8_t> wide = stream;
    AppendViewport(wide, 8193, 10);
    EXPECT_EQ(Verdict(wide), "glViewport 8193x10 exceeds the replay limit of 8192 pixels per side");

    std::vector<uint8_t> tall = stream;
    mora::CmdTexSubImage2D sub{};
    sub.width = 4;
    sub.height = 8193;
    Append(tall, CmdOp::TexSubImage2D, sub);
    EXPECT_EQ(Verdict(tall), "texture image 4x8193 exceeds the replay limit of 8192 texels per side");
}

TEST(ReplayLimits, TextureNamesAreBounded) {
    std::vector<uint8_t> stream;
    Append(stream, CmdOp::BindTexture, mora::CmdBindTexture{0, 0x0DE1, 65535});
    EXPECT_EQ(Verdict(stream), "accepted");
    Append(stream, CmdOp::BindTexture, mora::CmdBindTexture{0, 0x0DE1, 65536});
    EXPECT_EQ(Verdict(stream), "glBindTexture name 65536 exceeds the replay limit of 65536 names");
    // A captured table larger than the limit may be used whole.
    EXPECT_EQ(Verdict(stream, 70000), "accepted");

    std::vector<uint8_t> gen;
    Append(gen, CmdOp::GenTextures, mora::CmdGenTextures{0, 4097, 0});
    EXPECT_EQ(Verdict(gen), "glGenTextures of 4097 names exceeds the replay limit of 4096");

    // The running total spans frames.
    std::vector<uint8_t> many;
    for (int i = 0; i < 8; ++i) Append(many, CmdOp::GenTextures, mora::CmdGenTextures{0, 4096, 0});
    uint64_t generated = 0;
    std::string error;
    EXPECT_TRUE(CheckFrameCommandLimits(many, 0, generated, error)) << error;
    EXPECT_EQ(generated, 32768u);
    EXPECT_TRUE(CheckFrameCommandLimits(many, 0, generated, error)) << error;
    EXPECT_EQ(generated, 65536u);
    std::vector<uint8_t> one;
    Append(one, CmdOp::GenTextures, mora::CmdGenTextures{0, 1, 0});
    EXPECT_FALSE(CheckFrameCommandLimits(one, 0, generated, error));
    EXPECT_EQ(error, "glGenTextures calls ask for more than 65536 names in all");
}

TEST(ReplayLimits, RecordsTheExecutorNeverReachesAreNotChecked) {
    // After the frame-end marker.
    std::vector<uint8_t> ended;
    Append(ended, CmdOp::FrameEnd, mora::CmdNoPayload{});
    AppendViewport(ended, 100000, 100000);
    EXPECT_EQ(Verdict(ended), "accepted");

    // After a record shorter than its opcode's size (the executor stops there).
    std::vector<uint8_t> malformed(8);
    const uint32_t shortViewport = 8u << 16 | static_cast<uint32_t>(CmdOp::Viewport);
    std::memcpy(malformed.data(), &shortViewport, 4);
    AppendViewport(malformed, 100000, 100000);
    EXPECT_EQ(Verdict(malformed), "accepted");

    // A truncated record at the end is not read past the stream.
    std::vector<uint8_t> truncated;
    AppendViewport(truncated, 100000, 100000);
    truncated.pop_back();
    EXPECT_EQ(Verdict(truncated), "accepted");

    // Unknown opcodes are skipped by their size and the walk goes on.
    std::vector<uint8_t> unknown(12, 0);
    const uint32_t unknownHeader = 12u << 16 | 200u;
    std::memcpy(unknown.data(), &unknownHeader, 4);
    AppendViewport(unknown, 100000, 1);
    EXPECT_EQ(Verdict(unknown), "glViewport 100000x1 exceeds the replay limit of 8192 pixels per side");
}

TEST(ReplayLimits, SurfaceAndKeyframeSizes) {
    mora::CaptureData capture;
    std::string error;
    capture.width = 640;
    capture.height = 480;
    EXPECT_TRUE(mora::replay::CheckReplayLimits(capture, error)) << error;
    capture.height = 0;
    EXPECT_FALSE(mora::replay::CheckReplayLimits(capture, error));
    EXPECT_EQ(error, "surface size 640x0 is outside 1..8192 pixels per side");
    capture.height = 480;
    const int32_t gridWidth = 8200;
    std::memcpy(capture.snapshot.bytes + mora::snapshot_offset::kTileGridSize, &gridWidth, 4);
    EXPECT_FALSE(mora::replay::CheckReplayLimits(capture, error));
    EXPECT_EQ(error, "keyframe framebuffer 8200x0 exceeds the replay limit of 8192 pixels per side");

    std::memset(capture.snapshot.bytes, 0, sizeof capture.snapshot.bytes);
    capture.frameStreams.resize(3);
    AppendViewport(capture.frameStreams[2], 9000, 1);
    EXPECT_FALSE(mora::replay::CheckReplayLimits(capture, error));
    EXPECT_EQ(error, "frame 2: glViewport 9000x1 exceeds the replay limit of 8192 pixels per side");
}

}  // namespace
}  // namespace mora_replay_test
