// Encoders and decoders of the capture file records, and the texel-storage check of a slot.
#include "capture/capture_format.h"

#include <cstring>

namespace mora {
namespace {

// TextureRecord word numbers.
constexpr uint32_t kRecordSlotIndex = 0;
constexpr uint32_t kRecordParameters = 1;  // words 1..6: slot words 0..5
constexpr uint32_t kRecordFlags = 7;       // byte 0 inUse, byte 1 hasImage
constexpr uint32_t kRecordLevelCount = 8;
constexpr uint32_t kRecordLevelTables = 9;  // words 9..88: the five level tables, 16 words each
constexpr uint32_t kRecordBlobIndex = 89;
constexpr uint32_t kRecordWords = 91;
static_assert(kRecordWords * 4 == kTextureRecordBytes);
static_assert(kRecordLevelTables + 5 * kMaxTextureLevels == kRecordBlobIndex);

uint32_t Word(const uint8_t* record, uint32_t word) { return LoadLittleEndian32(record + 4 * word); }
void SetWord(uint8_t* record, uint32_t word, uint32_t value) { StoreLittleEndian32(record + 4 * word, value); }

// The five level tables of a slot in file order (const or mutable slot).
template <typename Slot>
auto LevelTable(Slot& slot, int table) -> decltype(&slot.levelWidth[0]) {
    switch (table) {
        case 0: return slot.levelWidth;
        case 1: return slot.levelHeight;
        case 2: return slot.levelPitch;
        case 3: return slot.levelBytesPerTexel;
        default: return slot.levelOffset;
    }
}

}  // namespace

CaptureHeader MakeCaptureHeader() {
    CaptureHeader header;
    std::memcpy(header.magic1, kCaptureMagic1, 4);
    std::memcpy(header.magic2, kCaptureMagic2, 4);
    header.version = kCaptureVersion;
    header.layoutHash = kCaptureLayoutHash;
    return header;
}

void EncodeCaptureHeader(const CaptureHeader& header, uint8_t out[kCaptureHeaderBytes]) {
    namespace at = capture_header_offset;
    std::memset(out, 0, kCaptureHeaderBytes);
    std::memcpy(out + at::kMagic1, header.magic1, 4);
    std::memcpy(out + at::kMagic2, header.magic2, 4);
    StoreLittleEndian32(out + at::kVersion, header.version);
    StoreLittleEndian32(out + at::kLayoutHash, header.layoutHash);
    StoreLittleEndian32(out + at::kFrameCount, header.frameCount);
    StoreLittleEndian32(out + at::kWidth, header.width);
    StoreLittleEndian32(out + at::kHeight, header.height);
    StoreLittleEndian64(out + at::kKeyframeOffset, header.keyframeOffset);
    StoreLittleEndian64(out + at::kTextureTableOffset, header.textureTableOffset);
    StoreLittleEndian32(out + at::kTextureCount, header.textureCount);
    StoreLittleEndian32(out + at::kBlobCount, header.blobCount);
    StoreLittleEndian64(out + at::kBlobTableOffset, header.blobTableOffset);
    StoreLittleEndian64(out + at::kBlobPayloadOffset, header.blobPayloadOffset);
    StoreLittleEndian64(out + at::kFrameRecordsOffset, header.frameRecordsOffset);
}

CaptureHeader DecodeCaptureHeader(const uint8_t in[kCaptureHeaderBytes]) {
    namespace at = capture_header_offset;
    CaptureHeader header;
    std::memcpy(header.magic1, in + at::kMagic1, 4);
    std::memcpy(header.magic2, in + at::kMagic2, 4);
    header.version = LoadLittleEndian32(in + at::kVersion);
    header.layoutHash = LoadLittleEndian32(in + at::kLayoutHash);
    header.frameCount = LoadLittleEndian32(in + at::kFrameCount);
    header.width = LoadLittleEndian32(in + at::kWidth);
    header.height = LoadLittleEndian32(in + at::kHeight);
    header.keyframeOffset = LoadLittleEndian64(in + at::kKeyframeOffset);
    header.textureTableOffset = LoadLittleEndian64(in + at::kTextureTableOffset);
    header.textureCount = LoadLittleEndian32(in + at::kTextureCount);
    header.blobCount = LoadLittleEndian32(in + at::kBlobCount);
    header.blobTableOffset = LoadLittleEndian64(in + at::kBlobTableOffset);
    header.blobPayloadOffset = LoadLittleEndian64(in + at::kBlobPayloadOffset);
    header.frameRecordsOffset = LoadLittleEndian64(in + at::kFrameRecordsOffset);
    return header;
}

void EncodeTextureRecord(const TextureSlot& slot, uint32_t slotIndex, uint32_t blobIndex,
                         uint8_t out[kTextureRecordBytes]) {
    std::memset(out, 0, kTextureRecordBytes);
    SetWord(out, kRecordSlotIndex, slotIndex);
    const uint32_t parameters[6] = {static_cast<uint32_t>(slot.width),
                                    static_cast<uint32_t>(slot.height),
                                    slot.wrapS,
                                    slot.wrapT,
                                    slot.magFilter,
                                    slot.minFilter};
    for (uint32_t i = 0; i < 6; ++i) SetWord(out, kRecordParameters + i, parameters[i]);
    out[4 * kRecordFlags + 0] = slot.inUse != 0 ? 1 : 0;
    out[4 * kRecordFlags + 1] = slot.hasImage != 0 ? 1 : 0;
    SetWord(out, kRecordLevelCount, static_cast<uint32_t>(slot.levelCount));
    for (int table = 0; table < 5; ++table) {
        const int32_t* values = LevelTable(slot, table);
        for (int level = 0; level < kMaxTextureLevels; ++level) {
            SetWord(out, kRecordLevelTables + static_cast<uint32_t>(table * kMaxTextureLevels + level),
                    static_cast<uint32_t>(values[level]));
        }
    }
    SetWord(out, kRecordBlobIndex, blobIndex);
}

void DecodeTextureRecord(const uint8_t in[kTextureRecordBytes], TextureSlot& slot, uint32_t& slotIndex,
                         uint32_t& blobIndex) {
    slotIndex = Word(in, kRecordSlotIndex);
    slot.width = static_cast<int32_t>(Word(in, kRecordParameters + 0));
    slot.height = static_cast<int32_t>(Word(in, kRecordParameters + 1));
    slot.wrapS = Word(in, kRecordParameters + 2);
    slot.wrapT = Word(in, kRecordParameters + 3);
    slot.magFilter = Word(in, kRecordParameters + 4);
    slot.minFilter = Word(in, kRecordParameters + 5);
    slot.inUse = in[4 * kRecordFlags + 0] != 0 ? 1 : 0;
    slot.hasImage = in[4 * kRecordFlags + 1] != 0 ? 1 : 0;
    slot.reserved[0] = 0;
    slot.reserved[1] = 0;
    slot.levelCount = static_cast<int32_t>(Word(in, kRecordLevelCount));
    for (int table = 0; table < 5; ++table) {
        int32_t* values = LevelTable(slot, table);
        for (int level = 0; level < kMaxTextureLevels; ++level) {
            values[level] = static_cast<int32_t>(
                Word(in, kRecordLevelTables + static_cast<uint32_t>(table * kMaxTextureLevels + level)));
        }
    }
    blobIndex = Word(in, kRecordBlobIndex);
}

void EncodeBlobRecord(const BlobRecord& record, uint8_t out[kBlobRecordBytes]) {
    StoreLittleEndian32(out + 0, record.kind);
    StoreLittleEndian32(out + 4, record.crc);
    StoreLittleEndian64(out + 8, record.size);
    StoreLittleEndian64(out + 16, record.offset);
}

BlobRecord DecodeBlobRecord(const uint8_t in[kBlobRecordBytes]) {
    BlobRecord record;
    record.kind = LoadLittleEndian32(in + 0);
    record.crc = LoadLittleEndian32(in + 4);
    record.size = LoadLittleEndian64(in + 8);
    record.offset = LoadLittleEndian64(in + 16);
    return record;
}

void EncodeFrameRecordHeader(const FrameRecordHeader& header, uint8_t out[kFrameRecordHeaderBytes]) {
    StoreLittleEndian64(out + 0, header.commandBytes);
    StoreLittleEndian64(out + 8, header.blobBytes);
    StoreLittleEndian64(out + 16, header.referencePixelBytes);
}

FrameRecordHeader DecodeFrameRecordHeader(const uint8_t in[kFrameRecordHeaderBytes]) {
    FrameRecordHeader header;
    header.commandBytes = LoadLittleEndian64(in + 0);
    header.blobBytes = LoadLittleEndian64(in + 8);
    header.referencePixelBytes = LoadLittleEndian64(in + 16);
    return header;
}

bool TextureTablesInsideStorage(const TextureSlot& slot) {
    // Every product below stays far inside 64 bits: each factor is a 32-bit value.
    const int64_t storageBytes = static_cast<int64_t>(slot.texels.size()) * 4;
    if (slot.levelCount < 0 || slot.levelCount > kMaxTextureLevels) return false;
    if (slot.width < 0 || slot.height < 0) return false;
    // Compared in texels: width * height of two non-negative 32-bit values fits 62 bits, while
    // multiplying by four more could overflow.
    if (static_cast<uint64_t>(slot.width) * static_cast<uint64_t>(slot.height) > slot.texels.size()) return false;
    for (int level = 0; level < slot.levelCount; ++level) {
        const int64_t width = slot.levelWidth[level];
        const int64_t height = slot.levelHeight[level];
        const int64_t pitch = slot.levelPitch[level];
        const int64_t offset = slot.levelOffset[level];
        if (width < 1 || height < 1 || offset < 0 || pitch < 4 * width) return false;
        if (offset + (height - 1) * pitch + 4 * width > storageBytes) return false;
    }
    for (int level = slot.levelCount; level < kMaxTextureLevels; ++level) {
        for (int table = 0; table < 5; ++table) {
            if (LevelTable(slot, table)[level] != 0) return false;
        }
    }
    return true;
}

}  // namespace mora
