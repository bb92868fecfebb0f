// Capture reader: validating load of a .mora-capture file, and the one-frame round-trip check.
#include "capture/capture_reader.h"

#include <algorithm>
#include <bit>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "capture/capture_format.h"
#include "capture/capture_input.h"
#include "capture/crc32.h"

namespace mora {
namespace {

// The failure messages, in the order the checks run.
constexpr const char kCannotOpen[] = "cannot open file";
constexpr const char kShortHeader[] = "short read on header";
constexpr const char kBadMagic[] = "bad magic (not a .mora-capture file)";
constexpr const char kBadVersion[] = "unsupported capture version (expected v4 raw command stream)";
constexpr const char kBadLayoutHash[] = "layout-hash mismatch (capture made against different Cmd POD sizes)";
constexpr const char kImplausibleTableCount[] = "implausible keyframe table count";
constexpr const char kShortSnapshot[] = "short read on keyframe snapshot";
constexpr const char kShortTextureTable[] = "short read on texture table";
constexpr const char kShortBlobTable[] = "short read on blob table";
constexpr const char kImplausibleBlobSize[] = "implausible keyframe blob size";
constexpr const char kBlobSeekFailed[] = "seek failed on blob payload";
constexpr const char kShortBlobPayload[] = "short read on blob payload";
constexpr const char kBlobCrcMismatch[] = "crc mismatch on keyframe blob";
constexpr const char kSlotOutsideTable[] = "texture slot index outside keyframe table";
constexpr const char kMissingBlob[] = "texture references missing blob";
constexpr const char kMisalignedBlob[] = "texture mip bytes not u32-aligned";
constexpr const char kLevelTableOutside[] = "texture level table outside texel storage";
constexpr const char kFrameRecordsSeekFailed[] = "seek failed on frame records";
constexpr const char kShortFrameHeader[] = "short read on frame header";
constexpr const char kImplausibleFrameSize[] = "implausible frame record size";
constexpr const char kShortFrameStream[] = "short read on frame stream";
constexpr const char kShortFrameBlob[] = "short read on frame blob";
constexpr const char kShortFramePixels[] = "short read on frame reference BGRA";

// Texel blobs are little-endian 32-bit words read straight into the slot's storage.
static_assert(std::endian::native == std::endian::little);

// Payloads are checksummed in pieces of this size, so a blob is never held in memory whole.
constexpr uint64_t kCrcChunkBytes = 1u << 20;

std::atomic<const char*> gLastError{""};

bool Fail(const char* message, std::string* error) {
    gLastError.store(message, std::memory_order_relaxed);
    if (error != nullptr) *error = message;
    return false;
}

// Reads `count` bytes into `out`, sized only after the input is known to hold them.
bool ReadBytes(capture::CaptureInput& input, uint64_t count, std::vector<uint8_t>& out) {
    if (count > capture::CaptureInputRemaining(input)) return false;
    out.resize(count);
    return capture::ReadCaptureInput(input, out.data(), count);
}

// CRC-32 of `size` bytes at the current position; false on a short read.
bool ChecksumBytes(capture::CaptureInput& input, uint64_t size, std::vector<uint8_t>& chunk, uint32_t& crc) {
    if (size > capture::CaptureInputRemaining(input)) return false;
    crc = 0;
    while (size > 0) {
        const uint64_t piece = std::min(size, kCrcChunkBytes);
        if (chunk.size() < piece) chunk.resize(piece);
        if (!capture::ReadCaptureInput(input, chunk.data(), piece)) return false;
        crc = Crc32Update(crc, chunk.data(), piece);
        size -= piece;
    }
    return true;
}

bool FitsFramePart(uint64_t size) { return (size >> 32) == 0 && size <= kCaptureMaxFramePartBytes; }

// Loads the texture table: one slot per record, its texels read from the (already checked) blob.
const char* ReadTextures(capture::CaptureInput& input, const std::vector<uint8_t>& table,
                         const std::vector<BlobRecord>& blobs, CaptureData& out) {
    const uint32_t count = static_cast<uint32_t>(table.size() / kTextureRecordBytes);
    out.textures.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        TextureSlot slot;
        uint32_t slotIndex = 0;
        uint32_t blobIndex = 0;
        DecodeTextureRecord(table.data() + i * kTextureRecordBytes, slot, slotIndex, blobIndex);
        if (slotIndex >= count) return kSlotOutsideTable;
        if (blobIndex != kCaptureNoBlob) {
            if (blobIndex >= blobs.size()) return kMissingBlob;
            const BlobRecord& blob = blobs[blobIndex];
            if (blob.size % 4 != 0) return kMisalignedBlob;
            if (!capture::SeekCaptureInput(input, blob.offset)) return kBlobSeekFailed;
            if (blob.size > capture::CaptureInputRemaining(input)) return kShortBlobPayload;
            slot.texels.resize(blob.size / 4);
            if (!capture::ReadCaptureInput(input, slot.texels.data(), blob.size)) return kShortBlobPayload;
            out.textureBytes += blob.size;
        }
        // Replay and the raster stage index texels through these tables: a file must not be able
        // to point them past the storage it gave the slot.
        if (!TextureTablesInsideStorage(slot)) return kLevelTableOutside;
        out.textures[slotIndex] = std::move(slot);
    }
    return nullptr;
}

// Frames from the current position. In recovery mode (open sentinel) the loop stops at the first
// record that cannot be read whole; otherwise that is an error.
const char* ReadFrames(capture::CaptureInput& input, uint32_t frameCount, CaptureData& out) {
    const bool recovery = frameCount == kCaptureOpenSentinel;
    std::vector<uint8_t> stream;
    std::vector<uint8_t> blob;
    std::vector<uint8_t> pixels;
    for (uint64_t frame = 0; recovery || frame < frameCount; ++frame) {
        uint8_t headerBytes[kFrameRecordHeaderBytes];
        if (!capture::ReadCaptureInput(input, headerBytes, sizeof(headerBytes))) {
            if (recovery) break;
            return kShortFrameHeader;
        }
        const FrameRecordHeader header = DecodeFrameRecordHeader(headerBytes);
        if (!FitsFramePart(header.commandBytes) || !FitsFramePart(header.blobBytes) ||
            !FitsFramePart(header.referencePixelBytes)) {
            if (recovery) break;
            return kImplausibleFrameSize;
        }
        if (!ReadBytes(input, header.commandBytes, stream)) {
            if (recovery) break;
            return kShortFrameStream;
        }
        if (!ReadBytes(input, header.blobBytes, blob)) {
            if (recovery) break;
            return kShortFrameBlob;
        }
        if (!ReadBytes(input, header.referencePixelBytes, pixels)) {
            if (recovery) break;
            return kShortFramePixels;
        }
        out.streamBytes += header.commandBytes;
        out.frameBlobBytes += header.blobBytes;
        out.frameStreams.push_back(std::move(stream));
        out.frameBlobs.push_back(std::move(blob));
        out.frameReferencePixels.push_back(std::move(pixels));
        stream.clear();
        blob.clear();
        pixels.clear();
    }
    if (recovery) {
        std::fprintf(stderr,
                     "mora_replay: NOTE: capture file had open-sentinel frameCount; recovered %zu frames by EOF scan\n",
                     out.frameStreams.size());
    }
    return nullptr;
}

// Every check after the input is open; returns the failure message or null.
const char* ReadFromInput(capture::CaptureInput& input, CaptureData& out) {
    uint8_t headerBytes[kCaptureHeaderBytes];
    if (!capture::ReadCaptureInput(input, headerBytes, sizeof(headerBytes))) return kShortHeader;
    const CaptureHeader header = DecodeCaptureHeader(headerBytes);
    if (std::memcmp(header.magic1, kCaptureMagic1, 4) != 0 || std::memcmp(header.magic2, kCaptureMagic2, 4) != 0) {
        return kBadMagic;
    }
    if (header.version != kCaptureVersion) return kBadVersion;
    if (header.layoutHash != kCaptureLayoutHash) return kBadLayoutHash;
    if (header.textureCount > kCaptureMaxTableCount || header.blobCount > kCaptureMaxTableCount) {
        return kImplausibleTableCount;
    }

    out.width = header.width;
    out.height = header.height;
    if (!capture::SeekCaptureInput(input, header.keyframeOffset) ||
        !capture::ReadCaptureInput(input, out.snapshot.bytes, sizeof(out.snapshot.bytes))) {
        return kShortSnapshot;
    }

    std::vector<uint8_t> textureTable;
    if (!capture::SeekCaptureInput(input, header.textureTableOffset) ||
        !ReadBytes(input, kTextureRecordBytes * header.textureCount, textureTable)) {
        return kShortTextureTable;
    }

    std::vector<uint8_t> blobTable;
    if (!capture::SeekCaptureInput(input, header.blobTableOffset) ||
        !ReadBytes(input, kBlobRecordBytes * header.blobCount, blobTable)) {
        return kShortBlobTable;
    }

    std::vector<BlobRecord> blobs(header.blobCount);
    std::vector<uint8_t> chunk;
    for (uint32_t i = 0; i < header.blobCount; ++i) {
        const BlobRecord blob = DecodeBlobRecord(blobTable.data() + i * kBlobRecordBytes);
        out.blobBytes += blob.size;
        if ((blob.size >> 32) != 0 || blob.size > kCaptureMaxBlobBytes) return kImplausibleBlobSize;
        if (!capture::SeekCaptureInput(input, blob.offset)) return kBlobSeekFailed;
        uint32_t crc = 0;
        if (!ChecksumBytes(input, blob.size, chunk, crc)) return kShortBlobPayload;
        if (crc != blob.crc) return kBlobCrcMismatch;
        blobs[i] = blob;
    }
    out.blobCount = header.blobCount;
    std::vector<uint8_t>().swap(chunk);

    if (const char* failure = ReadTextures(input, textureTable, blobs, out)) return failure;

    if (!capture::SeekCaptureInput(input, header.frameRecordsOffset)) return kFrameRecordsSeekFailed;
    return ReadFrames(input, header.frameCount, out);
}

bool SameBytes(const std::vector<uint8_t>& bytes, const CommandBuffer& buffer) {
    const uint64_t size = CommandBufferSize(buffer);
    return bytes.size() == size && (size == 0 || std::memcmp(bytes.data(), buffer.begin, size) == 0);
}

bool SameSlot(const TextureSlot& read, const TextureSlot& expected) {
    return read.width == expected.width && read.height == expected.height &&
           (read.inUse != 0) == (expected.inUse != 0) && (read.hasImage != 0) == (expected.hasImage != 0) &&
           read.levelCount == expected.levelCount && read.texels == expected.texels;
}

}  // namespace

