// The immediate-mode call mix both per-call measurements time, so their figures compare: one
// glColor4ub + glTexCoord2f + glVertex3f per vertex between glBegin and glEnd.
#pragma once

#include "mora/gl.h"

// Entry calls one batch makes: three per vertex, plus glBegin and glEnd.
constexpr double ImmediateTripleCalls(int vertices) { return 3.0 * vertices + 2.0; }

// `x` moves on by one per vertex, so no two batches submit the same coordinates.
inline void SubmitImmediateTriples(int vertices, float& x) {
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < vertices; ++i) {
        glColor4ub(static_cast<GLubyte>(i), 128, 64, 255);
        glTexCoord2f(x, 0.5f);
        glVertex3f(x, 1.0f, 2.0f);
        x += 1.0f;
    }
    glEnd();
}
