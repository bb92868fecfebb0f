// The vertex-array draws the driver lowers at its entry points (every draw call, an interleaved
// layout), drawn through MORA and through OSMesa (llvmpipe) with the same calls. (The immediate-mode
// variants, glRect and the double matrices give exactly the records of their float equivalents,
// which tests/api checks.) The scene has edges inside the view, so the comparison bounds the share
// of pixels off by more than 8 levels, as the targeted scenes do.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "compare_session.h"

namespace mora_compare {
namespace {

constexpr int kSize = 128;
const Tolerance kEdgeTolerance{255, 30.0, 0.01};

struct ColouredPoint {
    GLfloat r, g, b;
    GLfloat x, y, z;
};

TEST(LoweredEntries, VertexArrayDrawsAgree) {
    const auto draw = [](SceneGl& gl, int w, int h) {
        PixelProjection(gl, w, h);
        // glDrawArrays: two quads from separate position and byte-colour arrays.
        const GLshort positions[8][2] = {{4, 4}, {60, 4}, {60, 40}, {4, 40}, {68, 4}, {124, 4}, {124, 40}, {68, 40}};
        const GLubyte colours[8][4] = {{255, 0, 0, 255},  {0, 255, 0, 255},   {0, 0, 255, 255},   {255, 255, 0, 255},
                                       {40, 40, 40, 255}, {200, 0, 200, 255}, {0, 200, 200, 255}, {250, 250, 250, 255}};
        gl.VertexPointer(2, GL_SHORT, 0, positions);
        gl.ColorPointer(4, GL_UNSIGNED_BYTE, 0, colours);
        gl.EnableClientState(GL_VERTEX_ARRAY);
        gl.EnableClientState(GL_COLOR_ARRAY);
        gl.DrawArrays(GL_QUADS, 0, 8);
        // glDrawElements: a hexagon as six indexed triangles around a centre, float colours.
        std::vector<GLfloat> hexagon = {32, 80, 0};
        std::vector<GLfloat> hexColours = {1, 1, 1};
        for (int i = 0; i < 6; ++i) {
            const float a = 1.0472f * static_cast<float>(i);
            hexagon.insert(hexagon.end(), {32 + 26 * std::cos(a), 80 + 26 * std::sin(a), 0});
            hexColours.insert(hexColours.end(),
                              {0.2f * static_cast<float>(i), 0.5f, 1.0f - 0.15f * static_cast<float>(i)});
        }
        const GLushort indices[18] = {0, 1, 2, 0, 2, 3, 0, 3, 4, 0, 4, 5, 0, 5, 6, 0, 6, 1};
        gl.VertexPointer(3, GL_FLOAT, 0, hexagon.data());
        gl.ColorPointer(3, GL_FLOAT, 0, hexColours.data());
        gl.DrawElements(GL_TRIANGLES, 18, GL_UNSIGNED_SHORT, indices);
        // glInterleavedArrays with glArrayElement inside glBegin/glEnd: a strip.
        const ColouredPoint strip[6] = {{1, 0, 0, 70, 56, 0},  {0, 1, 0, 70, 120, 0}, {0, 0, 1, 96, 56, 0},
                                        {1, 1, 0, 96, 120, 0}, {0, 1, 1, 124, 56, 0}, {1, 0, 1, 124, 120, 0}};
        gl.InterleavedArrays(GL_C3F_V3F, 0, strip);
        gl.Begin(GL_TRIANGLE_STRIP);
        for (GLint i = 0; i < 6; ++i) gl.ArrayElement(i);
        gl.End();
        gl.DisableClientState(GL_COLOR_ARRAY);
        gl.DisableClientState(GL_VERTEX_ARRAY);
    };
    ExpectAgreement(draw, kEdgeTolerance, "lowered_vertex_arrays", kSize, kSize);
}

}  // namespace
}  // namespace mora_compare
