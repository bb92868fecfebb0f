// The OpenGL 1.1 calls the synthetic scene makes, as a table of function pointers that a renderer
// backend fills (dlsym on MORA or on OSMesa), and SceneGl: the table plus the per-frame counters
// (GL calls, triangles submitted) that the scene benchmark reports. Scene code calls GL only here.
#pragma once

#include <cstdint>
#include <string>

#include "mora/gl.h"

namespace mora::scene {

// Every GL entry the scene, the comparison scenes and the backends use, by name without "gl".
// Begin, End and the Vertex entries are listed separately because SceneGl counts triangles there.
#define MORA_SCENE_GL_PRIMITIVE_ENTRIES(X) X(Begin) X(End) X(Vertex2f) X(Vertex3f) X(Vertex3fv)
// X-macro lists, which the formatter would re-flow on every run (kept as written):
// clang-format off
#define MORA_SCENE_GL_STATE_ENTRIES(X)                                                                 \
    X(Color3f) X(Color4f) X(Color4ub) X(Color4ubv) X(TexCoord2f) X(MatrixMode) X(LoadIdentity)         \
    X(LoadMatrixf) X(MultMatrixf) X(PushMatrix) X(PopMatrix) X(Translatef) X(Rotatef) X(Scalef)        \
    X(Frustum) X(Ortho) X(Viewport) X(DepthRange) X(Enable) X(Disable) X(BlendFunc) X(AlphaFunc)       \
    X(DepthFunc) X(DepthMask) X(CullFace) X(FrontFace) X(ShadeModel) X(TexEnvi) X(TexEnvfv)            \
    X(TexParameteri) X(GenTextures) X(DeleteTextures) X(BindTexture) X(TexImage2D) X(PixelStorei)      \
    X(ClearColor) X(ClearDepth) X(Clear) X(Finish) X(Scissor)
// The vertex-array, display-list and immediate-mode variant entries the comparison programs use
// (glGenLists, which answers, is forwarded by hand).
#define MORA_SCENE_GL_VARIANT_ENTRIES(X)                                                               \
    X(Vertex2s) X(Vertex3i) X(Vertex4f) X(Color3ub) X(Color4us) X(Color3d) X(TexCoord2d) X(Rectf)      \
    X(Recti) X(Translated) X(Rotated) X(Scaled) X(LoadMatrixd) X(MultMatrixd) X(VertexPointer)         \
    X(ColorPointer) X(TexCoordPointer) X(EnableClientState) X(DisableClientState) X(InterleavedArrays)  \
    X(ArrayElement) X(DrawArrays) X(DrawElements) X(NewList) X(EndList) X(CallList) X(CallLists)       \
    X(ListBase) X(DeleteLists)
// Lighting and texture coordinate generation, for their comparison programs.
#define MORA_SCENE_GL_LIGHTING_ENTRIES(X)                                                              \
    X(Normal3f) X(NormalPointer) X(Lightf) X(Lightfv) X(LightModeli) X(LightModelfv) X(Materialf)     \
    X(Materialfv) X(ColorMaterial) X(TexGeni) X(TexGenfv)
// clang-format on

// One pointer per entry, typed after the prototype in mora/gl.h (the same C signature in both
// libraries). All null until filled.
struct GlTable {
#define MORA_SCENE_GL_MEMBER(name) decltype(&::gl##name) name = nullptr;
    MORA_SCENE_GL_PRIMITIVE_ENTRIES(MORA_SCENE_GL_MEMBER)
    MORA_SCENE_GL_STATE_ENTRIES(MORA_SCENE_GL_MEMBER)
    MORA_SCENE_GL_VARIANT_ENTRIES(MORA_SCENE_GL_MEMBER)
    MORA_SCENE_GL_LIGHTING_ENTRIES(MORA_SCENE_GL_MEMBER)
    MORA_SCENE_GL_MEMBER(GenLists)
#undef MORA_SCENE_GL_MEMBER
};

// Looks up "gl" + name for every entry through resolve(context, symbol). False, with the first
// missing symbol in *missing (when given), when any entry is not found; the table is then unusable.
using SymbolResolver = void* (*)(void* context, const char* symbol);
bool FillGlTable(GlTable& table, SymbolResolver resolve, void* context, std::string* missing);

// Triangles that one glBegin/glEnd of `mode` with `vertexCount` vertices submits under the usual
// GL decomposition (points and lines submit none).
uint32_t TrianglesSubmitted(GLenum mode, uint32_t vertexCount);

// What the scene calls GL through: forwards to the table and counts every call, and the triangles
// of every glBegin/glEnd. The counters only grow; callers read and reset them per frame.
struct SceneGl {
    GlTable table;
    uint64_t calls = 0;
    uint64_t triangles = 0;
    GLenum mode = 0;
    uint32_t primitiveVertices = 0;

    void Begin(GLenum m) {
        ++calls;
        mode = m;
        primitiveVertices = 0;
        table.Begin(m);
    }
    void End() {
        ++calls;
        triangles += TrianglesSubmitted(mode, primitiveVertices);
        primitiveVertices = 0;
        table.End();
    }
    void Vertex2f(GLfloat x, GLfloat y) {
        ++calls;
        ++primitiveVertices;
        table.Vertex2f(x, y);
    }
    void Vertex3f(GLfloat x, GLfloat y, GLfloat z) {
        ++calls;
        ++primitiveVertices;
        table.Vertex3f(x, y, z);
    }
    void Vertex3fv(const GLfloat* v) {
        ++calls;
        ++primitiveVertices;
        table.Vertex3fv(v);
    }
#define MORA_SCENE_GL_FORWARD(name) \
    template <typename... Args>     \
    void name(Args... args) {       \
        ++calls;                    \
        table.name(args...);        \
    }
    MORA_SCENE_GL_STATE_ENTRIES(MORA_SCENE_GL_FORWARD)
    MORA_SCENE_GL_VARIANT_ENTRIES(MORA_SCENE_GL_FORWARD)
    MORA_SCENE_GL_LIGHTING_ENTRIES(MORA_SCENE_GL_FORWARD)
#undef MORA_SCENE_GL_FORWARD
    GLuint GenLists(GLsizei range) {
        ++calls;
        return table.GenLists(range);
    }
};

}  // namespace mora::scene
