// Capture reader: loads a .mora-capture file into memory, checking every part of it (magic,
// version, Cmd layout hash, table sizes, blob checksums, texture tables, frame records), for a
// replay tool that restores the frame-start state and feeds the frames to the executor. The
// driver never calls it. Files left unfinished by a killed process load every complete frame.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "gl/command_buffer.h"
#include "gl/keyframe_snapshot.h"
#include "gl/texture_slot.h"

namespace mora {

struct CaptureData {
    KeyframeSnapshot snapshot{};  // byte for byte from the file
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<TextureSlot> textures;                       // one per TextureRecord, texels from the blobs
    std::vector<std::vector<uint8_t>> frameStreams;          // per frame: CommandStream bytes
    std::vector<std::vector<uint8_t>> frameBlobs;            // per frame: CommandBlob bytes
    std::vector<std::vector<uint8_t>> frameReferencePixels;  // per frame: BGRA rows, empty when not captured
    uint32_t blobCount = 0;
    uint64_t blobBytes = 0;       // sum of all blob payload sizes
    uint64_t textureBytes = 0;    // sum of the texel bytes given to slots
    uint64_t streamBytes = 0;     // sum of the frames' CommandStream sizes
    uint64_t frameBlobBytes = 0;  // sum of the frames' CommandBlob sizes
};

// Reads the capture at `path` into `out` (cleared first). On failure returns false and gives the
// reason as `error` (when not null) and as LastCaptureReadError(). Allocations are bounded by
// the file's size: no length in the file makes the reader allocate for bytes it does not have.
bool ReadCapture(const char* path, CaptureData& out, std::string* error = nullptr);
// The same checks on capture bytes already in memory.
bool ReadCaptureFromMemory(std::span<const uint8_t> bytes, CaptureData& out, std::string* error = nullptr);

// Message of the last failed read in this process ("" before any). Concurrent failing reads may
// overwrite one another's message; the text itself is always one complete message.
const char* LastCaptureReadError();

// Reads a one-frame capture and compares it with what it was written from: the snapshot bytes,
// per slot width, height, inUse, hasImage, level count and texels, and the frame's stream and
// blob bytes. Reference pixels, wrap and filter words and level tables are not compared.
bool VerifyCaptureRoundTrip(const char* path, const CommandStream& stream, const CommandBlob& blob,
                            std::span<const TextureSlot> table, const KeyframeSnapshot& snapshot);

}  // namespace mora
