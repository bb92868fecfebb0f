#include "gl/command_append.h"

#include "gl/gl_enums.h"

namespace mora {

bool AppendLoadMatrixf(CommandStream& s, const float* m) {
    CmdMatrix record{};
    std::memcpy(record.m, m, sizeof(record.m));
    return AppendCmd<CmdOp::LoadMatrixf>(s, record);
}

bool AppendMultMatrixf(CommandStream& s, const float* m) {
    CmdMatrix record{};
    std::memcpy(record.m, m, sizeof(record.m));
    return AppendCmd<CmdOp::MultMatrixf>(s, record);
}

bool AppendTexEnvfv(CommandStream& s, uint32_t target, uint32_t pname, const float* params) {
    CmdTexEnvfv record{0, target, pname, {0.0f, 0.0f, 0.0f, 0.0f}};
    // Only the environment colour passes four floats; other pnames may point at a single one.
    const int count = pname == gle::kTextureEnvColor ? 4 : 1;
    for (int i = 0; i < count; ++i) {
        record.params[i] = params[i];
    }
    return AppendCmd<CmdOp::TexEnvfv>(s, record);
}

uint64_t CmdImageByteLength(uint32_t format, uint32_t type, int32_t width, int32_t height, const void* pixels) {
    if (pixels == nullptr || width < 1 || height < 1) {
        return 0;
    }
    return static_cast<uint64_t>(CmdImagePixelBytes(format, type)) * static_cast<uint64_t>(width) *
           static_cast<uint64_t>(height);
}

namespace {

struct BlobCopy {
    bool ok;
    uint64_t offset;
    uint64_t length;
    uint32_t hash;
};

// Copies `length` bytes into the blob; length 0 gives the empty reference (0, 0, hash 0).
BlobCopy CopyToBlob(CommandBlob& blob, const void* bytes, uint64_t length) {
    if (length == 0) {
        return {true, 0, 0, 0};
    }
    const uint64_t offset = CommandBufferSize(blob);
    uint8_t* at = ExtendCommandBuffer(blob, length);
    if (at == nullptr) {
        return {false, 0, 0, 0};
    }
    std::memcpy(at, bytes, static_cast<size_t>(length));
    return {true, offset, length, Fnv1a32(at, static_cast<size_t>(length))};
}

// Appends the record after its blob copy; a failed record append takes the copy back.
template <CmdOp Op, class Record>
bool AppendWithBlob(CommandRecording& rec, Record record, const BlobCopy& copy) {
    if (!copy.ok) {
        return false;
    }
    if (!AppendCmd<Op>(rec.stream, record)) {
        ShrinkCommandBuffer(rec.blob, copy.length);
        return false;
    }
    return true;
}

}  // namespace

bool AppendDeleteTextures(CommandRecording& rec, int32_t n, const uint32_t* names) {
    if (n < 1 || names == nullptr) {
        return false;
    }
    const BlobCopy copy = CopyToBlob(rec.blob, names, 4 * static_cast<uint64_t>(n));
    return AppendWithBlob<CmdOp::DeleteTextures>(rec, CmdDeleteTextures{0, n, copy.offset, copy.length}, copy);
}

bool AppendTexImage2D(CommandRecording& rec, uint32_t target, int32_t level, int32_t internalformat, int32_t width,
                      int32_t height, int32_t border, uint32_t format, uint32_t type, const void* pixels) {
    if (CmdImagePixelBytes(format, type) == 0) {
        return false;
    }
    const BlobCopy copy = CopyToBlob(rec.blob, pixels, CmdImageByteLength(format, type, width, height, pixels));
    const CmdTexImage2D record{0,      target, level, internalformat, width,       height,    border,
                               format, type,   0,     copy.offset,    copy.length, copy.hash, 0};
    return AppendWithBlob<CmdOp::TexImage2D>(rec, record, copy);
}

bool AppendTexSubImage2D(CommandRecording& rec, uint32_t target, int32_t level, int32_t xoffset, int32_t yoffset,
                         int32_t width, int32_t height, uint32_t format, uint32_t type, const void* pixels) {
    if (CmdImagePixelBytes(format, type) == 0) {
        return false;
    }
    const BlobCopy copy = CopyToBlob(rec.blob, pixels, CmdImageByteLength(format, type, width, height, pixels));
    const CmdTexSubImage2D record{0,      target, level, xoffset,     yoffset,     width,     height,
                                  format, type,   0,     copy.offset, copy.length, copy.hash, 0};
    return AppendWithBlob<CmdOp::TexSubImage2D>(rec, record, copy);
}

}  // namespace mora
