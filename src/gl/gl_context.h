// GlContext: the one process-wide record of all GL state plus the GL side of the frame's working
// set (vertex lists, NativePackets, statistics, pending clears). The API entries write it as the
// application calls; the replay executor writes it again at frame end; later stages read it.
// The SetupTriangle array and the tile-grid storage belong to the render folder (render/).
#pragma once

#include <cstdint>
#include <vector>

#include "gl/gl_enums.h"
#include "gl/gl_vertex.h"
#include "gl/native_packet.h"
#include "gl/texture_names.h"
#include "gl/texture_slot.h"
#include "gl/texture_table.h"
#include "platform/never_destroyed.h"

namespace mora {

inline constexpr int kMatrixStackDepth = 32;  // matrices per stack; stackTop is 0..31
inline constexpr uint32_t kMatrixModelview = 0;
inline constexpr uint32_t kMatrixProjection = 1;
inline constexpr uint32_t kMatrixTexture = 2;
// Widest and tallest framebuffer the driver draws (8K is 7680x4320): a larger viewport keeps its
// transform, but the surface and tile grid it asks for stop here, so a stray huge glViewport
// cannot allocate gigabytes of bins.
inline constexpr int32_t kMaxFramebufferSide = 8192;

// Counters of the last frame execution, emptied at the start of every execution.
struct FrameStatistics {
    uint32_t packetCount = 0;
    uint32_t emittedTriangles = 0;
    uint32_t executedRecords = 0;
    uint32_t vertexRecords = 0;  // fused vertices included
    uint64_t streamBytes = 0;    // CommandStream bytes executed
    uint64_t blobBytes = 0;      // CommandBlob bytes of the frame
    uint64_t uploadedPixelBytes = 0;
    uint64_t executeTicks = 0;  // performance-counter ticks
    uint64_t packetTicks = 0;
    uint64_t emitTicks = 0;
    uint64_t handOffQueueWaitTicks = 0;  // FrameExecutorThread hand-off times
    uint64_t handOffExecuteTicks = 0;
    uint64_t handOffTotalTicks = 0;
    uint32_t handOffMode = 0;  // 1 on the executor thread, 2 inline
};

// A scissor box in GL window coordinates (y up), edges x0 <= x1 and y0 <= y1, each clamped to
// 0..kMaxFramebufferSide: nothing outside that range is ever drawn, so the clamp keeps every
// pixel the box selects.
struct ScissorBox {
    int32_t x0 = 0, y0 = 0;
    int32_t x1 = kMaxFramebufferSide, y1 = kMaxFramebufferSide;
    friend bool operator==(const ScissorBox&, const ScissorBox&) = default;
};

struct GlContext {
    // --- State saved and restored by a Keyframe (with the four clear fields below) ---
    uint32_t matrixMode = kMatrixModelview;            // 0 modelview, 1 projection, 2 texture
    int32_t stackTop[3] = {0, 0, 0};                   // top index of each stack, 0..31
    float modelviewStack[kMatrixStackDepth][16] = {};  // column-major, m[4 * column + row]
    float projectionStack[kMatrixStackDepth][16] = {};
    float textureStack[kMatrixStackDepth][16] = {};
    float mvp[16] = {};                  // projection top x modelview top
    bool matricesDirty = true;           // mvp must be recomputed
    int32_t viewport[4] = {0, 0, 0, 0};  // x, y, width, height as passed to glViewport
    // Tile-grid size; written by the render side's grid resize (see SetTileGridSize).
    int32_t framebufferWidth = 0;
    int32_t framebufferHeight = 0;
    int32_t microTilesX = 0;
    int32_t microTilesY = 0;
    int32_t macroTilesX = 0;
    int32_t macroTilesY = 0;
    uint32_t clearColour = 0xFF000000u;    // packed 0xAARRGGBB
    uint32_t currentColour = 0xFFFFFFFFu;  // packed 0xAARRGGBB
    float currentS = 0.0f;
    float currentT = 0.0f;
    bool texture2DEnabled = false;
    uint32_t boundTexture = 0;      // name bound to GL_TEXTURE_2D
    TextureTable textureTable;      // indexed by texture name
    TextureNameIndex textureNames;  // free names of textureTable, for glGenTextures
    bool blendEnabled = false;
    uint32_t blendSrc = gle::kOne;
    uint32_t blendDst = gle::kZero;
    bool alphaTestEnabled = false;
    uint32_t alphaFunc = gle::kAlways;
    float alphaRef = 0.0f;  // unclamped
    bool depthTestEnabled = false;
    uint32_t depthFunc = gle::kLess;
    bool depthMask = true;
    float depthNear = 0.0f;  // unclamped
    float depthFar = 1.0f;
    float clearDepth = 1.0f;  // unclamped
    uint32_t texEnvMode = gle::kModulate;
    uint32_t texEnvColour = 0;  // packed
    bool cullEnabled = false;
    uint32_t cullFace = gle::kBack;
    uint32_t frontFace = gle::kFrontFaceDefault;  // 0x0901
    uint32_t primitiveMode = 0;                   // mode of the open glBegin; 0 after glEnd
    // Kept in the snapshot's padding bytes, all 0 for these defaults (keyframe_snapshot.h). The
    // default box stands for GL's initial one, the window: it covers any framebuffer.
    bool scissorEnabled = false;
    ScissorBox scissorBox;

    // --- Per-frame working set of the GL side ---
    std::vector<GlVertex> primitiveVertices;  // vertices since the last glBegin
    std::vector<GlVertex> frameVertices;      // the FrameVertexArray: vertices of all packets
    std::vector<NativePacket> nativePackets;
    FrameStatistics statistics;
    uint32_t packetSequence = 0;  // number given to the next NativePacket
    // GL_POINTS is mode 0, the value primitiveMode also holds outside glBegin/glEnd.
    bool primitiveOpen = false;  // inside glBegin/glEnd
    // Set by the replay of glShadeModel records only (never by the entry), so that a frame's
    // replay starts from the value the previous replay left: the Keyframe does not hold it.
    bool flatShading = false;
    // MORA_GL_SUBSET=seed, taken from the render overrides at the start of each execution: the
    // replay then ignores glShadeModel and draws no points or lines.
    bool seedSubset = false;
    // A glEnd since the frame began or was last flushed: a glClear then splits the frame.
    bool primitiveEndedSinceFlush = false;
    // The frame's distinct scissor boxes in packet order; a packet drawn with the scissor test on
    // names its box by number in its blend word (raster/setup_triangle.h).
    std::vector<ScissorBox> scissorBoxes;

    // --- Pending clears, consumed by the frame renderer ---
    bool colourClearPending = false;
    uint32_t colourClearValue = 0xFF000000u;
    bool depthClearPending = false;
    float depthClearValue = 1.0f;
    // The scissor box each pending clear is limited to (the default box when the test was off).
    ScissorBox colourClearBox;
    ScissorBox depthClearBox;
};

namespace detail {
extern constinit platform::NeverDestroyed<GlContext> gGlContext;
}

// The process-wide context, constant-initialised with the defaults (no start-up order issue).
inline GlContext& TheGlContext() { return detail::gGlContext.value; }

}  // namespace mora
