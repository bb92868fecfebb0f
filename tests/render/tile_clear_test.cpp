// Frames whose clears the workers apply tile by tile on surfaces of other sizes than the grid, and
// workers that render tiles of other partitions once their own are done: the pixels must be those
// of one thread doing everything.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "gl/gl_enums.h"
#include "gl/gl_state.h"
#include "render/render_frame.h"
#include "render/render_test_support.h"
#include "render/tile_grid.h"

namespace mora {
namespace {

using test::TestSurface;

class TileClearTest : public test::RenderQueueTest {
protected:
    // Clears colour to blue and depth to 0.75, then draws `triangles` into a fresh w x h surface.
    TestSurface Draw(int32_t w, int32_t h, const std::vector<SetupTriangle>& triangles, FrameOptions options) {
        GlContext& gl = TheGlContext();
        ApplyClearColor(gl, 0.0f, 0.0f, 1.0f, 1.0f);
        ApplyClearDepth(gl, 0.75f);
        ApplyClear(gl, gle::kColorBufferBit | gle::kDepthBufferBit);
        TheTileGrid().setupTriangles = triangles;
        TestSurface surface(w, h, 16);
        RenderFrame(surface.View(), options);
        ResetFrame();
        return surface;
    }
};

SetupTriangle Additive(float x0, float y0, float x1, float y1, float x2, float y2, uint32_t colour) {
    SetupTriangle t = test::MakeTriangle(x0, y0, x1, y1, x2, y2);
    t.colour0 = t.colour1 = t.colour2 = colour;
    t.blendCode = kBlendAdditive;
    t.depthTest = t.depthWrite = 1;
    t.depthFunc = kDepthLequal;
    return t;
}

// Surfaces larger and smaller than the grid: cleared and drawn inside and outside the tiles, never
// written past their rows (the sanitizer builds catch a write past the exactly sized buffers).
TEST_F(TileClearTest, SurfacesOfAnotherSizeThanTheGridAreClearedAndDrawnOnlyInside) {
    ResizeTileGrid(40, 20);
    for (const auto& [width, height] : {std::pair{53, 29}, std::pair{21, 10}})
        for (const uint32_t workers : {0u, 2u}) {
            UseWorkers(workers, 0);
            for (const uint32_t stage : {4u, 5u}) {
                SCOPED_TRACE(testing::Message()
                             << width << "x" << height << ", " << workers << " workers, cut-off " << stage);
                const TestSurface s = Draw(width, height, {Additive(0, 0, 6, 0, 0, 6, 0x00101010u)},
                                           FrameOptions{stage == 4 ? uint8_t{1} : uint8_t{0}, 1, stage});
                for (int32_t y = 0; y < s.height; ++y) {
                    for (int32_t x = 0; x < s.width; ++x) {
                        const bool drawn = stage == 5 && x + y < 5;  // pixel centres inside the triangle
                        ASSERT_EQ(s.Pixel(x, y), drawn ? 0xFF1010FFu : 0xFF0000FFu) << x << "," << y;
                        // Interpolated depth may differ from 0.5 in the last bit.
                        ASSERT_NEAR(s.Depth(x, y), drawn ? 0.5f : 0.75f, 1e-6f) << x << "," << y;
                    }
                }
                EXPECT_TRUE(s.PaddingIntact());
            }
        }
}

TEST_F(TileClearTest, EveryMicroTileIsDrawnOnceWhateverWorkerTakesIt) {
    // Additive triangles show a tile drawn twice (or not at all); the load is uneven on purpose,
    // everything in one corner of a large grid, so that idle workers take other partitions' tiles.
    ResizeTileGrid(512, 384);
    std::vector<SetupTriangle> heap;
    // Red and green only: the clear is blue, and 200 overlaps of +1 cannot saturate.
    for (int i = 0; i < 200; ++i) {
        const float o = static_cast<float>(i % 37);
        heap.push_back(Additive(o, o, 200 + o, 3 * o, 5 * o, 180 - o, 0x00000100u));
    }
    heap.push_back(Additive(-50, -50, 1200, -50, -50, 900, 0x00010000u));
    UseWorkers(0);
    const TestSurface single = Draw(512, 384, heap, FrameOptions{0, 1, 5});
    for (const uint32_t workers : {2u, 5u}) {
        UseWorkers(workers, 0);
        for (int frame = 0; frame < 3; ++frame) {
            const TestSurface many = Draw(512, 384, heap, FrameOptions{0, 1, 5});
            ASSERT_EQ(many.colour, single.colour) << workers << " workers, frame " << frame;
            ASSERT_EQ(many.depth, single.depth) << workers << " workers, frame " << frame;
        }
    }
}

}  // namespace
}  // namespace mora
