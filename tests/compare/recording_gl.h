// A GL table for tests of the scene code without any renderer: every entry folds its name and
// arguments into a running hash (pointer arguments by the values they point at), glGenTextures
// hands out names 1, 2, 3..., and a few entries keep a log the tests inspect.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#include "scene_gl.h"

namespace mora_compare {

struct TexImageCall {
    GLuint texture;
    GLint level;
    GLsizei width;
    GLsizei height;
};

struct GlRecording {
    uint64_t hash = 1469598103934665603ull;
    GLuint boundTexture = 0;
    GLuint nextName = 1;
    std::vector<TexImageCall> texImages;
    std::vector<std::pair<GLenum, GLenum>> blendFuncs;
    std::vector<std::pair<GLenum, GLfloat>> alphaFuncs;
};

inline GlRecording& Recorded() {
    static GlRecording recording;
    return recording;
}

inline void MixBytes(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) Recorded().hash = (Recorded().hash ^ bytes[i]) * 1099511628211ull;
}

template <typename T>
void Mix(T value) {
    if constexpr (std::is_arithmetic_v<T>) MixBytes(&value, sizeof value);
}

constexpr uint64_t NameId(const char* name) {
    uint64_t h = 14695981039346656037ull;
    while (*name != '\0') h = (h ^ static_cast<unsigned char>(*name++)) * 1099511628211ull;
    return h;
}

template <typename F, uint64_t Id>
struct RecordingStub;
template <typename R, typename... A, uint64_t Id>
struct RecordingStub<R (*)(A...), Id> {
    static R Call(A... args) {
        Mix(Id);
        (Mix(args), ...);
        if constexpr (!std::is_void_v<R>) return R{};
    }
};

inline void RecordVertex3fv(const GLfloat* v) {
    Mix(NameId("Vertex3fv"));
    MixBytes(v, 3 * sizeof(GLfloat));
}
inline void RecordMatrix(const GLfloat* m) {
    Mix(NameId("Matrix"));
    MixBytes(m, 16 * sizeof(GLfloat));
}
inline void RecordTexEnvfv(GLenum target, GLenum pname, const GLfloat* params) {
    Mix(target);
    Mix(pname);
    MixBytes(params, 4 * sizeof(GLfloat));
}
inline void RecordColor4ubv(const GLubyte* v) {
    Mix(NameId("Color4ubv"));
    MixBytes(v, 4);
}
inline void RecordGenTextures(GLsizei n, GLuint* names) {
    for (GLsizei i = 0; i < n; ++i) names[i] = Recorded().nextName++;
}
inline void RecordDeleteTextures(GLsizei n, const GLuint* names) { MixBytes(names, static_cast<std::size_t>(n) * sizeof(GLuint)); }
inline void RecordBindTexture(GLenum target, GLuint texture) {
    Mix(target);
    Mix(texture);
    Recorded().boundTexture = texture;
}
inline void RecordTexImage2D(GLenum, GLint level, GLint, GLsizei width, GLsizei height, GLint, GLenum, GLenum, const GLvoid* pixels) {
    Recorded().texImages.push_back({Recorded().boundTexture, level, width, height});
    MixBytes(pixels, static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u);
}
inline void RecordBlendFunc(GLenum source, GLenum destination) {
    Mix(source);
    Mix(destination);
    Recorded().blendFuncs.push_back({source, destination});
}
inline void RecordAlphaFunc(GLenum function, GLclampf reference) {
    Mix(function);
    Mix(reference);
    Recorded().alphaFuncs.push_back({function, reference});
}

// A SceneGl whose table records; the recording is emptied.
inline mora::scene::SceneGl RecordingGl() {
    Recorded() = GlRecording{};
    mora::scene::SceneGl gl;
    mora::scene::GlTable& t = gl.table;
#define MORA_TEST_RECORDING_STUB(name) t.name = &RecordingStub<decltype(t.name), NameId(#name)>::Call;
    MORA_SCENE_GL_PRIMITIVE_ENTRIES(MORA_TEST_RECORDING_STUB)
    MORA_SCENE_GL_STATE_ENTRIES(MORA_TEST_RECORDING_STUB)
#undef MORA_TEST_RECORDING_STUB
    t.Vertex3fv = &RecordVertex3fv;
    t.LoadMatrixf = &RecordMatrix;
    t.MultMatrixf = &RecordMatrix;
    t.TexEnvfv = &RecordTexEnvfv;
    t.Color4ubv = &RecordColor4ubv;
    t.GenTextures = &RecordGenTextures;
    t.DeleteTextures = &RecordDeleteTextures;
    t.BindTexture = &RecordBindTexture;
    t.TexImage2D = &RecordTexImage2D;
    t.BlendFunc = &RecordBlendFunc;
    t.AlphaFunc = &RecordAlphaFunc;
    return gl;
}

}  // namespace mora_compare
