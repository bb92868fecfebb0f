// The limits a replay puts on a capture's commands walk the stream as the executor does: records
// it would run are checked, records it would never reach are not.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "gl/command_records.h"
#include "replay_limits.h"

namespace mora_replay_test {
namespace {

using mora::CmdOp;
using mora::replay::CheckFrameCommandLimits;
using Stream = std::vector<uint8_t>;

template <typename Record>
Stream Append(Stream stream, CmdOp op, Record record) {
    record.header = mora::MakeCmdHeader(op);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    stream.insert(stream.end(), bytes, bytes + sizeof record);
    return stream;
}

Stream Viewport(Stream stream, int32_t width, int32_t height) {
    return Append(std::move(stream), CmdOp::Viewport, mora::CmdRect{0, 0, 0, width, height});
}

// A record header claiming `size` bytes, zeros behind it.
Stream Header(uint32_t size, uint32_t op) {
    Stream stream(size);
    const uint32_t header = size << 16 | op;
    std::memcpy(stream.data(), &header, 4);
    return stream;
}

TEST(ReplayLimits, EachRecordTheExecutorReachesIsChecked) {
    mora::CmdTexImage2D image{};
    image.width = 8192;
    image.height = 1;
    mora::CmdTexSubImage2D sub{};
    sub.width = 4;
    sub.height = 8193;
    const auto bind = [](uint32_t name) { return Append({}, CmdOp::BindTexture, mora::CmdBindTexture{0, 0, name}); };
    Stream truncated = Viewport({}, 100000, 100000);
    truncated.pop_back();  // not read past the stream's end
    const std::string tooWide = "glViewport 100000x1 exceeds the replay limit of 8192 pixels per side";
    const struct {
        Stream stream;
        std::size_t tableSize;
        std::string verdict;
    } cases[] = {
        {Append(Viewport(Viewport({}, 8192, 8192), -5, 100), CmdOp::TexImage2D, image), 0, "accepted"},
        {Viewport({}, 8193, 10), 0, "glViewport 8193x10 exceeds the replay limit of 8192 pixels per side"},
        {Append({}, CmdOp::TexSubImage2D, sub), 0,
         "texture image 4x8193 exceeds the replay limit of 8192 texels per side"},
        {bind(65535), 0, "accepted"},
        {bind(65536), 0, "glBindTexture name 65536 exceeds the replay limit of 65536 names"},
        {bind(65536), 70000, "accepted"},  // a captured table larger than the limit may be used whole
        {Append({}, CmdOp::GenTextures, mora::CmdGenTextures{0, 4097, 0}), 0,
         "glGenTextures of 4097 names exceeds the replay limit of 4096"},
        // After the frame-end marker, after a record shorter than its opcode's size: never run.
        {Viewport(Append({}, CmdOp::FrameEnd, mora::CmdNoPayload{}), 100000, 1), 0, "accepted"},
        {Viewport(Header(8, static_cast<uint32_t>(CmdOp::Viewport)), 100000, 1), 0, "accepted"},
        {truncated, 0, "accepted"},
        {Viewport(Header(12, 200), 100000, 1), 0, tooWide},  // an unknown opcode is skipped by its size
    };
    for (const auto& c : cases) {
        uint64_t generated = 0;
        std::string error;
        EXPECT_EQ(CheckFrameCommandLimits(c.stream, c.tableSize, generated, error) ? "accepted" : error, c.verdict);
    }

    // Generated names add up across frames.
    Stream many;
    for (int i = 0; i < 16; ++i) many = Append(std::move(many), CmdOp::GenTextures, mora::CmdGenTextures{0, 4096, 0});
    uint64_t generated = 0;
    std::string error;
    EXPECT_TRUE(CheckFrameCommandLimits(many, 0, generated, error)) << error;
    EXPECT_FALSE(
        CheckFrameCommandLimits(Append({}, CmdOp::GenTextures, mora::CmdGenTextures{0, 1, 0}), 0, generated, error));
    EXPECT_EQ(error, "glGenTextures calls ask for more than 65536 names in all");
}

TEST(ReplayLimits, SurfaceSizeAndTheFrameOfARefusedRecord) {
    mora::CaptureData capture;
    std::string error;
    capture.width = 640;
    capture.height = 480;
    EXPECT_TRUE(mora::replay::CheckReplayLimits(capture, error)) << error;
    capture.height = 0;
    EXPECT_FALSE(mora::replay::CheckReplayLimits(capture, error));
    EXPECT_EQ(error, "surface size 640x0 is outside 1..8192 pixels per side");
    capture.height = 480;  // the keyframe's framebuffer size: replay_errors_test.cpp
    capture.frameStreams.resize(3);
    capture.frameStreams[2] = Viewport({}, 9000, 1);
    EXPECT_FALSE(mora::replay::CheckReplayLimits(capture, error));
    EXPECT_EQ(error, "frame 2: glViewport 9000x1 exceeds the replay limit of 8192 pixels per side");
}

}  // namespace
}  // namespace mora_replay_test
