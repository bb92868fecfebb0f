// ExecuteFrame: keyframe restore, the cut-off stages, the emptied working set, the emit stage's
// parallel path producing exactly the single-job triangles, and packets past the vertex array.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "geometry/emit_stage.h"
#include "geometry/execute_frame.h"
#include "gl/gl_enums.h"
#include "gl/gl_state.h"
#include "gl/keyframe.h"
#include "geometry/frame_test_support.h"

namespace mora {
namespace {

using test::ScopedSetting;

// One triangle fully inside a 640 x 480 viewport at (10, 20) (identity matrices), depth range
// 0.25 .. 0.75, blending (ONE, ONE).
void AppendInsideTriangle(CommandStream& s) {
    test::AppendView(s, 640, 480);
    AppendViewport(s, 10, 20, 640, 480);
    AppendDepthRange(s, 0.25, 0.75);
    AppendEnable(s, 0x0BE2);
    AppendBlendFunc(s, 1, 1);
    AppendBegin(s, 4);
    AppendColor(s, 0xFF0000FFu);
    AppendVertex3f(s, -0.5f, -0.5f, 0.0f);
    AppendVertex3f(s, 0.5f, -0.5f, 0.5f);
    AppendVertex3f(s, 0.0f, 0.5f, -0.5f);
    AppendEnd(s);
    AppendFrameEnd(s);
}

TEST(ExecuteFrame, CutOffStages) {
    FrameRecording frame;
    AppendInsideTriangle(frame.commands.stream);
    const struct {
        int32_t cutoff;
        size_t packets, triangles;
        bool replayed;
    } stages[] = {{0, 0, 0, false}, {1, 1, 0, true}, {2, 1, 1, true}, {5, 1, 1, true}};
    for (const auto& stage : stages) {
        SCOPED_TRACE(stage.cutoff);
        frame.cutoff = static_cast<PipelineStage>(stage.cutoff);
        auto ctx = test::NewContext();
        std::vector<SetupTriangle> triangles(3);  // stale triangles from an earlier frame
        ctx->nativePackets.resize(2);
        ctx->frameVertices.resize(5);
        ctx->primitiveVertices.resize(1);
        ctx->packetSequence = 9;
        ctx->statistics.emitTicks = 1234;
        ExecuteFrame(*ctx, triangles, frame, true, nullptr);
        // Packets, sequence, triangles, emitted count, replayed state, primitive vertices; at stage 0
        // also the zeroed statistics and the dropped frame vertices.
        EXPECT_EQ(
            (std::vector<uint64_t>{ctx->nativePackets.size(), ctx->packetSequence, triangles.size(),
                                   ctx->statistics.emittedTriangles, ctx->blendEnabled, ctx->primitiveVertices.size(),
                                   stage.cutoff == 0 ? ctx->statistics.emitTicks : 0,
                                   stage.cutoff == 0 ? ctx->frameVertices.size() : 0}),
            (std::vector<uint64_t>{stage.packets, stage.packets, stage.triangles, stage.triangles, stage.replayed, 0, 0,
                                   0}));
    }
}

TEST(ExecuteFrame, FullPipelineRestoresTheKeyframeAndWritesTheTriangleWithItsState) {
    ScopedSetting cutoff(TheDriverSettings().PipelineCutoff, 5);
    auto ctx = test::NewContext();
    PendingKeyframe pending;
    ASSERT_TRUE(ClosePendingKeyframe(pending, *ctx));  // frame start: culling off
    FrameRecording frame;
    AppendInsideTriangle(frame.commands.stream);
    // The API side left culling on (front faces) after the frame; the replay must start without it.
    ApplyEnable(*ctx, 0x0B44);
    ApplyCullFace(*ctx, 0x0408);
    BuildKeyframe(pending, *ctx, frame.keyframe);
    std::vector<SetupTriangle> triangles;
    ExecuteFrame(*ctx, triangles, frame, false, nullptr);
    EXPECT_FALSE(ctx->cullEnabled);
    ASSERT_EQ(triangles.size(), 1u);
    const SetupTriangle& t = triangles[0];
    const float got[7] = {t.x0, t.y0, t.x2, t.y2, t.z1, t.zmin, t.zmax};
    const float want[7] = {170, 380, 330, 140, 0.625f, 0.375f, 0.625f};
    for (int i = 0; i < 7; ++i) EXPECT_FLOAT_EQ(got[i], want[i]) << "value " << i;
    EXPECT_EQ((std::vector<uint64_t>{t.colour0, t.blendCode, t.textureSlot, ctx->statistics.packetCount,
                                     ctx->statistics.vertexRecords, ctx->statistics.streamBytes}),
              (std::vector<uint64_t>{0xFF0000FFu, 1, kNoTextureSlot, 1, 3, CommandBufferSize(frame.commands.stream)}));

    // The overrides are read when the frame executes; DisableHiZ widens the depth bounds.
    ScopedSetting blend(TheDriverSettings().DisableBlend, 1);
    ScopedSetting hiz(TheDriverSettings().DisableHiZ, 1);
    ExecuteFrame(*ctx, triangles, frame, false, nullptr);
    ASSERT_EQ(triangles.size(), 1u);
    EXPECT_EQ(triangles[0].blendCode, 0u);
    EXPECT_EQ((std::vector<float>{triangles[0].zmin, triangles[0].zmax}), (std::vector<float>{-1e30f, 1e30f}));
}

TEST(EmitStage, ParallelJobsWriteTheSingleJobBytes) {
    ScopedSetting cutoff(TheDriverSettings().PipelineCutoff, 5);
    rjq::RenderJobQueue* queue = test::NewQueue(4);
    ASSERT_NE(queue, nullptr);
    for (uint32_t packets : {3u, 97u, 1000u}) {
        SCOPED_TRACE(packets);
        FrameRecording frame;
        test::AppendRandomScene(frame.commands.stream, packets, packets, 40000);
        auto ctx = test::NewContext();
        std::vector<SetupTriangle> single, parallel;
        ExecuteFrame(*ctx, single, frame, false, queue);
        ASSERT_GE(ctx->frameVertices.size(), kParallelEmitMinVertices);
        const uint32_t before = queue->nextSequence.load();
        ExecuteFrame(*ctx, parallel, frame, true, queue);
        EXPECT_EQ(queue->nextSequence.load(), before + 1);  // one job of min(4, packets) items ran
        ASSERT_GT(single.size(), 1000u);
        ASSERT_EQ(single.size(), parallel.size());
        EXPECT_EQ(0, std::memcmp(single.data(), parallel.data(), single.size() * sizeof(SetupTriangle)));
        EXPECT_EQ(ctx->statistics.emittedTriangles, parallel.size());
    }

    rjq::DestroyRenderJobQueue(queue);
}

// A packet whose vertex range runs past the frame's vertex array is skipped, whatever its mode.
// (Flat colours per mode, lines and points are compared with OSMesa in tests/compare.)
TEST(EmitStage, APacketRangePastTheVertexArrayIsSkipped) {
    for (uint32_t mode = gle::kPoints; mode <= gle::kPolygon; ++mode) {
        auto ctx = test::NewContext();
        for (uint32_t i = 0; i < 6; ++i) {
            const float a = float(i) * 0.6f;
            ctx->frameVertices.push_back(GlVertex{0.5f * std::cos(a), 0.5f * std::sin(a), 0, i, 0, 0});
        }
        NativePacket p{};
        for (int k = 0; k < 16; k += 5) p.mvp[k] = 1.0f;
        p.viewport[2] = 100;
        p.viewport[3] = 100;
        p.depthFar = 1;
        p.mode = mode;
        p.vertexCount = 6;
        ctx->nativePackets.push_back(p);
        std::vector<SetupTriangle> out;
        EmitFrameTriangles(*ctx, out, false, EmitOptions{false, false}, nullptr);
        EXPECT_FALSE(out.empty()) << "mode " << mode;
        ctx->nativePackets[0].firstVertex = 5;
        EmitFrameTriangles(*ctx, out, false, EmitOptions{false, false}, nullptr);
        EXPECT_TRUE(out.empty()) << "mode " << mode;
    }
}

}  // namespace
}  // namespace mora
