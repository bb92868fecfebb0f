// GlHooks: function pointers through which GL state reaches the layers above it without
// including them. The window-system layer installs the surface hook and the render layer the
// tile-grid hooks (at library load); a hook left null is skipped or replaced by the fallback
// its comment names.
#pragma once

#include <cstdint>

namespace mora {

struct GlHooks {
    // Asks the calling thread's current window surface to provide at least width x height pixels.
    // Does nothing when the thread has no current surface (the frame executor thread). Null: skipped.
    void (*ensureSurfaceSize)(int32_t width, int32_t height) = nullptr;
    // Sizes the tile grid for a width x height framebuffer (mora::ResizeTileGrid), including the
    // context's six size fields. Null: only the size fields are set (SetTileGridSize).
    void (*resizeTileGrid)(int32_t width, int32_t height) = nullptr;
    // True when the tile grid has storage (its bins array is not empty). Null: the grid counts as
    // sized once framebufferWidth or framebufferHeight is not 0.
    bool (*tileGridHasStorage)() = nullptr;
    // True when the entry layer serves the seed subset (MORA_GL_SUBSET=seed): replay then keeps the
    // seed's raster state (three blend pairs, no scissor). Null: the full subset.
    bool (*seedSubset)() = nullptr;
};

// The process-wide hook record (constant-initialised, all null).
GlHooks& TheGlHooks();

}  // namespace mora
