// The .mora-capture file layout: the 96-byte header, the 364-byte TextureRecord, the 24-byte
// BlobRecord and the 24-byte FrameRecord size header, with their little-endian encoders and
// decoders. The capture writer and the capture reader share these; nothing else does.
#pragma once

#include <cstdint>

#include "gl/command_records.h"
#include "gl/keyframe_snapshot.h"
#include "gl/texture_slot.h"

namespace mora {

// All integers in the file are little-endian; every offset is absolute from the file start.
inline constexpr uint8_t kCaptureMagic1[4] = {'M', 'R', 'C', 'F'};
inline constexpr uint8_t kCaptureMagic2[4] = {'C', 'A', 'P', 'T'};
inline constexpr uint32_t kCaptureVersion = 4;
inline constexpr uint32_t kCaptureLayoutHash = kCmdLayoutHash;  // must match the Cmd record sizes
inline constexpr uint32_t kCaptureOpenSentinel = 0xFFFFFFFFu;   // frameCount of an unfinished file
inline constexpr uint32_t kCaptureNoBlob = 0xFFFFFFFFu;         // blob index of an empty texel storage
inline constexpr uint32_t kBlobKindTexels = 1;                  // the only blob kind written

inline constexpr uint64_t kCaptureHeaderBytes = 96;
inline constexpr uint64_t kTextureRecordBytes = 364;  // 91 words
inline constexpr uint64_t kBlobRecordBytes = 24;
inline constexpr uint64_t kFrameRecordHeaderBytes = 24;
inline constexpr uint64_t kCaptureKeyframeOffset = kCaptureHeaderBytes;
inline constexpr uint64_t kCaptureTextureTableOffset = kCaptureHeaderBytes + kKeyframeSnapshotBytes;
static_assert(kCaptureTextureTableOffset == 96 + 6376);

// Limits the reader enforces.
inline constexpr uint32_t kCaptureMaxTableCount = 0x100000;       // textures, and blobs
inline constexpr uint64_t kCaptureMaxBlobBytes = 0x20000000;      // one blob (512 MiB)
inline constexpr uint64_t kCaptureMaxFramePartBytes = 0x4000000;  // each FrameRecord part (64 MiB)

// The header as numbers (magics and reserved words are implied by the encoder).
struct CaptureHeader {
    uint8_t magic1[4] = {};
    uint8_t magic2[4] = {};
    uint32_t version = 0;
    uint32_t layoutHash = 0;
    uint32_t frameCount = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint64_t keyframeOffset = 0;
    uint64_t textureTableOffset = 0;
    uint32_t textureCount = 0;
    uint32_t blobCount = 0;
    uint64_t blobTableOffset = 0;
    uint64_t blobPayloadOffset = 0;
    uint64_t frameRecordsOffset = 0;
};

// Byte offsets of the header fields.
namespace capture_header_offset {
inline constexpr uint32_t kMagic1 = 0;
inline constexpr uint32_t kMagic2 = 4;
inline constexpr uint32_t kVersion = 8;
inline constexpr uint32_t kLayoutHash = 12;
inline constexpr uint32_t kFrameCount = 16;
inline constexpr uint32_t kWidth = 24;
inline constexpr uint32_t kHeight = 28;
inline constexpr uint32_t kKeyframeOffset = 32;
inline constexpr uint32_t kTextureTableOffset = 40;
inline constexpr uint32_t kTextureCount = 48;
inline constexpr uint32_t kBlobCount = 52;
inline constexpr uint32_t kBlobTableOffset = 56;
inline constexpr uint32_t kBlobPayloadOffset = 64;
inline constexpr uint32_t kFrameRecordsOffset = 72;
}  // namespace capture_header_offset

struct BlobRecord {
    uint32_t kind = 0;
    uint32_t crc = 0;
    uint64_t size = 0;    // payload bytes
    uint64_t offset = 0;  // absolute file offset of the payload
};

// The three sizes at the start of every FrameRecord; the bytes follow in this order.
struct FrameRecordHeader {
    uint64_t commandBytes = 0;
    uint64_t blobBytes = 0;
    uint64_t referencePixelBytes = 0;
};

inline void StoreLittleEndian32(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
}
inline void StoreLittleEndian64(uint8_t* at, uint64_t value) {
    StoreLittleEndian32(at, static_cast<uint32_t>(value));
    StoreLittleEndian32(at + 4, static_cast<uint32_t>(value >> 32));
}
inline uint32_t LoadLittleEndian32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}
inline uint64_t LoadLittleEndian64(const uint8_t* at) {
    return static_cast<uint64_t>(LoadLittleEndian32(at)) | static_cast<uint64_t>(LoadLittleEndian32(at + 4)) << 32;
}

// A header with both magics, version 4 and the layout hash; the caller fills the rest.
CaptureHeader MakeCaptureHeader();

// Header: reserved words are written as 0 and not read back.
void EncodeCaptureHeader(const CaptureHeader& header, uint8_t out[kCaptureHeaderBytes]);
CaptureHeader DecodeCaptureHeader(const uint8_t in[kCaptureHeaderBytes]);

// TextureRecord of `slot` at table position `slotIndex`: the parameter words, the flags as 0/1,
// the level count and the five level tables, and the blob index of its texel storage. The
// texels themselves are not part of the record.
void EncodeTextureRecord(const TextureSlot& slot, uint32_t slotIndex, uint32_t blobIndex,
                         uint8_t out[kTextureRecordBytes]);
// The inverse: fills every field of `slot` except its texels; returns the slot index and blob
// index through the two outputs.
void DecodeTextureRecord(const uint8_t in[kTextureRecordBytes], TextureSlot& slot, uint32_t& slotIndex,
                         uint32_t& blobIndex);

void EncodeBlobRecord(const BlobRecord& record, uint8_t out[kBlobRecordBytes]);
BlobRecord DecodeBlobRecord(const uint8_t in[kBlobRecordBytes]);

void EncodeFrameRecordHeader(const FrameRecordHeader& header, uint8_t out[kFrameRecordHeaderBytes]);
FrameRecordHeader DecodeFrameRecordHeader(const uint8_t in[kFrameRecordHeaderBytes]);

// True when everything the slot's tables describe lies inside its texel storage: a level count
// of 0..16; a level-0 size (width x height texels, the rectangle sub-image uploads write into)
// that fits; for every filled level a positive size, a non-negative offset, a row pitch of at
// least 4 x width and a last texel inside the storage; and all-zero table entries beyond the
// level count. A slot read from a file must pass before any replay or raster code sees it.
bool TextureTablesInsideStorage(const TextureSlot& slot);

}  // namespace mora
