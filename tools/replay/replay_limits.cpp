// Resource limits checked on a loaded capture before it is replayed.
#include "replay_limits.h"

#include <algorithm>
#include <cstring>

#include "gl/command_records.h"
#include "gl/keyframe_snapshot.h"

namespace mora::replay {

namespace {

template <typename Record>
Record ReadRecord(const uint8_t* at) {
    Record record;
    std::memcpy(&record, at, sizeof record);
    return record;
}

int32_t SnapshotInt(const KeyframeSnapshot& snapshot, uint32_t offset) {
    int32_t value = 0;
    std::memcpy(&value, snapshot.bytes + offset, sizeof value);
    return value;
}

bool Refuse(std::string& error, std::string message) {
    error = std::move(message);
    return false;
}

}  // namespace

bool CheckFrameCommandLimits(std::span<const uint8_t> stream, std::size_t textureTableSize, uint64_t& generatedNames,
                             std::string& error) {
    const uint64_t nameLimit = std::max<uint64_t>(kMaxReplayTextureNames, textureTableSize);
    std::size_t at = 0;
    // The same walk as the executor's: a record below 4 bytes, below its opcode's size or past
    // the end, or the frame-end marker, ends the frame; the executor never looks further.
    while (stream.size() - at >= 4) {
        const uint32_t header = ReadRecord<uint32_t>(stream.data() + at);
        const uint32_t size = CmdHeaderSize(header);
        const uint32_t op = CmdHeaderOp(header);
        if (size < 4 || size > stream.size() - at) break;
        if (op < static_cast<uint32_t>(kCmdOpCount) && size < kCmdSize[op]) break;
        if (op == static_cast<uint32_t>(CmdOp::FrameEnd)) break;
        const uint8_t* record = stream.data() + at;
        switch (static_cast<CmdOp>(op)) {
            case CmdOp::Viewport: {
                const CmdRect r = ReadRecord<CmdRect>(record);
                if (r.width > kMaxReplayViewportSide || r.height > kMaxReplayViewportSide) {
                    return Refuse(error, "glViewport " + std::to_string(r.width) + "x" + std::to_string(r.height) +
                                             " exceeds the replay limit of " + std::to_string(kMaxReplayViewportSide) +
                                             " pixels per side");
                }
                break;
            }
            case CmdOp::TexImage2D:
            case CmdOp::TexSubImage2D: {
                int32_t width = 0;
                int32_t height = 0;
                if (op == static_cast<uint32_t>(CmdOp::TexImage2D)) {
                    const CmdTexImage2D r = ReadRecord<CmdTexImage2D>(record);
                    width = r.width;
                    height = r.height;
                } else {
                    const CmdTexSubImage2D r = ReadRecord<CmdTexSubImage2D>(record);
                    width = r.width;
                    height = r.height;
                }
                if (width > kMaxReplayTextureSide || height > kMaxReplayTextureSide) {
                    return Refuse(error, "texture image " + std::to_string(width) + "x" + std::to_string(height) +
                                             " exceeds the replay limit of " + std::to_string(kMaxReplayTextureSide) +
                                             " texels per side");
                }
                break;
            }
            case CmdOp::GenTextures: {
                const CmdGenTextures r = ReadRecord<CmdGenTextures>(record);
                if (r.n > kMaxReplayGeneratedNames) {
                    return Refuse(error, "glGenTextures of " + std::to_string(r.n) +
                                             " names exceeds the replay limit of " +
                                             std::to_string(kMaxReplayGeneratedNames));
                }
                if (r.n > 0) generatedNames += static_cast<uint64_t>(r.n);
                if (generatedNames > kMaxReplayTextureNames) {
                    return Refuse(error, "glGenTextures calls ask for more than " +
                                             std::to_string(kMaxReplayTextureNames) + " names in all");
                }
                break;
            }
            case CmdOp::BindTexture: {
                const CmdBindTexture r = ReadRecord<CmdBindTexture>(record);
                if (r.texture >= nameLimit) {
                    return Refuse(error, "glBindTexture name " + std::to_string(r.texture) +
                                             " exceeds the replay limit of " + std::to_string(nameLimit) + " names");
                }
                break;
            }
            default: break;
        }
        at += size;
    }
    return true;
}

bool CheckReplayLimits(const CaptureData& capture, std::string& error) {
    const std::string side = std::to_string(kMaxReplayViewportSide);
    if (capture.width < 1 || capture.height < 1 || capture.width > static_cast<uint32_t>(kMaxReplayViewportSide) ||
        capture.height > static_cast<uint32_t>(kMaxReplayViewportSide)) {
        return Refuse(error, "surface size " + std::to_string(capture.width) + "x" + std::to_string(capture.height) +
                                 " is outside 1.." + side + " pixels per side");
    }
    const int32_t gridWidth = SnapshotInt(capture.snapshot, snapshot_offset::kTileGridSize);
    const int32_t gridHeight = SnapshotInt(capture.snapshot, snapshot_offset::kTileGridSize + 4);
    if (gridWidth > kMaxReplayViewportSide || gridHeight > kMaxReplayViewportSide) {
        return Refuse(error, "keyframe framebuffer " + std::to_string(gridWidth) + "x" + std::to_string(gridHeight) +
                                 " exceeds the replay limit of " + side + " pixels per side");
    }
    uint64_t generatedNames = 0;
    for (std::size_t frame = 0; frame < capture.frameStreams.size(); ++frame) {
        std::string problem;
        if (!CheckFrameCommandLimits(capture.frameStreams[frame], capture.textures.size(), generatedNames, problem)) {
            return Refuse(error, "frame " + std::to_string(frame) + ": " + problem);
        }
    }
    return true;
}

}  // namespace mora::replay
