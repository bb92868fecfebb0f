// Frames whose clears the workers apply tile by tile, and workers that render tiles of other
// partitions once their own are done: the pixels must be those of one thread doing everything.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "gl/gl_enums.h"
#include "gl/gl_state.h"
#include "render/render_frame.h"
#include "render/render_test_support.h"
#include "render/tile_grid.h"
#include "rjq/render_job_queue.h"

namespace mora {
namespace {

// Colour rows padded past the width, filled with a canary like a reused staging buffer.
struct Buffers {
    Buffers(int32_t w, int32_t h)
        : width(w), height(h), pitch(w * 4 + 16), colour(static_cast<std::size_t>(pitch) * h, 0xAB),
          depth(static_cast<std::size_t>(w) * h, -3.0f) {}
    SurfaceView View() {
        return SurfaceView{colour.data(), pitch, width, height, depth.data()};
    }
    int32_t width, height, pitch;
    std::vector<uint8_t> colour;
    std::vector<float> depth;
};

class TileClearTest : public test::RenderQueueTest {
protected:
    // Clears colour and depth, then draws `triangles` into a fresh w x h surface.
    Buffers Draw(int32_t w, int32_t h, const std::vector<SetupTriangle>& triangles, FrameOptions options) {
        GlContext& gl = TheGlContext();
        ApplyClearColor(gl, 0.0f, 0.0f, 1.0f, 1.0f);
        ApplyClearDepth(gl, 0.75f);
        ApplyClear(gl, gle::kColorBufferBit | gle::kDepthBufferBit);
        TheTileGrid().setupTriangles = triangles;
        Buffers buffers(w, h);
        RenderFrame(buffers.View(), options);
        ResetFrame();
        return buffers;
    }
};

SetupTriangle Additive(float x0, float y0, float x1, float y1, float x2, float y2, uint32_t colour) {
    SetupTriangle t = test::MakeTriangle(x0, y0, x1, y1, x2, y2);
    t.colour0 = t.colour1 = t.colour2 = colour;
    t.blendCode = kBlendAdditive;
    t.depthTest = 1;
    t.depthFunc = kDepthLequal;
    t.depthWrite = 1;
    return t;
}

TEST_F(TileClearTest, SurfaceLargerThanTheGridIsClearedInsideAndOutsideTheTiles) {
    ResizeTileGrid(40, 20);
    const std::vector<SetupTriangle> corner = {Additive(0, 0, 6, 0, 0, 6, 0x00101010u)};
    for (const uint32_t workers : {0u, 2u}) {
        UseWorkers(workers, 0);
        for (const uint32_t stage : {4u, 5u}) {
            SCOPED_TRACE(testing::Message() << workers << " workers, cut-off " << stage);
            Buffers b = Draw(53, 29, corner, FrameOptions{stage == 4 ? uint8_t{1} : uint8_t{0}, 1, stage});
            for (int32_t y = 0; y < b.height; ++y) {
                for (int32_t x = 0; x < b.width; ++x) {
                    uint32_t pixel;
                    std::memcpy(&pixel, b.colour.data() + static_cast<std::size_t>(y) * b.pitch + 4 * x, 4);
                    const bool drawn = stage == 5 && x + y < 5;  // pixel centres inside the triangle
                    ASSERT_EQ(pixel, drawn ? 0xFF1010FFu : 0xFF0000FFu) << x << "," << y;
                    // Interpolated depth may differ from 0.5 in the last bit.
                    ASSERT_NEAR(b.depth[static_cast<std::size_t>(y) * b.width + x], drawn ? 0.5f : 0.75f, 1e-6f)
                        << x << "," << y;
                }
                for (int32_t byte = b.width * 4; byte < b.pitch; ++byte)
                    ASSERT_EQ(b.colour[static_cast<std::size_t>(y) * b.pitch + byte], 0xAB);
            }
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
    const Buffers single = Draw(512, 384, heap, FrameOptions{0, 1, 5});
    for (const uint32_t workers : {2u, 5u}) {
        UseWorkers(workers, 0);
        for (int frame = 0; frame < 3; ++frame) {
            const Buffers many = Draw(512, 384, heap, FrameOptions{0, 1, 5});
            ASSERT_EQ(many.colour, single.colour) << workers << " workers, frame " << frame;
            ASSERT_EQ(many.depth, single.depth) << workers << " workers, frame " << frame;
        }
    }
}

}  // namespace
}  // namespace mora
