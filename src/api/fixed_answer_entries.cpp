// The seven counted-only entry points that return a fixed answer: the GL strings, the error and
// state queries the driver does not keep, texture residency and render mode.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "api/gl_error.h"
#include "entry/entry_boundary.h"
#include "entry/entry_frame.h"
#include "gl/gl_state.h"
#include "mora/gl.h"

namespace {

const GLubyte* StaticString(const char* text) { return reinterpret_cast<const GLubyte*>(text); }

// A query answers on any thread (these answers are fixed) but raises GL_INVALID_ENUM, answering
// nothing, for a name outside GL 1.1's, and only where the call may draw.
bool KnownQuery(bool mayDraw, GLenum pname) {
    if (mora::IsQueryName(pname)) return true;
    if (mayDraw) mora::api::RaiseGlError(GL_INVALID_ENUM);
    return false;
}

}  // namespace

using mora::EntryId;
using mora::api::EnterEntry;

extern "C" {

MORA_GLAPI const GLubyte* MORA_APIENTRY glGetString(GLenum name) try {
    EnterEntry<EntryId::glGetString>(name);
    switch (name) {
        case GL_VENDOR: return StaticString("MORA Project");
        case GL_RENDERER: return StaticString("MORA Null Renderer");
        case GL_VERSION: return StaticString("1.1");
        default:  // GL_EXTENSIONS and every other name: empty, never null
            return StaticString("");
    }
} MORA_ENTRY_BOUNDARY(StaticString(""))

MORA_GLAPI GLenum MORA_APIENTRY glGetError(void) try {
    if (!EnterEntry<EntryId::glGetError>()) return GL_NO_ERROR;
    return static_cast<GLenum>(mora::api::TakeGlError());
} MORA_ENTRY_BOUNDARY(GL_NO_ERROR)

MORA_GLAPI void MORA_APIENTRY glGetIntegerv(GLenum pname, GLint* params) try {
    if (!KnownQuery(EnterEntry<EntryId::glGetIntegerv>(pname, params), pname) || params == nullptr) {
        return;
    }
    switch (pname) {
        case GL_MAX_TEXTURE_SIZE: *params = 1024; break;
        case GL_RED_BITS:
        case GL_GREEN_BITS:
        case GL_BLUE_BITS:
        case GL_ALPHA_BITS: *params = 8; break;
        case GL_DEPTH_BITS: *params = 24; break;
        // Uploads and read-backs are tightly packed whatever glPixelStorei asked for, and 0 is no valid
        // alignment: libraries divide by it (GLU's gluBuild2DMipmaps crashed with SIGFPE).
        case GL_PACK_ALIGNMENT:
        case GL_UNPACK_ALIGNMENT: *params = 1; break;
        default: *params = 0; break;
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glGetBooleanv(GLenum pname, GLboolean* params) try {
    if (!KnownQuery(EnterEntry<EntryId::glGetBooleanv>(pname, params), pname)) return;
    if (params != nullptr) {
        *params = GL_FALSE;
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glGetDoublev(GLenum pname, GLdouble* params) try {
    if (!KnownQuery(EnterEntry<EntryId::glGetDoublev>(pname, params), pname)) return;
    if (params != nullptr) {
        *params = 0.0;
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI GLboolean MORA_APIENTRY glAreTexturesResident(GLsizei n, const GLuint* textures, GLboolean* residences) try {
    EnterEntry<EntryId::glAreTexturesResident>(n, textures, residences);
    if (residences != nullptr && n >= 1) {
        std::memset(residences, GL_TRUE, static_cast<std::size_t>(n));
    }
    return GL_TRUE;
} MORA_ENTRY_BOUNDARY(GL_TRUE)

MORA_GLAPI GLint MORA_APIENTRY glRenderMode(GLenum mode) try {
    EnterEntry<EntryId::glRenderMode>(mode);
    return 0;
} MORA_ENTRY_BOUNDARY(0)

}  // extern "C"
