// Emit stage: packets -> SetupTriangles, on one job or split over the render job queue.
#include "geometry/emit_stage.h"

#include "geometry/primitive_assembly.h"
#include "geometry/triangle_emit.h"
#include "panel/driver_settings.h"
#include "platform/clock.h"

namespace mora {

namespace {

// Per-job output arrays of the parallel path. Process-wide so that their capacity survives
// from frame to frame; only the one thread running the emit stage touches the list itself.
std::vector<std::vector<SetupTriangle>>& JobOutputs() {
    static std::vector<std::vector<SetupTriangle>> outputs;
    return outputs;
}

struct ParallelEmit {
    const GlContext* ctx;
    const EmitOptions* options;
    uint32_t packetCount;
    uint32_t jobCount;
    std::vector<SetupTriangle>* outputs;
};

void RunEmitJob(uint32_t job, void* argument) {
    const ParallelEmit& e = *static_cast<const ParallelEmit*>(argument);
    const uint64_t p = e.packetCount;
    const uint32_t first = static_cast<uint32_t>(p * job / e.jobCount);
    const uint32_t last = static_cast<uint32_t>(p * (job + 1) / e.jobCount);
    std::vector<SetupTriangle>& out = e.outputs[job];
    out.clear();
    EmitPackets(*e.ctx, first, last, *e.options, out);
}

}  // namespace

EmitOptions ReadEmitOptions() {
    const DriverSettings& s = Settings();
    return EmitOptions{SettingValue(s.DisableHiZ) != 0, SettingValue(s.DisableFaceCull) != 0};
}

uint32_t EmitPackets(const GlContext& ctx, uint32_t first, uint32_t last, const EmitOptions& options,
                     std::vector<SetupTriangle>& out) {
    // Strips, fans, quads and polygons share vertices between triangles: each vertex of a packet
    // is transformed once into this thread's scratch array (its capacity kept from frame to frame).
    thread_local std::vector<PreparedVertex> prepared;
    const size_t before = out.size();
    const uint64_t vertexTotal = ctx.frameVertices.size();
    for (uint32_t i = first; i < last; ++i) {
        const NativePacket& packet = ctx.nativePackets[i];
        if (static_cast<uint64_t>(packet.firstVertex) + packet.vertexCount > vertexTotal) continue;
        const GlVertex* v = ctx.frameVertices.data() + packet.firstVertex;
        if (prepared.size() < packet.vertexCount) prepared.resize(packet.vertexCount);
        for (uint32_t k = 0; k < packet.vertexCount; ++k) prepared[k] = PrepareVertex(packet, v[k]);
        DecomposePrimitive(packet.mode, v, packet.vertexCount,
                           [&](const GlVertex& a, const GlVertex& b, const GlVertex& c) -> uint32_t {
                               return EmitPreparedTriangle(packet, options, prepared[&a - v], prepared[&b - v],
                                                           prepared[&c - v], out);
                           });
    }
    return static_cast<uint32_t>(out.size() - before);
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
    uint32_t jobs = queue != nullptr && queue->workerCount > 1 ? queue->workerCount : 1;
    if (jobs > packets) jobs = packets;

    if (allowParallelEmit && jobs >= 2 && ctx.frameVertices.size() >= kParallelEmitMinVertices) {
        std::vector<std::vector<SetupTriangle>>& outputs = JobOutputs();
        if (outputs.size() < jobs) outputs.resize(jobs);
        ParallelEmit e{&ctx, &options, packets, jobs, outputs.data()};
        rjq::ParallelFor(queue, jobs, RunEmitJob, &e);
        for (uint32_t j = 0; j < jobs; ++j) out.insert(out.end(), outputs[j].begin(), outputs[j].end());
    } else {
        EmitPackets(ctx, 0, packets, options, out);
    }
    ctx.statistics.emittedTriangles = static_cast<uint32_t>(out.size());
    ctx.statistics.emitTicks += platform::PerformanceCounter() - start;
}

}  // namespace mora
