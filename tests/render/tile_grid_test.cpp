// The tile grid: sizes and their status line, what a resize keeps, and the per-frame reset that empties arrays without freeing them.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "diag/status_lines.h"
#include "gl/gl_context.h"
#include "gl/gl_hooks.h"
#include "gl/gl_state.h"
#include "render/render_test_support.h"
#include "render/tile_grid.h"
#include "render/worker_partition.h"

namespace mora {
namespace {

using TileGridTest = test::RenderStateTest;

// Width, height, MicroTiles across and down, MacroTiles across and down.
using Sizes = std::vector<int32_t>;
Sizes SizesOf(const TileGridSize& s) {
    return {s.width, s.height, s.microTilesX, s.microTilesY, s.macroTilesX, s.macroTilesY};
}
Sizes ContextSizes() { return SizesOf(CurrentTileGridSize(TheGlContext())); }

TEST_F(TileGridTest, SizesAGridWithReservedCapacitiesAndWritesItsStatusLine) {
    EXPECT_EQ(StatusLineText(StatusLine::Framebuffer), "[MORA framebuffer = not set]");
    ResizeTileGrid(640, 480);
    const GlContext& gl = TheGlContext();
    EXPECT_EQ(ContextSizes(), (Sizes{640, 480, 80, 60, 20, 15}));
    EXPECT_EQ(StatusLineText(StatusLine::Framebuffer), "[MORA framebuffer = 640x480 (20x15 macro, 80x60 micro tiles)]");
    const TileGrid& grid = TheTileGrid();
    ASSERT_EQ(grid.bins.size(), 80u * 60u);
    for (const MicroTileBin& bin : grid.bins) ASSERT_TRUE(bin.empty() && bin.capacity() >= kMinBinCapacity);
    EXPECT_EQ(grid.hiz, std::vector<float>(80 * 60, 1.0f));
    EXPECT_GE(grid.setupTriangles.capacity(), kReservedSetupTriangles);
    EXPECT_GE(gl.frameVertices.capacity(), kReservedFrameVertices);
    EXPECT_GE(gl.nativePackets.capacity(), kReservedNativePackets);

    EXPECT_EQ(SizesOf(ComputeTileGridSize(33, 9)), (Sizes{33, 9, 5, 2, 2, 1}));  // partial tiles round up
    // A size past the largest framebuffer drawn gives that framebuffer's grid.
    EXPECT_EQ(SizesOf(ComputeTileGridSize(INT32_MAX, INT32_MIN)),
              (Sizes{kMaxFramebufferSide, 0, kMaxFramebufferSide / 8, 0, kMaxFramebufferSide / 32, 0}));
}

TEST_F(TileGridTest, ResizingKeepsWhatTheNewSizeCanUse) {
    ResizeTileGrid(64, 64);
    TileGrid& grid = TheTileGrid();
    grid.hiz[3] = 0.25f;
    RebuildWorkerTilePartition(2);
    ResizeTileGrid(64, 64);  // the same size keeps HiZ and the partition
    EXPECT_EQ(grid.hiz[3], 0.25f);
    EXPECT_EQ(grid.workerMacroTiles.size(), 2u);
    ResizeTileGrid(64, 96);  // a different size resets HiZ and drops the partition
    EXPECT_EQ(grid.hiz[3], 1.0f);
    EXPECT_TRUE(grid.workerMacroTiles.empty());

    ResizeTileGrid(16, 8);  // two bins
    grid.bins[1].assign({4u, 9u});
    grid.bins[1].shrink_to_fit();
    ResizeTileGrid(24, 8);  // three bins: the first two survive with their contents
    ASSERT_EQ(grid.bins.size(), 3u);
    EXPECT_EQ(grid.bins[1], (MicroTileBin{4u, 9u}));
    for (const MicroTileBin& bin : grid.bins) EXPECT_GE(bin.capacity(), kMinBinCapacity);
}

TEST_F(TileGridTest, ResetFrameEmptiesTheFrameButKeepsCapacitiesAndClearValues) {
    ResizeTileGrid(64, 32);
    TileGrid& grid = TheTileGrid();
    GlContext& gl = TheGlContext();
    for (uint32_t i = 0; i < 20; ++i) grid.bins[5].push_back(i);
    const std::size_t binCapacity = grid.bins[5].capacity();
    grid.setupTriangles.resize(10);
    gl.frameVertices.resize(7);
    gl.primitiveVertices.resize(3);
    gl.primitiveMode = 4;
    gl.packetSequence = 12;
    gl.statistics.emittedTriangles = grid.workerTriangleCount = 10;
    gl.colourClearPending = gl.depthClearPending = true;
    gl.colourClearValue = 0xFF00FF00u;
    gl.depthClearValue = 0.5f;
    grid.workersGo.store(1);

    ResetFrame();
    EXPECT_EQ((std::vector<uint64_t>{grid.bins[5].size(), grid.setupTriangles.size(), gl.frameVertices.size(),
                                     gl.primitiveVertices.size(), gl.primitiveMode, gl.packetSequence,
                                     gl.statistics.emittedTriangles, grid.workerTriangleCount,
                                     uint64_t(grid.workersGo.load()), gl.colourClearPending, gl.depthClearPending}),
              std::vector<uint64_t>(11, 0));
    EXPECT_EQ(grid.bins[5].capacity(), binCapacity);
    EXPECT_GE(grid.setupTriangles.capacity(), kReservedSetupTriangles);
    EXPECT_EQ(gl.colourClearValue, 0xFF00FF00u);  // the values stay
    EXPECT_EQ(gl.depthClearValue, 0.5f);
}

}  // namespace
}  // namespace mora
