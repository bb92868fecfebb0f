#include "render/surface_view.h"

namespace mora {

bool SurfaceUsable(const SurfaceView& surface) {
    if (surface.colourBase == nullptr || surface.depthBuffer == nullptr) return false;
    if (surface.width < 1 || surface.height < 1) return false;
    if (static_cast<int64_t>(surface.colourPitch) < static_cast<int64_t>(surface.width) * 4) return false;
    return surface.colourPitch % 4 == 0 && reinterpret_cast<uintptr_t>(surface.colourBase) % 4 == 0;
}

}  // namespace mora
