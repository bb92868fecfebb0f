// GlVertex: the 24-byte vertex that the immediate-mode entries collect between glBegin and
// glEnd and that the frame's vertex array holds. Read by primitive assembly and the emit stage.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mora {

struct GlVertex {
    float x, y, z;    // object space; the two-component entries give z = 0
    uint32_t colour;  // packed 0xAARRGGBB
    float s, t;       // the one texture-coordinate set
};
static_assert(sizeof(GlVertex) == 24);
static_assert(offsetof(GlVertex, colour) == 12);
static_assert(offsetof(GlVertex, s) == 16);

}  // namespace mora
