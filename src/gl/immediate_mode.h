// Immediate-mode vertex collection on the GL context: glBegin empties the primitive's vertex
// list, each vertex entry appends one GlVertex with the current colour and texture coordinate,
// glEnd closes the primitive. Used by the API entries and the replay executor alike.
#pragma once

#include <cstdint>
#include <new>
#include <stdexcept>

#include "gl/gl_context.h"

namespace mora {

inline void BeginPrimitive(GlContext& ctx, uint32_t mode) {
    ctx.primitiveMode = mode;  // any value accepted
    ctx.primitiveVertices.clear();
}

// Appends (x, y, z, currentColour, currentS, currentT); false when the list could not grow.
inline bool AppendPrimitiveVertex(GlContext& ctx, float x, float y, float z) {
    try {
        ctx.primitiveVertices.push_back(GlVertex{x, y, z, ctx.currentColour, ctx.currentS, ctx.currentT});
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

// API side of glEnd: nothing is drawn at call time, the replay builds the packet.
inline void EndPrimitive(GlContext& ctx) {
    ctx.primitiveMode = 0;
    ctx.primitiveVertices.clear();
}

}  // namespace mora
