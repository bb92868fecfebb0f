// Immediate-mode vertex collection on the GL context: glBegin empties the primitive's vertex
// list, each vertex entry appends one GlVertex with the current colour and texture coordinate,
// glEnd closes the primitive. Used by the API entries and the replay executor alike.
#pragma once

#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

#include "gl/gl_context.h"

namespace mora {

inline void BeginPrimitive(GlContext& ctx, uint32_t mode) {
    ctx.primitiveMode = mode;  // any value accepted
    ctx.primitiveOpen = true;
    ctx.primitiveVertices.clear();
}

// Out-of-line part of AppendPrimitiveVertex: the list is full and must grow. It inserts through
// emplace with the same argument types as the fast path's emplace_back, so that the library's
// reallocation routine has more than one caller and is not folded into emplace_back, which then
// stays small enough to be inlined at every vertex entry.
[[gnu::noinline]] inline bool AppendPrimitiveVertexGrowing(GlContext& ctx, float x, float y, float z) {
    std::vector<GlVertex>& list = ctx.primitiveVertices;
    try {
        list.emplace(list.end(), GlVertex{x, y, z, ctx.currentColour, ctx.currentS, ctx.currentT});
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

// Appends (x, y, z, currentColour, currentS, currentT); false when the list could not grow. The
// common case, room left in the list, is one pointer compare and the vertex stores: the test is
// written as end != end of storage so that the compiler drops the growth path of emplace_back.
inline bool AppendPrimitiveVertex(GlContext& ctx, float x, float y, float z) {
    std::vector<GlVertex>& list = ctx.primitiveVertices;
    if (list.data() + list.size() != list.data() + list.capacity()) [[likely]] {
        list.emplace_back(GlVertex{x, y, z, ctx.currentColour, ctx.currentS, ctx.currentT});  // cannot reallocate
        return true;
    }
    return AppendPrimitiveVertexGrowing(ctx, x, y, z);
}

// API side of glEnd: nothing is drawn at call time, the replay builds the packet.
inline void EndPrimitive(GlContext& ctx) {
    ctx.primitiveMode = 0;
    ctx.primitiveOpen = false;
    ctx.primitiveEndedSinceFlush = true;
    ctx.primitiveVertices.clear();
}

}  // namespace mora
