// Shared helpers of the render tests: a fixture that puts the process-wide grid, GL pending clears
// and settings back to a known state, triangle builders, a padded test surface and the binning
// view of one worker.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "diag/status_lines.h"
#include "gl/gl_context.h"
#include "panel/driver_settings.h"
#include "platform/topology.h"
#include "raster/setup_triangle.h"
#include "render/render_frame.h"
#include "render/tile_grid.h"
#include "render/triangle_binning.h"
#include "rjq/render_job_queue.h"
#include "test_support/driver_state.h"

namespace mora::test {

// An untextured, depth-less triangle with the given window coordinates.
inline SetupTriangle MakeTriangle(float x0, float y0, float x1, float y1, float x2, float y2) {
    SetupTriangle t{};
    t.x0 = x0, t.y0 = y0, t.x1 = x1, t.y1 = y1, t.x2 = x2, t.y2 = y2;
    t.z0 = t.z1 = t.z2 = t.zmin = t.zmax = 0.5f;
    t.colour0 = t.colour1 = t.colour2 = 0xFFFFFFFFu;
    t.invw0 = t.invw1 = t.invw2 = 1.0f;
    t.textureSlot = kNoTextureSlot;
    return t;
}

// Colour memory with padded rows (pitch > width x 4) filled with a canary, and a depth buffer, as
// a mapped staging texture and the Surface's heap depth buffer would be.
struct TestSurface {
    static constexpr uint8_t kCanary = 0xAB;
    static constexpr float kUnwrittenDepth = -7.0f;

    TestSurface(int32_t w, int32_t h, int32_t padBytes = 24)
        : width(w),
          height(h),
          pitch(w * 4 + padBytes),
          colour(std::size_t(pitch) * std::size_t(h), kCanary),
          depth(std::size_t(w) * std::size_t(h), kUnwrittenDepth) {}

    SurfaceView View() { return SurfaceView{colour.data(), pitch, width, height, depth.data()}; }
    uint32_t Pixel(int32_t x, int32_t y) const {
        uint32_t value;
        std::memcpy(&value, colour.data() + std::size_t(y) * std::size_t(pitch) + 4u * std::size_t(x), 4);
        return value;
    }
    float Depth(int32_t x, int32_t y) const { return depth[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    bool PaddingIntact() const {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t b = width * 4; b < pitch; ++b)
                if (colour[std::size_t(y) * std::size_t(pitch) + std::size_t(b)] != kCanary) return false;
        return true;
    }
    bool AllPixels(uint32_t value) const {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                if (Pixel(x, y) != value) return false;
        return true;
    }

    int32_t width, height, pitch;
    std::vector<uint8_t> colour;
    std::vector<float> depth;
};

// Worker `w`'s view of the process-wide grid and partition.
inline WorkerBinningView ViewForWorker(uint16_t w) {
    TileGrid& grid = TheTileGrid();
    WorkerBinningView view;
    view.size = CurrentTileGridSize(TheGlContext());
    view.bins = grid.bins.data();
    view.ownedTiles = grid.workerMacroTiles.at(w).data();
    view.ownedCount = grid.workerMacroTiles.at(w).size();
    view.owner = grid.macroTileOwner.data();
    view.worker = w;
    return view;
}

inline const MicroTileBin& BinAt(int32_t mx, int32_t my) {
    return TheTileGrid().bins.at(static_cast<std::size_t>(my) * static_cast<std::size_t>(TheGlContext().microTilesX) +
                                 static_cast<std::size_t>(mx));
}

// Puts the process-wide renderer state back to "never sized, nothing pending" before each test.
class RenderStateTest : public ::testing::Test {
protected:
    void SetUp() override { ResetRenderState(); }
    void TearDown() override { ResetRenderState(); }

    static void ResetRenderState() {
        ResetDriverState();                                    // default settings, no frame triangles or pending clears
        SetSettingValue(TheDriverSettings().ForceVrsRate, 0);  // full-rate shading
        ResizeTileGrid(0, 0);
        ResetStatusLines();
        TheGlContext().clearColour = 0xFF000000u;
        rjq::SetProcessQueue(nullptr);
    }
};

// The same, with frames rendered on a job queue of its own: UseWorkers(n) replaces the process
// queue with one of n workers on made-up processors (0: no queue, the caller renders).
class RenderQueueTest : public RenderStateTest {
protected:
    void TearDown() override {
        UseWorkers(0);
        RenderStateTest::TearDown();
    }
    void UseWorkers(uint32_t workers, uint64_t idleSpinMicroseconds = 50) {
        rjq::SetProcessQueue(nullptr);
        rjq::DestroyRenderJobQueue(queue_);
        queue_ = nullptr;
        if (workers == 0) return;
        std::vector<platform::LogicalProcessor> processors(workers);
        for (uint32_t i = 0; i < workers; ++i) processors[i].number = processors[i].core = i;
        queue_ = rjq::CreateRenderJobQueue(rjq::kDefaultCapacity, workers, processors, idleSpinMicroseconds);
        ASSERT_NE(queue_, nullptr);
        ASSERT_EQ(queue_->workerCount, workers);
        rjq::SetProcessQueue(queue_);
    }
    rjq::RenderJobQueue* queue_ = nullptr;
};

}  // namespace mora::test
