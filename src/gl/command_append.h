// Append of each Cmd record, one function per opcode, called by the implemented GL entries while
// recording is on (and by tests and tools that build streams). Every append returns false and
// leaves both buffers unchanged when a buffer cannot grow (size limit or out of memory); the
// caller then records nothing and goes on applying the call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "gl/command_buffer.h"
#include "gl/command_records.h"
#include "gl/float_conversion.h"

namespace mora {

// Writes `record` with the header of `Op` at the end of the stream, which must have room for it
// (CommandBufferHasRoom, MakeCommandBufferRoom): one pointer bump and the record's stores.
template <CmdOp Op, class Record>
inline void AppendCmdInRoom(CommandStream& stream, Record record) {
    static_assert(std::is_trivially_copyable_v<Record>);
    static_assert(sizeof(Record) == kCmdSize[static_cast<int>(Op)], "record layout must match its opcode");
    record.header = MakeCmdHeader(Op);
    uint8_t* at = stream.end;
    stream.end = at + sizeof(Record);
    // The record's address is never taken, so it stays in registers and is stored once.
    std::memcpy(at, &record, sizeof(Record));
}

// Writes `record` with the header of `Op` at the end of the stream, growing it when full.
template <CmdOp Op, class Record>
inline bool AppendCmd(CommandStream& stream, Record record) {
    if (!CommandBufferHasRoom(stream, sizeof(Record))) [[unlikely]] {
        if (!MakeCommandBufferRoom(stream, sizeof(Record))) {
            return false;
        }
    }
    AppendCmdInRoom<Op>(stream, record);
    return true;
}

// --- Matrix stack (ops 0..10) ---
inline bool AppendMatrixMode(CommandStream& s, uint32_t mode) {
    return AppendCmd<CmdOp::MatrixMode>(s, CmdU32{0, mode});
}
inline bool AppendLoadIdentity(CommandStream& s) { return AppendCmd<CmdOp::LoadIdentity>(s, CmdNoPayload{0}); }
bool AppendLoadMatrixf(CommandStream& s, const float* m);  // m: 16 floats, not null
bool AppendMultMatrixf(CommandStream& s, const float* m);
inline bool AppendPushMatrix(CommandStream& s) { return AppendCmd<CmdOp::PushMatrix>(s, CmdNoPayload{0}); }
inline bool AppendPopMatrix(CommandStream& s) { return AppendCmd<CmdOp::PopMatrix>(s, CmdNoPayload{0}); }
inline bool AppendTranslatef(CommandStream& s, float x, float y, float z) {
    return AppendCmd<CmdOp::Translatef>(s, CmdXyz{0, x, y, z});
}
inline bool AppendRotatef(CommandStream& s, float angle, float x, float y, float z) {
    return AppendCmd<CmdOp::Rotatef>(s, CmdRotatef{0, angle, x, y, z});
}
inline bool AppendScalef(CommandStream& s, float x, float y, float z) {
    return AppendCmd<CmdOp::Scalef>(s, CmdXyz{0, x, y, z});
}
// The double arguments are stored converted to f32.
inline bool AppendOrtho(CommandStream& s, double l, double r, double b, double t, double n, double f) {
    return AppendCmd<CmdOp::Ortho>(s, CmdBox{0, NarrowToFloat(l), NarrowToFloat(r), NarrowToFloat(b), NarrowToFloat(t),
                                             NarrowToFloat(n), NarrowToFloat(f)});
}
inline bool AppendFrustum(CommandStream& s, double l, double r, double b, double t, double n, double f) {
    return AppendCmd<CmdOp::Frustum>(s, CmdBox{0, NarrowToFloat(l), NarrowToFloat(r), NarrowToFloat(b),
                                               NarrowToFloat(t), NarrowToFloat(n), NarrowToFloat(f)});
}

// --- Viewport and fixed-function state (ops 11..30) ---
inline bool AppendViewport(CommandStream& s, int32_t x, int32_t y, int32_t w, int32_t h) {
    return AppendCmd<CmdOp::Viewport>(s, CmdRect{0, x, y, w, h});
}
inline bool AppendDepthRange(CommandStream& s, double zNear, double zFar) {
    return AppendCmd<CmdOp::DepthRange>(s, CmdFloat2{0, NarrowToFloat(zNear), NarrowToFloat(zFar)});
}
inline bool AppendScissor(CommandStream& s, int32_t x, int32_t y, int32_t w, int32_t h) {
    return AppendCmd<CmdOp::Scissor>(s, CmdRect{0, x, y, w, h});
}
inline bool AppendEnable(CommandStream& s, uint32_t cap) { return AppendCmd<CmdOp::Enable>(s, CmdU32{0, cap}); }
inline bool AppendDisable(CommandStream& s, uint32_t cap) { return AppendCmd<CmdOp::Disable>(s, CmdU32{0, cap}); }
inline bool AppendBlendFunc(CommandStream& s, uint32_t sfactor, uint32_t dfactor) {
    return AppendCmd<CmdOp::BlendFunc>(s, CmdU32Pair{0, sfactor, dfactor});
}
inline bool AppendAlphaFunc(CommandStream& s, uint32_t func, float ref) {
    return AppendCmd<CmdOp::AlphaFunc>(s, CmdAlphaFunc{0, func, ref});
}
inline bool AppendDepthFunc(CommandStream& s, uint32_t func) { return AppendCmd<CmdOp::DepthFunc>(s, CmdU32{0, func}); }
// The boolean byte passed, zero-extended.
inline bool AppendDepthMask(CommandStream& s, uint8_t flag) { return AppendCmd<CmdOp::DepthMask>(s, CmdU32{0, flag}); }
inline bool AppendColorMask(CommandStream& s, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return AppendCmd<CmdOp::ColorMask>(s, CmdColorMask{0, r, g, b, a});
}
inline bool AppendTexEnvi(CommandStream& s, uint32_t target, uint32_t pname, int32_t param) {
    return AppendCmd<CmdOp::TexEnvi>(s, CmdTexParam{0, target, pname, param});
}
// Four floats for GL_TEXTURE_ENV_COLOR; for any other pname only params[0] is read.
bool AppendTexEnvfv(CommandStream& s, uint32_t target, uint32_t pname, const float* params);
inline bool AppendTexParameteri(CommandStream& s, uint32_t target, uint32_t pname, int32_t param) {
    return AppendCmd<CmdOp::TexParameteri>(s, CmdTexParam{0, target, pname, param});
}
inline bool AppendPixelStorei(CommandStream& s, uint32_t pname, int32_t param) {
    return AppendCmd<CmdOp::PixelStorei>(s, CmdPixelStorei{0, pname, param});
}
inline bool AppendCullFace(CommandStream& s, uint32_t mode) { return AppendCmd<CmdOp::CullFace>(s, CmdU32{0, mode}); }
inline bool AppendFrontFace(CommandStream& s, uint32_t mode) { return AppendCmd<CmdOp::FrontFace>(s, CmdU32{0, mode}); }
inline bool AppendShadeModel(CommandStream& s, uint32_t mode) {
    return AppendCmd<CmdOp::ShadeModel>(s, CmdU32{0, mode});
}
inline bool AppendPolygonMode(CommandStream& s, uint32_t face, uint32_t mode) {
    return AppendCmd<CmdOp::PolygonMode>(s, CmdU32Pair{0, face, mode});
}
inline bool AppendPolygonOffset(CommandStream& s, float factor, float units) {
    return AppendCmd<CmdOp::PolygonOffset>(s, CmdFloat2{0, factor, units});
}
inline bool AppendActiveTextureARB(CommandStream& s, uint32_t texture) {
    return AppendCmd<CmdOp::ActiveTextureARB>(s, CmdU32{0, texture});
}

// --- Texture objects (ops 31..35); the bulk data goes to the blob first ---
inline bool AppendGenTextures(CommandStream& s, int32_t n) {
    return AppendCmd<CmdOp::GenTextures>(s, CmdGenTextures{0, n, 0});
}
// Copies the 4n bytes of `names` into the blob. Requires n >= 1 and names not null (else false).
bool AppendDeleteTextures(CommandRecording& rec, int32_t n, const uint32_t* names);
inline bool AppendBindTexture(CommandStream& s, uint32_t target, uint32_t texture) {
    return AppendCmd<CmdOp::BindTexture>(s, CmdBindTexture{0, target, texture});
}
// Copies CmdImagePixelBytes(format, type) x width x height bytes of `pixels` into the blob, with
// their FNV-1a hash; nothing is copied (length, offset and hash 0) for null pixels or a size below
// 1. A format and type whose pixel size is unknown records nothing and gives false.
bool AppendTexImage2D(CommandRecording& rec, uint32_t target, int32_t level, int32_t internalformat, int32_t width,
                      int32_t height, int32_t border, uint32_t format, uint32_t type, const void* pixels);
bool AppendTexSubImage2D(CommandRecording& rec, uint32_t target, int32_t level, int32_t xoffset, int32_t yoffset,
                         int32_t width, int32_t height, uint32_t format, uint32_t type, const void* pixels);

// --- Immediate mode and clears (ops 36..46) ---
inline bool AppendColor(CommandStream& s, uint32_t packed) { return AppendCmd<CmdOp::Color>(s, CmdU32{0, packed}); }
inline bool AppendTexCoord2f(CommandStream& s, float sc, float tc) {
    return AppendCmd<CmdOp::TexCoord2f>(s, CmdFloat2{0, sc, tc});
}
inline bool AppendClearColor(CommandStream& s, float r, float g, float b, float a) {
    return AppendCmd<CmdOp::ClearColor>(s, CmdClearColor{0, r, g, b, a});
}
inline bool AppendClearDepth(CommandStream& s, double depth) {
    return AppendCmd<CmdOp::ClearDepth>(s, CmdFloat1{0, NarrowToFloat(depth)});
}
inline bool AppendClear(CommandStream& s, uint32_t mask) { return AppendCmd<CmdOp::Clear>(s, CmdU32{0, mask}); }
inline bool AppendBegin(CommandStream& s, uint32_t mode) { return AppendCmd<CmdOp::Begin>(s, CmdU32{0, mode}); }
inline bool AppendVertex2f(CommandStream& s, float x, float y) {
    return AppendCmd<CmdOp::Vertex2f>(s, CmdFloat2{0, x, y});
}
inline bool AppendVertex3f(CommandStream& s, float x, float y, float z) {
    return AppendCmd<CmdOp::Vertex3f>(s, CmdXyz{0, x, y, z});
}
// Writes the header of `Op` and its payload words (each a u32 or an f32, in record order) at the
// end of the stream, which must have room for them. Word by word: a record built in memory and
// copied would be reloaded wide from narrow stores, which stalls store-to-load forwarding.
template <CmdOp Op, class... Words>
inline void AppendCmdWordsInRoom(CommandStream& stream, Words... words) {
    static_assert(((sizeof(Words) == 4 && std::is_trivially_copyable_v<Words>)&&...));
    constexpr std::size_t kBytes = 4 * (1 + sizeof...(Words));
    static_assert(kBytes == kCmdSize[static_cast<int>(Op)], "payload words must fill the record");
    uint8_t* at = stream.end;
    stream.end = at + kBytes;
    const uint32_t header = MakeCmdHeader(Op);
    std::memcpy(at, &header, 4);
    std::size_t offset = 4;
    ((std::memcpy(at + offset, &words, 4), offset += 4), ...);
}

// The immediate-mode records for callers that have made sure of the room, the hot entries.
inline void AppendColorInRoom(CommandStream& s, uint32_t packed) { AppendCmdWordsInRoom<CmdOp::Color>(s, packed); }
inline void AppendTexCoord2fInRoom(CommandStream& s, float sc, float tc) {
    AppendCmdWordsInRoom<CmdOp::TexCoord2f>(s, sc, tc);
}
inline void AppendVertex2fInRoom(CommandStream& s, float x, float y) { AppendCmdWordsInRoom<CmdOp::Vertex2f>(s, x, y); }
inline void AppendVertex3fInRoom(CommandStream& s, float x, float y, float z) {
    AppendCmdWordsInRoom<CmdOp::Vertex3f>(s, x, y, z);
}
inline bool AppendEnd(CommandStream& s) { return AppendCmd<CmdOp::End>(s, CmdNoPayload{0}); }
inline bool AppendFrameEnd(CommandStream& s) { return AppendCmd<CmdOp::FrameEnd>(s, CmdNoPayload{0}); }
inline bool AppendReadPixels(CommandStream& s, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t format,
                             uint32_t type) {
    return AppendCmd<CmdOp::ReadPixels>(s, CmdReadPixels{0, x, y, w, h, format, type});
}

// Byte length a recorded image copies: CmdImagePixelBytes(format, type) x width x height in 64
// bits, or 0 for null pixels or a width or height below 1.
uint64_t CmdImageByteLength(uint32_t format, uint32_t type, int32_t width, int32_t height, const void* pixels);

}  // namespace mora