bool ReadCapture(const char* path, CaptureData& out, std::string* error) {
    out = CaptureData{};
    capture::CaptureInput input;
    if (!capture::OpenCaptureInput(input, path)) return Fail(kCannotOpen, error);
    const char* failure = ReadFromInput(input, out);
    capture::CloseCaptureInput(input);
    return failure == nullptr ? true : Fail(failure, error);
}

bool ReadCaptureFromMemory(std::span<const uint8_t> bytes, CaptureData& out, std::string* error) {
    out = CaptureData{};
    capture::CaptureInput input;
    capture::OpenCaptureInput(input, bytes);
    const char* failure = ReadFromInput(input, out);
    capture::CloseCaptureInput(input);
    return failure == nullptr ? true : Fail(failure, error);
}

const char* LastCaptureReadError() { return gLastError.load(std::memory_order_relaxed); }

bool VerifyCaptureRoundTrip(const char* path, const CommandStream& stream, const CommandBlob& blob,
                            std::span<const TextureSlot> table, const KeyframeSnapshot& snapshot) {
    CaptureData data;
    if (!ReadCapture(path, data)) return false;
    if (data.frameStreams.size() != 1) return false;
    if (std::memcmp(data.snapshot.bytes, snapshot.bytes, sizeof(snapshot.bytes)) != 0) return false;
    if (data.textures.size() != table.size()) return false;
    for (size_t i = 0; i < table.size(); ++i) {
        if (!SameSlot(data.textures[i], table[i])) return false;
    }
    return SameBytes(data.frameStreams[0], stream) && SameBytes(data.frameBlobs[0], blob);
}

}  // namespace mora
