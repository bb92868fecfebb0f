// The replay's in-memory colour and depth buffers.
#include "replay_surface.h"

#include <algorithm>
#include <cstring>

namespace mora::replay {

bool CreateReplaySurface(ReplaySurface& surface, int32_t width, int32_t height) {
    surface = ReplaySurface{};
    if (width < 1 || height < 1 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) return false;
    const int64_t rowBytes = static_cast<int64_t>(width) * 4;
    const int64_t pitch = (rowBytes + kRowPaddingBytes + 63) / 64 * 64;
    surface.width = width;
    surface.height = height;
    surface.colourPitch = static_cast<int32_t>(pitch);
    for (std::vector<uint32_t>& colour : surface.colourWords)
        colour.resize(static_cast<std::size_t>(pitch / 4 * height));
    surface.depth.resize(static_cast<std::size_t>(static_cast<int64_t>(width) * height));
    ResetReplaySurface(surface);
    return true;
}

void ResetReplaySurface(ReplaySurface& surface) {
    for (std::vector<uint32_t>& colour : surface.colourWords) std::fill(colour.begin(), colour.end(), 0u);
    std::fill(surface.depth.begin(), surface.depth.end(), 1.0f);
    surface.drawBuffer = 0;
    surface.shownBuffer = 0;
}

SurfaceView ViewOfReplaySurface(ReplaySurface& surface) {
    SurfaceView view;
    view.colourBase = reinterpret_cast<uint8_t*>(surface.colourWords[surface.drawBuffer].data());
    view.colourPitch = surface.colourPitch;
    view.width = surface.width;
    view.height = surface.height;
    view.depthBuffer = surface.depth.data();
    return view;
}

void PresentReplaySurface(ReplaySurface& surface) {
    surface.shownBuffer = surface.drawBuffer;
    surface.drawBuffer = (surface.drawBuffer + 1) % kColourBufferCount;
}

void CopyTightBgra(const ReplaySurface& surface, std::vector<uint8_t>& out) {
    const std::size_t rowBytes = static_cast<std::size_t>(surface.width) * 4;
    out.resize(rowBytes * static_cast<std::size_t>(surface.height));
    const auto* base = reinterpret_cast<const uint8_t*>(surface.colourWords[surface.shownBuffer].data());
    for (int32_t y = 0; y < surface.height; ++y) {
        std::memcpy(out.data() + rowBytes * static_cast<std::size_t>(y),
                    base + static_cast<std::size_t>(surface.colourPitch) * static_cast<std::size_t>(y), rowBytes);
    }
}

}  // namespace mora::replay
