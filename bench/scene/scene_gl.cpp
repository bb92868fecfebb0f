#include "scene_gl.h"

namespace mora::scene {

bool FillGlTable(GlTable& table, SymbolResolver resolve, void* context, std::string* missing) {
    bool complete = true;
#define MORA_SCENE_GL_RESOLVE(name)                                                    \
    table.name = reinterpret_cast<decltype(table.name)>(resolve(context, "gl" #name)); \
    if (table.name == nullptr && complete) {                                           \
        complete = false;                                                              \
        if (missing != nullptr) *missing = "gl" #name;                                 \
    }
    MORA_SCENE_GL_PRIMITIVE_ENTRIES(MORA_SCENE_GL_RESOLVE)
    MORA_SCENE_GL_STATE_ENTRIES(MORA_SCENE_GL_RESOLVE)
    MORA_SCENE_GL_VARIANT_ENTRIES(MORA_SCENE_GL_RESOLVE)
    MORA_SCENE_GL_LIGHTING_ENTRIES(MORA_SCENE_GL_RESOLVE)
    MORA_SCENE_GL_RESOLVE(GenLists)
#undef MORA_SCENE_GL_RESOLVE
    return complete;
}

uint32_t TrianglesSubmitted(GLenum mode, uint32_t vertexCount) {
    switch (mode) {
        case GL_TRIANGLES: return vertexCount / 3;
        case GL_TRIANGLE_STRIP:
        case GL_TRIANGLE_FAN:
        case GL_POLYGON: return vertexCount >= 3 ? vertexCount - 2 : 0;
        case GL_QUADS: return vertexCount / 4 * 2;
        case GL_QUAD_STRIP: return vertexCount >= 4 ? (vertexCount - 2) / 2 * 2 : 0;
        default: return 0;
    }
}

}  // namespace mora::scene
