// glReadPixels' flush and copy.
#include "wgl/read_back.h"

#include <cstring>

#include "wgl/context_record.h"
#include "wgl/frame_sequence.h"

namespace mora {

namespace {

// Bytes per destination pixel for a supported format, 0 otherwise.
int64_t ReadPixelBytes(uint32_t format) {
    switch (format) {
    case kReadFormatBgra:
    case kReadFormatRgba:
        return 4;
    case kReadFormatBgr:
    case kReadFormatRgb:
        return 3;
    default:
        return 0;
    }
}

// One row of `count` source pixels (bytes B, G, R, A each) into the destination order.
void ConvertRow(const uint8_t* source, uint8_t* out, int32_t count, uint32_t format) {
    switch (format) {
    case kReadFormatBgra:
        std::memcpy(out, source, static_cast<size_t>(count) * 4u);
        return;
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

}  // namespace

bool CopyReadRectangle(const ReadSource& source, int32_t x, int32_t y, int32_t width, int32_t height,
                       uint32_t format, uint32_t type, void* pixels) {
    const int64_t pixelBytes = ReadPixelBytes(format);
    if (pixels == nullptr || source.colourBase == nullptr || pixelBytes == 0 || type != kReadTypeUnsignedByte) {
        return false;
    }
    if (source.width < 1 || source.height < 1 || source.pitch < static_cast<int64_t>(source.width) * 4) return false;
    if (width < 1 || height < 1 || x < 0 || y < 0) return false;
    if (static_cast<int64_t>(x) + width > source.width || static_cast<int64_t>(y) + height > source.height) {
        return false;
    }
    auto* out = static_cast<uint8_t*>(pixels);
    const int64_t outRowBytes = static_cast<int64_t>(width) * pixelBytes;
    for (int32_t r = 0; r < height; ++r) {
        const int64_t sourceRow = static_cast<int64_t>(source.height) - 1 - y - r;
        const uint8_t* from = source.colourBase + sourceRow * source.pitch + static_cast<int64_t>(x) * 4;
        ConvertRow(from, out + static_cast<int64_t>(r) * outRowBytes, width, format);
    }
    return true;
}

void ReadPixelsFromCurrentSurface(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t format,
                                  uint32_t type, void* pixels) {
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
