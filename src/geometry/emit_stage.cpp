// Emit stage: packets -> SetupTriangles, on one job or split over the render job queue.
#include "geometry/emit_stage.h"

#include "geometry/line_point_emit.h"
#include "geometry/primitive_assembly.h"
#include "geometry/triangle_emit.h"
#include "panel/driver_settings.h"
#include "platform/clock.h"

namespace mora {

namespace {

// Per-job arrays of the stage: job j's output (parallel path only) and its vertex scratch (job 0's
// also serves the single-job path). Process-wide and indexed by job rather than by thread, so a
// steady frame finds every capacity it needs whichever worker runs which job. Only the thread
// running the stage resizes the lists; a job touches only its own entries.
struct EmitJobArrays {
    std::vector<std::vector<SetupTriangle>> outputs;
    std::vector<std::vector<PreparedVertex>> scratch;
};

EmitJobArrays& JobArrays() {
    static EmitJobArrays* const arrays = new EmitJobArrays;  // never destroyed: GL at exit
    return *arrays;
}

// GL_FLAT: every triangle takes the colour of its primitive's provoking vertex, which GL names
// per mode: the last vertex of each triangle of triangles, strips and fans (the third vertex of
// each decomposed triangle), the first of a polygon, the last of each quad (both decomposed
// triangles of a quad, plain or strip, start at its first vertex, three before the provoking one).
void EmitFlatTriangles(const NativePacket& packet, const EmitOptions& options, const GlVertex* v,
                       const PreparedVertex* prepared, std::vector<SetupTriangle>& out) {
    DecomposePrimitive(packet.mode, v, packet.vertexCount,
                       [&](const GlVertex& a, const GlVertex& b, const GlVertex& c) -> uint32_t {
                           const ptrdiff_t first = &a - v;
                           ptrdiff_t provoking = &c - v;
                           if (packet.mode == gle::kPolygon) provoking = first;
                           if (packet.mode == gle::kQuads || packet.mode == gle::kQuadStrip) provoking = first + 3;
                           const uint32_t colour = v[provoking].colour;
                           PreparedVertex pa = prepared[first];
                           PreparedVertex pb = prepared[&b - v];
                           PreparedVertex pc = prepared[&c - v];
                           pa.clip.colour = colour;
                           pb.clip.colour = colour;
                           pc.clip.colour = colour;
                           return EmitPreparedTriangle(packet, options, pa, pb, pc, out);
                       });
}

// Appends the SetupTriangles of packets [first, last) of ctx to `out`, in packet order.
// Strips, fans, quads and polygons share vertices between triangles: each vertex of a packet is
// transformed once into `prepared`.
void EmitPackets(const GlContext& ctx, uint32_t first, uint32_t last, const EmitOptions& options,
                 std::vector<PreparedVertex>& prepared, std::vector<SetupTriangle>& out) {
    const uint64_t vertexTotal = ctx.frameVertices.size();
    for (uint32_t i = first; i < last; ++i) {
        const NativePacket& packet = ctx.nativePackets[i];
        if (static_cast<uint64_t>(packet.firstVertex) + packet.vertexCount > vertexTotal) continue;
        const GlVertex* v = ctx.frameVertices.data() + packet.firstVertex;
        if (prepared.size() < packet.vertexCount) prepared.resize(packet.vertexCount);
        for (uint32_t k = 0; k < packet.vertexCount; ++k) prepared[k] = PrepareVertex(packet, options, v[k]);
        if (packet.mode <= gle::kLineStrip) {
            if (!ctx.seedSubset) EmitLinesAndPoints(packet, options, prepared.data(), packet.vertexCount, out);
        } else if (packet.flatShading != 0) {
            EmitFlatTriangles(packet, options, v, prepared.data(), out);
        } else {
            DecomposePrimitive(packet.mode, v, packet.vertexCount,
                               [&](const GlVertex& a, const GlVertex& b, const GlVertex& c) -> uint32_t {
                                   return EmitPreparedTriangle(packet, options, prepared[&a - v], prepared[&b - v],
                                                               prepared[&c - v], out);
                               });
        }
    }
}

struct ParallelEmit {
    const GlContext* ctx;
    const EmitOptions* options;
    uint32_t packetCount;
    uint32_t jobCount;
    EmitJobArrays* arrays;
};

void RunEmitJob(uint32_t job, void* argument) {
    const ParallelEmit& e = *static_cast<const ParallelEmit*>(argument);
    const uint64_t p = e.packetCount;
    const uint32_t first = static_cast<uint32_t>(p * job / e.jobCount);
    const uint32_t last = static_cast<uint32_t>(p * (job + 1) / e.jobCount);
    std::vector<SetupTriangle>& out = e.arrays->outputs[job];
    out.clear();
    EmitPackets(*e.ctx, first, last, *e.options, e.arrays->scratch[job], out);
}

}  // namespace

EmitOptions ReadEmitOptions() {
    const DriverSettings& s = TheDriverSettings();
    return EmitOptions{SettingValue(s.DisableHiZ) != 0, SettingValue(s.DisableFaceCull) != 0};
}

void EmitFrameTriangles(GlContext& ctx, std::vector<SetupTriangle>& out, bool allowParallelEmit,
                        const EmitOptions& options, rjq::RenderJobQueue* queue) {
    const uint64_t start = platform::PerformanceCounter();
    out.clear();
    const uint32_t packets = static_cast<uint32_t>(ctx.nativePackets.size());
    if (packets == 0) {
        ctx.statistics.emittedTriangles = 0;
        return;
    }
    // The workers and the thread running the stage, which takes jobs while it waits; a worker
    // limit set in the panel caps the split as it caps the frame's partitions.
    uint32_t jobs = queue != nullptr ? rjq::HelpedItemThreads(*queue) : 1;
    const int32_t limit = SettingValue(TheDriverSettings().WorkerLimit);
    if (limit > 0 && static_cast<uint32_t>(limit) < jobs) jobs = static_cast<uint32_t>(limit);
    if (jobs > packets) jobs = packets;

    EmitJobArrays& arrays = JobArrays();
    if (arrays.scratch.size() < jobs) arrays.scratch.resize(jobs);
    if (allowParallelEmit && jobs >= 2 && ctx.frameVertices.size() >= kParallelEmitMinVertices) {
        if (arrays.outputs.size() < jobs) arrays.outputs.resize(jobs);
        ParallelEmit e{&ctx, &options, packets, jobs, &arrays};
        rjq::ParallelFor(queue, jobs, RunEmitJob, &e);
        for (uint32_t j = 0; j < jobs; ++j) out.insert(out.end(), arrays.outputs[j].begin(), arrays.outputs[j].end());
    } else {
        EmitPackets(ctx, 0, packets, options, arrays.scratch[0], out);
    }
    ctx.statistics.emittedTriangles = static_cast<uint32_t>(out.size());
    ctx.statistics.emitTicks += platform::PerformanceCounter() - start;
}

}  // namespace mora
