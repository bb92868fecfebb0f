// Replay of a CommandStream: one linear pass over the packed records, with colour / texture
// coordinate / vertex triples fused into one step and a NativePacket built at each glEnd.
#include "gl/command_executor.h"

#include <cstring>
#include <limits>

#include "gl/command_records.h"
#include "gl/gl_state.h"
#include "gl/immediate_mode.h"
#include "gl/matrix_stack.h"
#include "gl/texture_objects.h"
#include "platform/clock.h"

namespace mora {

namespace {

constexpr uint32_t kOpColor = static_cast<uint32_t>(CmdOp::Color);
constexpr uint32_t kOpTexCoord = static_cast<uint32_t>(CmdOp::TexCoord2f);
constexpr uint32_t kOpVertex2 = static_cast<uint32_t>(CmdOp::Vertex2f);
constexpr uint32_t kOpVertex3 = static_cast<uint32_t>(CmdOp::Vertex3f);
constexpr uint32_t kOpFrameEnd = static_cast<uint32_t>(CmdOp::FrameEnd);
constexpr uint32_t kOpReadPixels = static_cast<uint32_t>(CmdOp::ReadPixels);

// Names of a DeleteTextures record are copied out of the blob in chunks of this many, so that
// they are read with their own alignment whatever the record's offset.
constexpr uint32_t kDeleteChunk = 64;

// The record at `at` when it is complete: at least a header's bytes remain, its size is at least
// 4 and at least its opcode's fixed size, and it ends inside the stream. 0 otherwise.
uint32_t CompleteRecordSize(const uint8_t* at, const uint8_t* end, uint32_t& op) {
    if (end - at < 4) return 0;
    uint32_t header;
    std::memcpy(&header, at, 4);
    const uint32_t size = CmdHeaderSize(header);
    op = CmdHeaderOp(header);
    if (size < 4) return 0;
    if (op < static_cast<uint32_t>(kCmdOpCount) && size < kCmdSize[op]) return 0;
    if (static_cast<uint64_t>(end - at) < size) return 0;
    return size;
}

template <class Record>
Record Read(const uint8_t* at) {
    Record r;
    std::memcpy(&r, at, sizeof(Record));
    return r;
}

// The bytes of a blob reference, or null when the reference does not lie inside the blob (or
// has length 0).
const uint8_t* BlobBytes(const CommandBlob& blob, uint64_t offset, uint64_t length) {
    const uint64_t size = CommandBufferSize(blob);
    if (length == 0 || length > size || offset > size - length) return nullptr;
    return blob.begin + offset;
}

// Source bytes an image record's pixel pointer must provide: bytes per pixel x width x height,
// as the recording side copies them; 0 for a size below 1.
uint64_t ImagePayloadBytes(uint32_t format, int32_t width, int32_t height) {
    if (width < 1 || height < 1) return 0;
    return static_cast<uint64_t>(CmdPixelBytes(format)) * static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
}

// Pixels of an image record: present only when the reference lies inside the blob and covers
// every byte the upload reads.
const uint8_t* ImagePixels(const CommandBlob& blob, uint64_t offset, uint64_t length, uint32_t format, int32_t width,
                           int32_t height) {
    const uint8_t* bytes = BlobBytes(blob, offset, length);
    if (bytes == nullptr || length < ImagePayloadBytes(format, width, height)) return nullptr;
    return bytes;
}

void ApplyVertexRecord(GlContext& ctx, uint32_t op, const uint8_t* at) {
    if (op == kOpVertex3) {
        const CmdXyz v = Read<CmdXyz>(at);
        AppendPrimitiveVertex(ctx, v.x, v.y, v.z);
    } else {
        const CmdFloat2 v = Read<CmdFloat2>(at);
        AppendPrimitiveVertex(ctx, v.a, v.b, 0.0f);
    }
}

void DeleteTexturesFromBlob(GlContext& ctx, const CmdDeleteTextures& rec, const CommandBlob& blob,
                            PendingKeyframe* touch) {
    if (rec.n < 1) return;
    const uint8_t* bytes = BlobBytes(blob, rec.blobOffset, rec.byteLength);
    if (bytes == nullptr) return;
    uint64_t remaining = static_cast<uint64_t>(rec.n);
    if (remaining > rec.byteLength / 4) remaining = rec.byteLength / 4;
    uint32_t names[kDeleteChunk];
    while (remaining > 0) {
        const uint32_t count = remaining < kDeleteChunk ? static_cast<uint32_t>(remaining) : kDeleteChunk;
        std::memcpy(names, bytes, count * sizeof(uint32_t));
        DeleteTextures(ctx, static_cast<int32_t>(count), names, touch);
        bytes += count * sizeof(uint32_t);
        remaining -= count;
    }
}

bool IsScissorRecord(uint32_t op, const uint8_t* at) {
    if (op == static_cast<uint32_t>(CmdOp::Scissor)) return true;
    const bool capability = op == static_cast<uint32_t>(CmdOp::Enable) || op == static_cast<uint32_t>(CmdOp::Disable);
    return capability && Read<CmdU32>(at).value == gle::kScissorTest;
}

// The number (1-based) of the frame's scissor box the packet being built is limited to, or 0
// when the test is off. A frame changes its box rarely; past the 16-bit numbering, a box already
// in the table is searched for, and a new one then draws unscissored.
uint32_t PacketScissorNumber(GlContext& ctx) {
    if (!ctx.scissorEnabled) return 0;
    std::vector<ScissorBox>& boxes = ctx.scissorBoxes;
    if (boxes.empty() || !(boxes.back() == ctx.scissorBox)) {
        if (boxes.size() < kMaxScissorBoxes) {
            boxes.push_back(ctx.scissorBox);
        } else {
            for (size_t i = 0; i < boxes.size(); ++i)
                if (boxes[i] == ctx.scissorBox) return static_cast<uint32_t>(i + 1);
            return 0;
        }
    }
    return static_cast<uint32_t>(boxes.size());
}

struct ReplayCounters {
    uint32_t executed = 0;
    uint32_t vertices = 0;
    uint64_t uploaded = 0;
};

// Applies one complete record that is not a colour, texture coordinate or frame-end record.
void ApplyRecord(GlContext& ctx, uint32_t op, const uint8_t* at, const CommandBlob& blob,
                 const RenderOverrides& overrides, ReplayCounters& counters) {
    if (overrides.seedSubset && IsScissorRecord(op, at)) return;  // the seed subset has no scissor test
    if (ApplyStateRecord(ctx, op, at, blob, nullptr)) return;
    switch (static_cast<CmdOp>(op)) {
        case CmdOp::TexImage2D: {
            const CmdTexImage2D r = Read<CmdTexImage2D>(at);
            const uint8_t* pixels = ImagePixels(blob, r.blobOffset, r.byteLength, r.format, r.width, r.height);
            TexImage2D(ctx, r.target, r.level, r.width, r.height, r.format, r.type, pixels, nullptr);
            if (pixels != nullptr) counters.uploaded += r.byteLength;
            break;
        }
        case CmdOp::TexSubImage2D: {
            const CmdTexSubImage2D r = Read<CmdTexSubImage2D>(at);
            const uint8_t* pixels = ImagePixels(blob, r.blobOffset, r.byteLength, r.format, r.width, r.height);
            TexSubImage2D(ctx, r.target, r.level, r.xoffset, r.yoffset, r.width, r.height, r.format, r.type, pixels,
                          nullptr);
            if (pixels != nullptr) counters.uploaded += r.byteLength;
            break;
        }
        case CmdOp::Begin: BeginPrimitive(ctx, Read<CmdU32>(at).value); break;
        case CmdOp::Vertex2f:
        case CmdOp::Vertex3f:
            ApplyVertexRecord(ctx, op, at);
            ++counters.vertices;
            break;
        case CmdOp::End: BuildNativePacket(ctx, overrides); break;
        // Applied here and not in ApplyStateRecord: the entry and display-list playback leave
        // the context's value alone, so that each replay starts from where the last one ended.
        case CmdOp::ShadeModel:
            if (!ctx.seedSubset) ctx.flatShading = Read<CmdU32>(at).value == gle::kFlat;
            break;
        // Recorded only: colour mask, pixel store, polygon mode and offset, active
        // texture.
        default: break;
    }
}

}  // namespace

bool ApplyStateRecord(GlContext& ctx, uint32_t op, const uint8_t* at, const CommandBlob& blob, PendingKeyframe* touch) {
    switch (static_cast<CmdOp>(op)) {
        case CmdOp::MatrixMode: ApplyMatrixMode(ctx, Read<CmdU32>(at).value); break;
        case CmdOp::LoadIdentity: ApplyLoadIdentity(ctx); break;
        case CmdOp::LoadMatrixf: {
            const CmdMatrix r = Read<CmdMatrix>(at);
            ApplyLoadMatrix(ctx, r.m);
            break;
        }
        case CmdOp::MultMatrixf: {
            const CmdMatrix r = Read<CmdMatrix>(at);
            ApplyMultMatrix(ctx, r.m);
            break;
        }
        case CmdOp::PushMatrix: ApplyPushMatrix(ctx); break;
        case CmdOp::PopMatrix: ApplyPopMatrix(ctx); break;
        case CmdOp::Translatef: {
            const CmdXyz r = Read<CmdXyz>(at);
            ApplyTranslate(ctx, r.x, r.y, r.z);
            break;
        }
        case CmdOp::Rotatef: {
            const CmdRotatef r = Read<CmdRotatef>(at);
            ApplyRotate(ctx, r.angle, r.x, r.y, r.z);
            break;
        }
        case CmdOp::Scalef: {
            const CmdXyz r = Read<CmdXyz>(at);
            ApplyScale(ctx, r.x, r.y, r.z);
            break;
        }
        case CmdOp::Ortho: {
            const CmdBox r = Read<CmdBox>(at);
            ApplyOrtho(ctx, r.left, r.right, r.bottom, r.top, r.zNear, r.zFar);
            break;
        }
        case CmdOp::Frustum: {
            const CmdBox r = Read<CmdBox>(at);
            ApplyFrustum(ctx, r.left, r.right, r.bottom, r.top, r.zNear, r.zFar);
            break;
        }
        case CmdOp::Viewport: {
            const CmdRect r = Read<CmdRect>(at);
            ApplyViewport(ctx, r.x, r.y, r.width, r.height);
            break;
        }
        case CmdOp::DepthRange: {
            const CmdFloat2 r = Read<CmdFloat2>(at);
            ApplyDepthRange(ctx, r.a, r.b);
            break;
        }
        case CmdOp::Scissor: {
            const CmdRect r = Read<CmdRect>(at);
            ApplyScissor(ctx, r.x, r.y, r.width, r.height);
            break;
        }
        case CmdOp::Enable: ApplyEnable(ctx, Read<CmdU32>(at).value); break;
        case CmdOp::Disable: ApplyDisable(ctx, Read<CmdU32>(at).value); break;
        case CmdOp::BlendFunc: {
            const CmdU32Pair r = Read<CmdU32Pair>(at);
            ApplyBlendFunc(ctx, r.a, r.b);
            break;
        }
        case CmdOp::AlphaFunc: {
            const CmdAlphaFunc r = Read<CmdAlphaFunc>(at);
            ApplyAlphaFunc(ctx, r.func, r.ref);
            break;
        }
        case CmdOp::DepthFunc: ApplyDepthFunc(ctx, Read<CmdU32>(at).value); break;
        case CmdOp::DepthMask: ApplyDepthMask(ctx, Read<CmdU32>(at).value); break;
        case CmdOp::TexEnvi: {
            const CmdTexParam r = Read<CmdTexParam>(at);
            ApplyTexEnvi(ctx, r.target, r.pname, r.param);
            break;
        }
        case CmdOp::TexEnvfv: {
            const CmdTexEnvfv r = Read<CmdTexEnvfv>(at);
            ApplyTexEnvfv(ctx, r.target, r.pname, r.params);
            break;
        }
        case CmdOp::TexParameteri: {
            const CmdTexParam r = Read<CmdTexParam>(at);
            TexParameteri(ctx, r.target, r.pname, r.param, touch);
            break;
        }
        case CmdOp::CullFace: ApplyCullFace(ctx, Read<CmdU32>(at).value); break;
        case CmdOp::FrontFace: ApplyFrontFace(ctx, Read<CmdU32>(at).value); break;
        case CmdOp::GenTextures: GenTextures(ctx, Read<CmdGenTextures>(at).n, nullptr, touch); break;
        case CmdOp::DeleteTextures: DeleteTexturesFromBlob(ctx, Read<CmdDeleteTextures>(at), blob, touch); break;
        case CmdOp::BindTexture: {
            const CmdBindTexture r = Read<CmdBindTexture>(at);
            BindTexture(ctx, r.target, r.texture, touch);
            break;
        }
        case CmdOp::ClearColor: {
            const CmdClearColor r = Read<CmdClearColor>(at);
            ApplyClearColor(ctx, r.red, r.green, r.blue, r.alpha);
            break;
        }
        case CmdOp::ClearDepth: ApplyClearDepth(ctx, Read<CmdFloat1>(at).value); break;
        case CmdOp::Clear: ApplyClear(ctx, Read<CmdU32>(at).value); break;
        default: return false;
    }
    return true;
}

namespace {

// True when the open primitive becomes a packet: a triangle's worth of vertices, or, outside the
// seed subset, one for points (mode 0, hence primitiveOpen) and two for lines.
bool PrimitiveDrawsSomething(const GlContext& ctx, size_t count) {
    if (ctx.seedSubset || ctx.primitiveMode > gle::kLineStrip) return count >= 3 && ctx.primitiveMode != 0;
    if (ctx.primitiveMode == gle::kPoints) return count >= 1 && ctx.primitiveOpen;
    return count >= 2;
}

}  // namespace

void BuildNativePacket(GlContext& ctx, const RenderOverrides& overrides) {
    const size_t count = ctx.primitiveVertices.size();
    const size_t first = ctx.frameVertices.size();
    // A packet names its vertices with u32 indices; a stream cannot hold more than 2^31 bytes,
    // so this bound is never reached by recorded frames.
    if (PrimitiveDrawsSomething(ctx, count) && first + count <= std::numeric_limits<uint32_t>::max()) {
        const uint64_t start = platform::PerformanceCounter();
        ctx.frameVertices.insert(ctx.frameVertices.end(), ctx.primitiveVertices.begin(), ctx.primitiveVertices.end());
        RefreshMvp(ctx);
        NativePacket& p = ctx.nativePackets.emplace_back();
        p.sequence = ctx.packetSequence++;
        p.mode = ctx.primitiveMode;
        p.firstVertex = static_cast<uint32_t>(first);
        p.vertexCount = static_cast<uint32_t>(count);
        std::memcpy(p.mvp, ctx.mvp, sizeof(p.mvp));
        std::memcpy(p.viewport, ctx.viewport, sizeof(p.viewport));
        p.depthNear = ctx.depthNear;
        p.depthFar = ctx.depthFar;
        p.cullEnabled = ctx.cullEnabled ? 1 : 0;
        p.cullFace = ctx.cullFace;
        p.frontFace = ctx.frontFace;
        p.renderState = ResolveRenderState(ctx, overrides);
        p.flatShading = ctx.flatShading ? 1 : 0;
        if (!overrides.seedSubset) p.renderState.words[kRsBlendMode] |= PacketScissorNumber(ctx) << kRsScissorShift;
        ctx.statistics.packetCount = static_cast<uint32_t>(ctx.nativePackets.size());
        ctx.statistics.packetTicks += platform::PerformanceCounter() - start;
    }
    EndPrimitive(ctx);
}

ReplayEnd ReplayCommands(GlContext& ctx, const CommandStream& stream, const CommandBlob& blob,
                         const RenderOverrides& overrides) {
    const uint64_t start = platform::PerformanceCounter();
    ReplayCounters counters;
    const uint8_t* at = stream.begin;
    const uint8_t* const end = stream.end;
    ReplayEnd how = ReplayEnd::EndOfStream;

    while (at != end) {
        uint32_t op = 0;
        const uint32_t size = CompleteRecordSize(at, end, op);
        if (size == 0) {
            how = ReplayEnd::Malformed;
            break;
        }
        if (op == kOpFrameEnd) {
            how = ReplayEnd::FrameEnd;
            break;
        }
        if (op >= kOpReadPixels) {
            at += size;
            continue;
        }
        ++counters.executed;
        const uint8_t* next = at + size;

        if (op == kOpColor || op == kOpTexCoord) {
            if (op == kOpColor) {
                ApplyColor(ctx, Read<CmdU32>(at).value);
            } else {
                const CmdFloat2 tc = Read<CmdFloat2>(at);
                ApplyTexCoord(ctx, tc.a, tc.b);
            }
            // Fusion: the vertex (or colour + vertex after a texture coordinate) that follows is
            // applied in the same step when it is complete.
            uint32_t nextOp = 0;
            const uint32_t nextSize = CompleteRecordSize(next, end, nextOp);
            if (nextSize != 0 && (nextOp == kOpVertex2 || nextOp == kOpVertex3)) {
                ApplyVertexRecord(ctx, nextOp, next);
                ++counters.executed;
                ++counters.vertices;
                next += nextSize;
            } else if (nextSize != 0 && op == kOpTexCoord && nextOp == kOpColor) {
                const uint8_t* third = next + nextSize;
                uint32_t thirdOp = 0;
                const uint32_t thirdSize = CompleteRecordSize(third, end, thirdOp);
                if (thirdSize != 0 && (thirdOp == kOpVertex2 || thirdOp == kOpVertex3)) {
                    ApplyColor(ctx, Read<CmdU32>(next).value);
                    ApplyVertexRecord(ctx, thirdOp, third);
                    counters.executed += 2;
                    ++counters.vertices;
                    next = third + thirdSize;
                }
            }
        } else {
            ApplyRecord(ctx, op, at, blob, overrides, counters);
        }
        at = next;
    }

    if (how != ReplayEnd::Malformed) {
        FrameStatistics& s = ctx.statistics;
        s.executedRecords = counters.executed;
        s.vertexRecords = counters.vertices;
        s.streamBytes = CommandBufferSize(stream);
        s.blobBytes = CommandBufferSize(blob);
        s.uploadedPixelBytes = counters.uploaded;
        s.executeTicks = platform::PerformanceCounter() - start;
    }
    return how;
}

}  // namespace mora
