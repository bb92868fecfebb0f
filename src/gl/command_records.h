// Cmd records: the fixed-size byte records that the implemented GL entries append to the frame's
// CommandStream and that the replay executor, the capture writer and the capture reader walk.
// Every record starts with a u32 header (size << 16 | opcode); payload words are little-endian.
// The sizes are part of the capture format: kCmdLayoutHash names this set of layouts.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mora {

static_assert(std::endian::native == std::endian::little, "Cmd records are copied byte for byte");

enum class CmdOp : uint16_t {
    MatrixMode = 0,
    LoadIdentity = 1,
    LoadMatrixf = 2,
    MultMatrixf = 3,
    PushMatrix = 4,
    PopMatrix = 5,
    Translatef = 6,
    Rotatef = 7,
    Scalef = 8,
    Ortho = 9,
    Frustum = 10,
    Viewport = 11,
    DepthRange = 12,
    Scissor = 13,
    Enable = 14,
    Disable = 15,
    BlendFunc = 16,
    AlphaFunc = 17,
    DepthFunc = 18,
    DepthMask = 19,
    ColorMask = 20,
    TexEnvi = 21,
    TexEnvfv = 22,
    TexParameteri = 23,
    PixelStorei = 24,
    CullFace = 25,
    FrontFace = 26,
    ShadeModel = 27,
    PolygonMode = 28,
    PolygonOffset = 29,
    ActiveTextureARB = 30,
    GenTextures = 31,
    DeleteTextures = 32,
    BindTexture = 33,
    TexImage2D = 34,
    TexSubImage2D = 35,
    Color = 36,
    TexCoord2f = 37,
    ClearColor = 38,
    ClearDepth = 39,
    Clear = 40,
    Begin = 41,
    Vertex2f = 42,
    Vertex3f = 43,
    End = 44,
    FrameEnd = 45,
    ReadPixels = 46,
};
inline constexpr int kCmdOpCount = 47;

// Record size in bytes (header included) of every opcode, in opcode order.
inline constexpr uint16_t kCmdSize[kCmdOpCount] = {8,  4,  68, 68, 4,  4,  16, 20, 16, 28, 28, 20, 12, 20, 8, 8,
                                                   12, 12, 8,  8,  20, 16, 28, 16, 12, 8,  8,  8,  12, 12, 8, 12,
                                                   24, 12, 64, 64, 8,  12, 20, 8,  8,  8,  12, 16, 4,  4,  28};

// Identifies the record sizes above in capture files; must change whenever a size or payload
// layout changes (kCmdSizeChecksum below trips the build when a size changes without it).
inline constexpr uint32_t kCmdLayoutHash = 0x3925DC0Fu;

constexpr uint32_t MakeCmdHeader(CmdOp op) {
    return static_cast<uint32_t>(kCmdSize[static_cast<int>(op)]) << 16 | static_cast<uint32_t>(op);
}
constexpr uint32_t CmdHeaderSize(uint32_t header) { return header >> 16; }
constexpr uint32_t CmdHeaderOp(uint32_t header) { return header & 0xFFFFu; }

// --- Record layouts. Each carries its opcode as kOp; `header` is filled by the append. ---

