// glReadPixels' flush and copy.
#include "frame/read_back.h"

#include <cstring>

#include "frame/context_record.h"
#include "frame/frame_sequence.h"

namespace mora {

namespace {

// Bytes per destination pixel for a supported format, 0 otherwise.
int64_t ReadPixelBytes(uint32_t format) {
    switch (format) {
        case kReadFormatBgra:
        case kReadFormatRgba: return 4;
        case kReadFormatBgr:
        case kReadFormatRgb: return 3;
        default: return 0;
    }
}

// One row of `count` source pixels (bytes B, G, R, A each) into the destination order.
void ConvertRow(const uint8_t* source, uint8_t* out, int32_t count, uint32_t format) {
    switch (format) {
        case kReadFormatBgra: std::memcpy(out, source, static_cast<size_t>(count) * 4u); return;
        case kReadFormatRgba:
            for (int32_t i = 0; i < count; ++i, source += 4, out += 4) {
                out[0] = source[2];
                out[1] = source[1];
                out[2] = source[0];
                out[3] = source[3];
            }
            return;
        case kReadFormatBgr:
            for (int32_t i = 0; i < count; ++i, source += 4, out += 3) {
                out[0] = source[0];
                out[1] = source[1];
                out[2] = source[2];
            }
            return;
        default:  // kReadFormatRgb
            for (int32_t i = 0; i < count; ++i, source += 4, out += 3) {
                out[0] = source[2];
                out[1] = source[1];
                out[2] = source[0];
            }
            return;
    }
}

// Bytes per component of a destination type, 0 for an unknown type.
int64_t ReadComponentBytes(uint32_t type) {
    switch (type) {
        case kReadTypeByte:
        case kReadTypeUnsignedByte: return 1;
        case kReadTypeShort:
        case kReadTypeUnsignedShort: return 2;
        case kReadTypeInt:
        case kReadTypeUnsignedInt:
        case kReadTypeFloat: return 4;
        default: return 0;
    }
}

// c x largest / 255, rounded to nearest, for the signed types.
template <class T>
T ScaledSigned(uint8_t c, int64_t largest) {
    return static_cast<T>((static_cast<int64_t>(c) * largest + 127) / 255);
}

template <class T>
void StoreComponents(const uint8_t* bytes, int64_t count, uint8_t* out, T (*convert)(uint8_t)) {
    for (int64_t i = 0; i < count; ++i, out += sizeof(T)) {
        const T value = convert(bytes[i]);
        std::memcpy(out, &value, sizeof(T));
    }
}

// `count` components already in destination order, widened into `type` at `out`.
void WidenComponents(const uint8_t* bytes, int64_t count, uint32_t type, uint8_t* out) {
    switch (type) {
        case kReadTypeByte:
            StoreComponents<int8_t>(bytes, count, out, [](uint8_t c) { return ScaledSigned<int8_t>(c, 127); });
            return;
        case kReadTypeShort:
            StoreComponents<int16_t>(bytes, count, out, [](uint8_t c) { return ScaledSigned<int16_t>(c, 32767); });
            return;
        case kReadTypeUnsignedShort:
            StoreComponents<uint16_t>(bytes, count, out, [](uint8_t c) { return static_cast<uint16_t>(c * 257u); });
            return;
        case kReadTypeInt:
            StoreComponents<int32_t>(bytes, count, out, [](uint8_t c) { return ScaledSigned<int32_t>(c, 2147483647); });
            return;
        case kReadTypeUnsignedInt:
            StoreComponents<uint32_t>(bytes, count, out, [](uint8_t c) { return c * 0x01010101u; });
            return;
        default:  // kReadTypeFloat
            StoreComponents<float>(bytes, count, out, [](uint8_t c) { return static_cast<float>(c) / 255.0f; });
            return;
    }
}

// One row in a wider type: converted to bytes a chunk at a time on the stack, then widened.
void ConvertWideRow(const uint8_t* source, uint8_t* out, int32_t count, uint32_t format, int64_t pixelBytes,
                    uint32_t type) {
    constexpr int32_t kChunk = 256;
    uint8_t bytes[kChunk * 4];
    const int64_t componentBytes = ReadComponentBytes(type);
    for (int32_t done = 0; done < count; done += kChunk) {
        const int32_t n = count - done < kChunk ? count - done : kChunk;
        ConvertRow(source + static_cast<int64_t>(done) * 4, bytes, n, format);
        WidenComponents(bytes, n * pixelBytes, type, out + static_cast<int64_t>(done) * pixelBytes * componentBytes);
    }
}

}  // namespace

bool CopyReadRectangle(const ReadSource& source, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t format,
                       uint32_t type, void* pixels) {
    const int64_t pixelBytes = ReadPixelBytes(format);
    const int64_t componentBytes = ReadComponentBytes(type);
    if (pixels == nullptr || source.colourBase == nullptr || pixelBytes == 0 || componentBytes == 0) {
        return false;
    }
    if (source.width < 1 || source.height < 1 || source.pitch < static_cast<int64_t>(source.width) * 4) return false;
    if (width < 1 || height < 1 || x < 0 || y < 0) return false;
    if (static_cast<int64_t>(x) + width > source.width || static_cast<int64_t>(y) + height > source.height) {
        return false;
    }
    auto* out = static_cast<uint8_t*>(pixels);
    const int64_t outRowBytes = static_cast<int64_t>(width) * pixelBytes * componentBytes;
    for (int32_t r = 0; r < height; ++r) {
        const int64_t sourceRow = static_cast<int64_t>(source.height) - 1 - y - r;
        const uint8_t* from = source.colourBase + sourceRow * source.pitch + static_cast<int64_t>(x) * 4;
        uint8_t* to = out + static_cast<int64_t>(r) * outRowBytes;
        if (type == kReadTypeUnsignedByte) {
            ConvertRow(from, to, width, format);
        } else {
            ConvertWideRow(from, to, width, format, pixelBytes, type);
        }
    }
    return true;
}

void ReadPixelsFromCurrentSurface(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t format, uint32_t type,
                                  void* pixels) {
    if (pixels == nullptr || width < 1 || height < 1) return;
    ContextRecord* context = CurrentContextRecord();
    if (context == nullptr) return;
    FlushFrame(*context);
    const Surface& surface = context->surface;
    if (!SurfaceHasBuffers(surface)) return;
    const ReadSource source{surface.colourBase, surface.colourPitch, surface.width, surface.height};
    CopyReadRectangle(source, x, y, width, height, format, type, pixels);
}

}  // namespace mora
