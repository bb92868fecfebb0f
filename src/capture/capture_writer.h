// Capture file writer: Open writes the header, the frame-start KeyframeSnapshot, the texture
// table with its deduplicated texel blobs; AppendFrame adds one frame record; Finish stores the
// frame count. The capture session (capture_session.h) drives it from the frame loop.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "gl/command_buffer.h"
#include "gl/keyframe_snapshot.h"
#include "gl/texture_slot.h"
#include "platform/file.h"

namespace mora::capture {

// Small writes are gathered into this buffer before they reach the file (must be at least the
// 96-byte header; larger writes bypass it).
inline constexpr uint64_t kWriteBufferBytes = 4u << 20;

// One capture file being written. Between calls every written byte has reached the file (the
// buffer is empty), so a frame counted as appended is on disk even if the process dies.
struct CaptureFile {
    platform::File file;
    std::unique_ptr<uint8_t[]> buffer;  // kWriteBufferBytes
    uint64_t buffered = 0;              // bytes waiting in buffer
    uint64_t position = 0;              // file offset just past the buffered bytes
    bool broken = false;                // a failed write could not be rolled back: no more appends
};

bool IsOpen(const CaptureFile& file);

// Creates (truncating) `path` and writes everything up to the frame records: header with
// frameCount 0xFFFFFFFF, snapshot, one TextureRecord per slot of `table` in order, the blob table
// and payloads. Identical texel storages (same size, CRC-32 and bytes) share one blob; an empty
// storage gets blob index 0xFFFFFFFF. On any failure the file is closed and false returned.
bool Open(CaptureFile& out, const char* path, const KeyframeSnapshot& snapshot, std::span<const TextureSlot> table,
          uint32_t width, uint32_t height);

// Appends one FrameRecord: the three sizes, the stream bytes, the blob bytes and the reference
// pixels (null and 0 when there are none). False when a write fails: the frame is not in the
// file and the next append starts where this one started.
bool AppendFrame(CaptureFile& file, std::span<const uint8_t> stream, std::span<const uint8_t> blob,
                 std::span<const uint8_t> referencePixels);
bool AppendFrame(CaptureFile& file, const CommandStream& stream, const CommandBlob& blob,
                 const uint8_t* referencePixels, uint64_t referencePixelBytes);

// Stores frameCount at offset 16 and closes. When the count cannot be stored the file keeps the
// open sentinel (readers recover it by scanning) and false is returned. Closing always happens.
bool Finish(CaptureFile& file, uint32_t frameCount);

}  // namespace mora::capture
