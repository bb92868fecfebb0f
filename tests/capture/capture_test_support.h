// Shared pieces of the capture tests: synthetic texture slots, snapshots,
// recorded frames, and whole-file byte access.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "capture/capture_writer.h"
#include "gl/command_buffer.h"
#include "gl/command_records.h"
#include "gl/keyframe_snapshot.h"
#include "gl/texture_objects.h"
#include "gl/texture_slot.h"
#include "platform/file.h"
#include "test_support/temp_dir.h"

namespace mora::test {

// A slot with a width x height image and its mip chain; texel i of the storage is seed + i * 7.
inline TextureSlot ImageSlot(int32_t width, int32_t height, uint32_t seed) {
    TextureSlot slot;
    slot.inUse = 1;
    slot.hasImage = 1;
    slot.width = width;
    slot.height = height;
    EXPECT_TRUE(BuildMipChain(slot, width, height));
    for (size_t i = 0; i < slot.texels.size(); ++i) slot.texels[i] = seed + static_cast<uint32_t>(i) * 7u;
    return slot;
}

inline KeyframeSnapshot PatternSnapshot(uint32_t seed) {
    KeyframeSnapshot snapshot;
    std::mt19937 random(seed);
    for (uint8_t& byte : snapshot.bytes) byte = static_cast<uint8_t>(random());
    return snapshot;
}

inline void FillBuffer(CommandBuffer& buffer, std::span<const uint8_t> bytes) {
    EmptyCommandBuffer(buffer);
    if (bytes.empty()) return;
    uint8_t* at = ExtendCommandBuffer(buffer, bytes.size());
    ASSERT_NE(at, nullptr);
    std::copy(bytes.begin(), bytes.end(), at);
}

// A recorded frame: glColor4ub(tag...), glVertex3f x3, glDeleteTextures' name list in the blob,
// and the frame-end marker.
struct RecordedFrame {
    CommandRecording commands;
    std::vector<uint8_t> pixels;  // reference pixels, empty when none
};

inline RecordedFrame MakeFrame(uint32_t tag, uint32_t width, uint32_t height, bool withPixels) {
    std::vector<uint32_t> words = {MakeCmdHeader(CmdOp::Color), 0xFF000000u | tag};
    for (uint32_t v = 0; v < 3; ++v) {
        words.insert(words.end(), {MakeCmdHeader(CmdOp::Vertex3f), v, tag, v + tag});
    }
    words.push_back(MakeCmdHeader(CmdOp::FrameEnd));
    RecordedFrame frame;
    FillBuffer(frame.commands.stream, {reinterpret_cast<const uint8_t*>(words.data()), words.size() * 4});
    const uint32_t names[3] = {tag, tag + 1, tag + 2};
    FillBuffer(frame.commands.blob, {reinterpret_cast<const uint8_t*>(names), sizeof(names)});
    if (withPixels) {
        frame.pixels.resize(static_cast<size_t>(width) * height * 4);
        for (size_t i = 0; i < frame.pixels.size(); ++i) frame.pixels[i] = static_cast<uint8_t>(i * 3 + tag);
    }
    return frame;
}

inline std::vector<uint8_t> BufferBytes(const CommandBuffer& buffer) { return {buffer.begin, buffer.end}; }

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::string contents;
    EXPECT_TRUE(platform::ReadWholeFile(path.c_str(), contents));
    return {contents.begin(), contents.end()};
}

// Writes a capture of `table` and `frames`; finished with the frame count unless `finish` is false
// (the file then looks like one left by a killed process).
inline void WriteCapture(const std::string& path, const KeyframeSnapshot& snapshot, std::span<const TextureSlot> table,
                         std::span<const RecordedFrame> frames, uint32_t width, uint32_t height, bool finish = true) {
    capture::CaptureFile file;
    ASSERT_TRUE(capture::Open(file, path.c_str(), snapshot, table, width, height));
    for (const RecordedFrame& frame : frames) {
        ASSERT_TRUE(capture::AppendFrame(file, frame.commands.stream, frame.commands.blob,
                                         frame.pixels.empty() ? nullptr : frame.pixels.data(), frame.pixels.size()));
    }
    if (finish) {
        ASSERT_TRUE(capture::Finish(file, static_cast<uint32_t>(frames.size())));
    } else {
        platform::CloseFile(file.file);
    }
}

}  // namespace mora::test
