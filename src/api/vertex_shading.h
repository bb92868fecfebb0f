// Per-vertex lighting and texture coordinate generation at submission: while either is on, each
// vertex is recorded behind a colour record (the lit colour) and a texture-coordinate record (the
// generated s and t), worked out from the live state, so the rest of the pipeline draws it as if
// the program had passed those values. After the primitive the program's own colour and texture
// coordinate are recorded again, so that what follows sees the current values GL keeps.
#pragma once

#include <cstdint>

#include "api/fixed_function.h"
#include "gl/gl_context.h"

namespace mora::api {

// The colour and texture coordinate GL gives a vertex at object coordinates (x, y, z, 1) under the
// context's modelview: colour is the lit colour when lighting is on, s and t the generated
// coordinates when their generation is on; each is left as passed otherwise.
void ShadeVertex(FixedFunctionState& state, const GlContext& ctx, float x, float y, float z, uint32_t& colour, float& s,
                 float& t);

// The vertex path while VertexShadingOn(): `recording` as for the hot bodies (room for the vertex
// record). A vertex compiled into a display list is stored unshaded; it is shaded when played.
void IssueShadedVertex(bool recording, float x, float y, float z, bool twoComponents) noexcept;

// Records the program's current colour and texture coordinate again (glEnd while shading is on).
void RestoreCurrentAttributes() noexcept;

}  // namespace mora::api
