// Capture file writer: buffered sequential writes, blob deduplication, frame records.
#include "capture/capture_writer.h"

#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

#include "capture/capture_format.h"
#include "capture/crc32.h"

namespace mora::capture {
namespace {

static_assert(kWriteBufferBytes >= kCaptureHeaderBytes);

// One payload of the blob table: the texel storage of the first slot that had these bytes.
struct BlobSource {
    const uint8_t* bytes = nullptr;
    uint64_t size = 0;
    uint32_t crc = 0;
};

// Blob index of every slot (kCaptureNoBlob for an empty storage) and the distinct payloads.
struct BlobList {
    std::vector<uint32_t> slotBlob;
    std::vector<BlobSource> blobs;
};

// Interns each slot's texel storage: equal kind, size, CRC-32 and bytes reuse the earlier blob.
void BuildBlobList(std::span<const TextureSlot> table, BlobList& out) {
    out.slotBlob.assign(table.size(), kCaptureNoBlob);
    out.blobs.clear();
    std::unordered_multimap<uint32_t, uint32_t> blobsByCrc;
    for (size_t i = 0; i < table.size(); ++i) {
        const std::vector<uint32_t>& texels = table[i].texels;
        const uint64_t size = static_cast<uint64_t>(texels.size()) * 4;  // already a multiple of 4
        if (size == 0) continue;
        const auto* bytes = reinterpret_cast<const uint8_t*>(texels.data());
        const uint32_t crc = Crc32(bytes, size);
        uint32_t found = kCaptureNoBlob;
        const auto [first, last] = blobsByCrc.equal_range(crc);
        for (auto it = first; it != last; ++it) {
            const BlobSource& candidate = out.blobs[it->second];
            if (candidate.size == size && std::memcmp(candidate.bytes, bytes, size) == 0) {
                found = it->second;
                break;
            }
        }
        if (found == kCaptureNoBlob) {
            found = static_cast<uint32_t>(out.blobs.size());
            out.blobs.push_back(BlobSource{bytes, size, crc});
            blobsByCrc.emplace(crc, found);
        }
        out.slotBlob[i] = found;
    }
}

bool FlushBuffer(CaptureFile& file) {
    if (file.buffered == 0) return true;
    if (!platform::WriteFile(file.file, file.buffer.get(), file.buffered)) return false;
    file.buffered = 0;
    return true;
}

// Appends bytes at the file's logical end through the buffer.
bool WriteBytes(CaptureFile& file, const void* data, uint64_t size) {
    if (size == 0) return true;
    if (size > kWriteBufferBytes - file.buffered) {
        if (!FlushBuffer(file)) return false;
        if (size >= kWriteBufferBytes) {
            if (!platform::WriteFile(file.file, data, size)) return false;
            file.position += size;
            return true;
        }
    }
    std::memcpy(file.buffer.get() + file.buffered, data, size);
    file.buffered += size;
    file.position += size;
    return true;
}

void CloseCaptureFile(CaptureFile& file) {
    platform::CloseFile(file.file);
    file.buffer.reset();
    file.buffered = 0;
    file.position = 0;
    file.broken = false;
}

bool WriteEverythingBeforeFrames(CaptureFile& file, const KeyframeSnapshot& snapshot,
                                 std::span<const TextureSlot> table, const BlobList& blobs, uint32_t width,
                                 uint32_t height) {
    CaptureHeader header = MakeCaptureHeader();
    header.frameCount = kCaptureOpenSentinel;
    header.width = width;
    header.height = height;
    header.textureCount = static_cast<uint32_t>(table.size());
    header.blobCount = static_cast<uint32_t>(blobs.blobs.size());
    uint8_t headerBytes[kCaptureHeaderBytes];
    EncodeCaptureHeader(header, headerBytes);
    if (!WriteBytes(file, headerBytes, sizeof(headerBytes))) return false;

    header.keyframeOffset = file.position;
    if (!WriteBytes(file, snapshot.bytes, sizeof(snapshot.bytes))) return false;

    header.textureTableOffset = file.position;
    uint8_t record[kTextureRecordBytes];
    for (size_t i = 0; i < table.size(); ++i) {
        EncodeTextureRecord(table[i], static_cast<uint32_t>(i), blobs.slotBlob[i], record);
        if (!WriteBytes(file, record, sizeof(record))) return false;
    }

    header.blobTableOffset = file.position;
    header.blobPayloadOffset = header.blobTableOffset + kBlobRecordBytes * blobs.blobs.size();
    uint64_t payloadOffset = header.blobPayloadOffset;
    uint8_t blobRecord[kBlobRecordBytes];
    for (const BlobSource& blob : blobs.blobs) {
        EncodeBlobRecord(BlobRecord{kBlobKindTexels, blob.crc, blob.size, payloadOffset}, blobRecord);
        if (!WriteBytes(file, blobRecord, sizeof(blobRecord))) return false;
        payloadOffset += blob.size;
    }
    for (const BlobSource& blob : blobs.blobs) {
        if (!WriteBytes(file, blob.bytes, blob.size)) return false;
    }
    header.frameRecordsOffset = file.position;
    if (!FlushBuffer(file)) return false;

    // Patch the header now that every offset is known, then return to the end.
    EncodeCaptureHeader(header, headerBytes);
    return platform::SeekFile(file.file, 0) && platform::WriteFile(file.file, headerBytes, sizeof(headerBytes)) &&
           platform::SeekFile(file.file, file.position);
}

}  // namespace

bool IsOpen(const CaptureFile& file) { return platform::IsOpen(file.file); }

bool Open(CaptureFile& out, const char* path, const KeyframeSnapshot& snapshot, std::span<const TextureSlot> table,
          uint32_t width, uint32_t height) {
    CloseCaptureFile(out);
    if (table.size() > UINT32_MAX) return false;
    try {
        BlobList blobs;
        BuildBlobList(table, blobs);
        out.buffer = std::make_unique<uint8_t[]>(kWriteBufferBytes);
        if (!platform::OpenFile(out.file, path, platform::FileMode::WriteTruncate)) {
            CloseCaptureFile(out);
            return false;
        }
        if (!WriteEverythingBeforeFrames(out, snapshot, table, blobs, width, height)) {
            CloseCaptureFile(out);
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        // Runs inside wglSwapBuffers: a capture that cannot get memory is not opened this frame.
        CloseCaptureFile(out);
        return false;
    }
}

bool AppendFrame(CaptureFile& file, std::span<const uint8_t> stream, std::span<const uint8_t> blob,
                 std::span<const uint8_t> referencePixels) {
    if (!IsOpen(file) || file.broken) return false;
    const uint64_t frameStart = file.position;
    uint8_t header[kFrameRecordHeaderBytes];
    EncodeFrameRecordHeader(FrameRecordHeader{stream.size(), blob.size(), referencePixels.size()}, header);
    const bool written = WriteBytes(file, header, sizeof(header)) && WriteBytes(file, stream.data(), stream.size()) &&
                         WriteBytes(file, blob.data(), blob.size()) &&
                         WriteBytes(file, referencePixels.data(), referencePixels.size()) && FlushBuffer(file);
    if (written) return true;
    // Drop what is left of this frame and go back to its start, so that the next frame record
    // follows the last complete one instead of a partial frame.
    file.buffered = 0;
    if (platform::SeekFile(file.file, frameStart)) {
        file.position = frameStart;
    } else {
        file.broken = true;
    }
    return false;
}

bool AppendFrame(CaptureFile& file, const CommandStream& stream, const CommandBlob& blob,
                 const uint8_t* referencePixels, uint64_t referencePixelBytes) {
    if (referencePixels == nullptr) referencePixelBytes = 0;
    return AppendFrame(file, std::span<const uint8_t>(stream.begin, CommandBufferSize(stream)),
                       std::span<const uint8_t>(blob.begin, CommandBufferSize(blob)),
                       std::span<const uint8_t>(referencePixels, referencePixelBytes));
}

bool Finish(CaptureFile& file, uint32_t frameCount) {
    if (!IsOpen(file)) return false;
    uint8_t count[4];
    StoreLittleEndian32(count, frameCount);
    const bool stored = FlushBuffer(file) && platform::SeekFile(file.file, capture_header_offset::kFrameCount) &&
                        platform::WriteFile(file.file, count, sizeof(count));
    CloseCaptureFile(file);
    return stored;
}

}  // namespace mora::capture
