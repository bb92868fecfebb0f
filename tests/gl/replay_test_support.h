// Helpers for replay tests: a heap-allocated GlContext and a recording built with the append
// functions, as the API entries would record a frame.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <tuple>

#include "gl/command_append.h"
#include "gl/command_buffer.h"
#include "gl/gl_context.h"

namespace mora::test {

inline std::unique_ptr<GlContext> NewContext() { return std::make_unique<GlContext>(); }

// Appends a quad (GL_QUADS) of four coloured, textured vertices at depth z.
inline void AppendQuad(CommandStream& s, float x0, float y0, float x1, float y1, float z, uint32_t colour) {
    AppendBegin(s, 7);
    AppendColor(s, colour);
    AppendTexCoord2f(s, 0, 0);
    AppendVertex3f(s, x0, y0, z);
    AppendTexCoord2f(s, 1, 0);
    AppendVertex3f(s, x1, y0, z);
    AppendTexCoord2f(s, 1, 1);
    AppendVertex3f(s, x1, y1, z);
    AppendTexCoord2f(s, 0, 1);
    AppendVertex3f(s, x0, y1, z);
    AppendEnd(s);
}

// Appends raw bytes to the stream (for malformed records).
inline void AppendRaw(CommandStream& s, const void* bytes, uint64_t count) {
    uint8_t* at = ExtendCommandBuffer(s, count);
    if (at != nullptr) std::memcpy(at, bytes, count);
}

inline void AppendWord(CommandStream& s, uint32_t word) { AppendRaw(s, &word, 4); }

}  // namespace mora::test