struct CmdNoPayload {  // LoadIdentity, PushMatrix, PopMatrix, End, FrameEnd
    uint32_t header;
};
struct CmdU32 {  // MatrixMode, Enable, Disable, DepthFunc, DepthMask, CullFace, FrontFace,
                 // ShadeModel, ActiveTextureARB, Color, Clear, Begin
    uint32_t header;
    uint32_t value;
};
struct CmdMatrix {  // LoadMatrixf, MultMatrixf
    uint32_t header;
    float m[16];
};
struct CmdXyz {  // Translatef, Scalef, Vertex3f
    uint32_t header;
    float x, y, z;
};
struct CmdRotatef {
    uint32_t header;
    float angle, x, y, z;
};
struct CmdBox {  // Ortho, Frustum
    uint32_t header;
    float left, right, bottom, top, zNear, zFar;
};
struct CmdRect {  // Viewport, Scissor
    uint32_t header;
    int32_t x, y, width, height;
};
struct CmdFloat2 {  // DepthRange (near, far), PolygonOffset (factor, units), TexCoord2f, Vertex2f
    uint32_t header;
    float a, b;
};
struct CmdU32Pair {  // BlendFunc, PolygonMode
    uint32_t header;
    uint32_t a, b;
};
struct CmdAlphaFunc {
    uint32_t header;
    uint32_t func;
    float ref;
};
struct CmdColorMask {
    uint32_t header;
    uint32_t red, green, blue, alpha;
};
struct CmdTexParam {  // TexEnvi, TexParameteri
    uint32_t header;
    uint32_t target, pname;
    int32_t param;
};
struct CmdTexEnvfv {
    uint32_t header;
    uint32_t target, pname;
    float params[4];
};
struct CmdPixelStorei {
    uint32_t header;
    uint32_t pname;
    int32_t param;
};
struct CmdGenTextures {
    uint32_t header;
    int32_t n;
    uint32_t reserved;
};
struct CmdDeleteTextures {
    uint32_t header;
    int32_t n;
    uint64_t blobOffset;
    uint64_t byteLength;  // 4 n
};
struct CmdBindTexture {
    uint32_t header;
    uint32_t target, texture;
};
struct CmdTexImage2D {
    uint32_t header;
    uint32_t target;
    int32_t level, internalformat, width, height, border;
    uint32_t format, type;
    uint32_t reserved0;
    uint64_t blobOffset;
    uint64_t byteLength;
    uint32_t pixelHash;  // FNV-1a of the copied bytes, 0 when none
    uint32_t reserved1;
};
struct CmdTexSubImage2D {
    uint32_t header;
    uint32_t target;
    int32_t level, xoffset, yoffset, width, height;
    uint32_t format, type;
    uint32_t reserved0;
    uint64_t blobOffset;
    uint64_t byteLength;
    uint32_t pixelHash;
    uint32_t reserved1;
};
struct CmdClearColor {
    uint32_t header;
    float red, green, blue, alpha;  // unclamped
};
struct CmdFloat1 {  // ClearDepth
    uint32_t header;
    float value;
};
struct CmdReadPixels {
    uint32_t header;
    int32_t x, y, width, height;
    uint32_t format, type;
};

static_assert(sizeof(CmdNoPayload) == 4 && sizeof(CmdU32) == 8 && sizeof(CmdMatrix) == 68);
static_assert(sizeof(CmdXyz) == 16 && sizeof(CmdRotatef) == 20 && sizeof(CmdBox) == 28);
static_assert(sizeof(CmdRect) == 20 && sizeof(CmdFloat2) == 12 && sizeof(CmdU32Pair) == 12);
static_assert(sizeof(CmdAlphaFunc) == 12 && sizeof(CmdColorMask) == 20 && sizeof(CmdTexParam) == 16);
static_assert(sizeof(CmdTexEnvfv) == 28 && sizeof(CmdPixelStorei) == 12 && sizeof(CmdGenTextures) == 12);
static_assert(sizeof(CmdDeleteTextures) == 24 && sizeof(CmdBindTexture) == 12);
static_assert(sizeof(CmdTexImage2D) == 64 && sizeof(CmdTexSubImage2D) == 64);
static_assert(offsetof(CmdTexImage2D, blobOffset) == 40 && offsetof(CmdTexImage2D, pixelHash) == 56);
static_assert(offsetof(CmdTexSubImage2D, blobOffset) == 40 && offsetof(CmdTexSubImage2D, pixelHash) == 56);
static_assert(offsetof(CmdDeleteTextures, blobOffset) == 8);
static_assert(sizeof(CmdClearColor) == 20 && sizeof(CmdFloat1) == 8 && sizeof(CmdReadPixels) == 28);

// FNV-1a over the size table as little-endian u32 words; pinned so that a size change without a
// new kCmdLayoutHash fails to compile.
constexpr uint32_t CmdSizeChecksum() {
    uint32_t h = 0x811C9DC5u;
    for (uint16_t size : kCmdSize) {
        for (int byte = 0; byte < 4; ++byte) {
            h ^= (static_cast<uint32_t>(size) >> (8 * byte)) & 0xFFu;
            h *= 16777619u;
        }
    }
    return h;
}
static_assert(CmdSizeChecksum() == 0x95B46F65u, "Cmd record sizes changed: pick a new kCmdLayoutHash");

