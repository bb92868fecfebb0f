#include "render/tile_grid.h"

#include <algorithm>

#include "diag/profile_scope_names.h"
#include "diag/profiler.h"
#include "diag/status_lines.h"
#include "gl/gl_context.h"
#include "gl/gl_hooks.h"

namespace mora {

namespace detail {
constinit platform::NeverDestroyed<TileGrid> gTileGrid;  // a late swap still finds it
}

namespace {

// Tile count along one axis for `pixels` pixels, in 64 bits so that sizes near the i32 limit
// cannot overflow the rounding add.
int32_t TilesFor(int32_t pixels, int shift) {
    const int64_t rounded = (static_cast<int64_t>(pixels) + ((int64_t{1} << shift) - 1)) >> shift;
    return static_cast<int32_t>(rounded);
}

void WriteFramebufferStatus(const TileGridSize& size) {
    FormatStatusLine(StatusLine::Framebuffer, "[MORA framebuffer = %dx%d (%dx%d macro, %dx%d micro tiles)]", size.width,
                     size.height, size.macroTilesX, size.macroTilesY, size.microTilesX, size.microTilesY);
}

template <typename T>
void ReserveAtLeast(std::vector<T>& array, std::size_t count) {
    if (array.capacity() < count) array.reserve(count);
}

}  // namespace

TileGridSize ComputeTileGridSize(int32_t width, int32_t height) {
    TileGridSize size;
    size.width = std::clamp(width, 0, kMaxFramebufferSide);
    size.height = std::clamp(height, 0, kMaxFramebufferSide);
    size.microTilesX = TilesFor(size.width, 3);
    size.microTilesY = TilesFor(size.height, 3);
    size.macroTilesX = TilesFor(size.width, 5);
    size.macroTilesY = TilesFor(size.height, 5);
    return size;
}

TileGridSize CurrentTileGridSize(const GlContext& gl) {
    TileGridSize size;
    size.width = gl.framebufferWidth;
    size.height = gl.framebufferHeight;
    size.microTilesX = gl.microTilesX;
    size.microTilesY = gl.microTilesY;
    size.macroTilesX = gl.macroTilesX;
    size.macroTilesY = gl.macroTilesY;
    return size;
}

bool TileGridConsistent(const GlContext& gl, const TileGrid& grid) {
    const TileGridSize expected = ComputeTileGridSize(gl.framebufferWidth, gl.framebufferHeight);
    const TileGridSize stored = CurrentTileGridSize(gl);
    if (expected.width != stored.width || expected.height != stored.height ||
        expected.microTilesX != stored.microTilesX || expected.microTilesY != stored.microTilesY ||
        expected.macroTilesX != stored.macroTilesX || expected.macroTilesY != stored.macroTilesY) {
        return false;
    }
    const uint64_t microTiles =
        static_cast<uint64_t>(expected.microTilesX) * static_cast<uint64_t>(expected.microTilesY);
    return grid.bins.size() == microTiles && grid.hiz.size() == microTiles;
}

void ResizeTileGrid(int32_t width, int32_t height) {
    diag::ProfileScope scope(diag::kScopeResizeTileGrid);
    GlContext& gl = TheGlContext();
    TileGrid& grid = TheTileGrid();
    const TileGridSize size = ComputeTileGridSize(width, height);
    if (size.width == gl.framebufferWidth && size.height == gl.framebufferHeight && !grid.bins.empty() &&
        TileGridConsistent(gl, grid)) {
        return;
    }

    // Grow every array before the sizes are published, so that an allocation failure never
    // leaves the GlContext describing a grid larger than its arrays.
    const std::size_t microTiles =
        static_cast<std::size_t>(static_cast<uint64_t>(size.microTilesX) * static_cast<uint64_t>(size.microTilesY));
    grid.bins.resize(microTiles);
    for (MicroTileBin& bin : grid.bins) ReserveAtLeast(bin, kMinBinCapacity);
    grid.hiz.assign(microTiles, 1.0f);
    grid.workerMacroTiles.clear();
    grid.macroTileOwner.clear();
    ReserveAtLeast(grid.setupTriangles, kReservedSetupTriangles);
    ReserveAtLeast(gl.frameVertices, kReservedFrameVertices);
    ReserveAtLeast(gl.nativePackets, kReservedNativePackets);

    gl.framebufferWidth = size.width;
    gl.framebufferHeight = size.height;
    gl.microTilesX = size.microTilesX;
    gl.microTilesY = size.microTilesY;
    gl.macroTilesX = size.macroTilesX;
    gl.macroTilesY = size.macroTilesY;
    WriteFramebufferStatus(size);
}

bool TileGridHasStorage() { return !TheTileGrid().bins.empty(); }

void InstallTileGridHooks() {
    GlHooks& hooks = TheGlHooks();
    hooks.resizeTileGrid = &ResizeTileGrid;
    hooks.tileGridHasStorage = &TileGridHasStorage;
}

void ResetFrame() {
    diag::ProfileScope scope(diag::kScopeResetFrame);
    GlContext& gl = TheGlContext();
    TileGrid& grid = TheTileGrid();
    grid.setupTriangles.clear();
    for (MicroTileBin& bin : grid.bins) bin.clear();

    gl.primitiveVertices.clear();
    gl.frameVertices.clear();
    gl.nativePackets.clear();
    gl.scissorBoxes.clear();
    gl.primitiveMode = 0;
    gl.primitiveOpen = false;
    gl.packetSequence = 0;
    gl.statistics = FrameStatistics{};

    gl.colourClearPending = false;
    gl.depthClearPending = false;

    grid.workerTriangleCount = 0;
    grid.workersGo.store(0, std::memory_order_relaxed);
}

}  // namespace mora