// The 55 entry names whose calls a replay reproduces (they append a Cmd), in opcode order; the
// colour, texture-coordinate and vertex forms are each listed. The frame-end marker is written by
// wglSwapBuffers and is not among them.
inline constexpr int kReplayableEntryCount = 55;
inline constexpr std::string_view kReplayableEntryNames[kReplayableEntryCount] = {
    "glMatrixMode",       "glLoadIdentity", "glLoadMatrixf",    "glMultMatrixf",   "glPushMatrix",
    "glPopMatrix",        "glTranslatef",   "glRotatef",        "glScalef",        "glOrtho",
    "glFrustum",          "glViewport",     "glDepthRange",     "glScissor",       "glEnable",
    "glDisable",          "glBlendFunc",    "glAlphaFunc",      "glDepthFunc",     "glDepthMask",
    "glColorMask",        "glTexEnvi",      "glTexEnvfv",       "glTexParameteri", "glPixelStorei",
    "glCullFace",         "glFrontFace",    "glShadeModel",     "glPolygonMode",   "glPolygonOffset",
    "glActiveTextureARB", "glGenTextures",  "glDeleteTextures", "glBindTexture",   "glTexImage2D",
    "glTexSubImage2D",    "glColor3f",      "glColor3fv",       "glColor3ubv",     "glColor4f",
    "glColor4fv",         "glColor4ub",     "glColor4ubv",      "glTexCoord2f",    "glTexCoord2fv",
    "glClearColor",       "glClearDepth",   "glClear",          "glBegin",         "glVertex2f",
    "glVertex2fv",        "glVertex3f",     "glVertex3fv",      "glEnd",           "glReadPixels"};

// 32-bit FNV-1a (offset basis 0x811C9DC5, prime 16777619); the pixel hash of the image records.
constexpr uint32_t Fnv1a32(const uint8_t* bytes, size_t count) {
    uint32_t h = 0x811C9DC5u;
    for (size_t i = 0; i < count; ++i) {
        h ^= bytes[i];
        h *= 16777619u;
    }
    return h;
}

// Bytes per source pixel that a recorded image copies, from the format alone (type not looked at).
constexpr uint32_t CmdPixelBytes(uint32_t format) {
    switch (format) {
        case 0x1907:  // RGB
        case 0x80E0:  // BGR_EXT
            return 3;
        case 0x1909:  // LUMINANCE
        case 0x1906:  // ALPHA
            return 1;
        default: return 4;
    }
}

// Bytes one source pixel of `format` and `type` takes in the caller's memory, the amount an
// image upload reads and records: components x component bytes, rows tightly packed. 0 for a
// format or type whose size is not known (GL_BITMAP included, whose rows depend on the unpack
// state): such an upload is refused rather than guessed at.
constexpr uint32_t CmdImagePixelBytes(uint32_t format, uint32_t type) {
    uint32_t components = 0;
    switch (format) {
        case 0x1900:  // COLOR_INDEX
        case 0x1901:  // STENCIL_INDEX
        case 0x1902:  // DEPTH_COMPONENT
        case 0x1903:  // RED
        case 0x1904:  // GREEN
        case 0x1905:  // BLUE
        case 0x1906:  // ALPHA
        case 0x1909:  // LUMINANCE
            components = 1;
            break;
        case 0x190A:  // LUMINANCE_ALPHA
            components = 2;
            break;
        case 0x1907:  // RGB
        case 0x80E0:  // BGR_EXT
            components = 3;
            break;
        case 0x1908:  // RGBA
        case 0x80E1:  // BGRA_EXT
            components = 4;
            break;
        default: return 0;
    }
    switch (type) {
        case 0x1400:  // BYTE
        case 0x1401:  // UNSIGNED_BYTE
            return components;
        case 0x1402:  // SHORT
        case 0x1403:  // UNSIGNED_SHORT
            return 2 * components;
        case 0x1404:  // INT
        case 0x1405:  // UNSIGNED_INT
        case 0x1406:  // FLOAT
            return 4 * components;
        default: return 0;
    }
}

}  // namespace mora
