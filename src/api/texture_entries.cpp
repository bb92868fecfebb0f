// Implemented entry points of the texture objects and the texture environment: names, binding,
// parameters, image uploads, the environment mode and colour, and the recorded-only multitexture
// unit selection. glTexEnvf, glTexEnviv and glTexParameterf count and trace under their own name
// and then run the integer entry's whole frame with the converted argument.
#include "api/display_lists.h"
#include "api/texture_levels.h"
#include "entry/entry_boundary.h"
#include "entry/entry_frame.h"
#include "entry/gl_subset.h"
#include "gl/command_append.h"
#include "gl/float_conversion.h"
#include "gl/gl_state.h"
#include "gl/texture_objects.h"
#include "mora/gl.h"

using mora::EntryId;
using namespace mora::api;

namespace {

// glTexEnvi's frame and work, also reached from glTexEnvf and glTexEnviv (called directly rather
// than through the exported symbol, which another library could interpose).
void TexEnviEntry(GLenum target, GLenum pname, GLint param) {
    if (!EnterEntry<EntryId::glTexEnvi>(target, pname, param)) return;
    if (RecordingOn()) {
        mora::AppendTexEnvi(mora::TheCommandRecording().stream, target, pname, param);
    }
    mora::ApplyTexEnvi(mora::TheGlContext(), target, pname, param);
}

// glTexParameteri's frame and work, also reached from glTexParameterf.
void TexParameteriEntry(GLenum target, GLenum pname, GLint param) {
    if (!EnterEntry<EntryId::glTexParameteri>(target, pname, param)) return;
    const bool recording = RecordingOn();
    if (recording) {
        mora::AppendTexParameteri(mora::TheCommandRecording().stream, target, pname, param);
    }
    mora::TexParameteri(mora::TheGlContext(), target, pname, param, TextureTouch(recording));
}

}  // namespace

extern "C" {

MORA_GLAPI void MORA_APIENTRY glGenTextures(GLsizei n, GLuint* textures) try {
    if (!EnterEntry<EntryId::glGenTextures>(n, textures)) return;
    const mora::api::ListCompileSuspension suspension;  // runs at once, even inside a display list
    if (textures == nullptr || n < 1) {
        return;
    }
    const bool recording = RecordingOn();
    if (recording) {
        mora::AppendGenTextures(mora::TheCommandRecording().stream, n);
    }
    mora::GenTextures(mora::TheGlContext(), n, textures, TextureTouch(recording));
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glDeleteTextures(GLsizei n, const GLuint* textures) try {
    if (!EnterEntry<EntryId::glDeleteTextures>(n, textures)) return;
    const mora::api::ListCompileSuspension suspension;  // runs at once, even inside a display list
    if (textures == nullptr || n < 1) {
        return;
    }
    const bool recording = RecordingOn();
    if (recording) {
        mora::AppendDeleteTextures(mora::TheCommandRecording(), n, textures);
    }
    mora::DeleteTextures(mora::TheGlContext(), n, textures, TextureTouch(recording));
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glBindTexture(GLenum target, GLuint texture) try {
    if (!EnterEntry<EntryId::glBindTexture>(target, texture)) return;
    const bool recording = RecordingOn();
    if (recording) {
        mora::AppendBindTexture(mora::TheCommandRecording().stream, target, texture);
    }
    mora::BindTexture(mora::TheGlContext(), target, texture, TextureTouch(recording));
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI GLboolean MORA_APIENTRY glIsTexture(GLuint texture) try {
    if (!EnterEntry<EntryId::glIsTexture>(texture)) return GL_FALSE;
    const mora::api::ListCompileSuspension suspension;  // runs at once, even inside a display list
    return mora::IsTexture(mora::TheGlContext(), texture) ? GL_TRUE : GL_FALSE;
} MORA_ENTRY_BOUNDARY(GL_FALSE)

MORA_GLAPI void MORA_APIENTRY glTexParameteri(GLenum target, GLenum pname, GLint param) try {
    TexParameteriEntry(target, pname, param);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glTexParameterf(GLenum target, GLenum pname, GLfloat param) try {
    if (!EnterEntry<EntryId::glTexParameterf>(target, pname, param)) return;
    TexParameteriEntry(target, pname, mora::TruncateToInt32(param));
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glTexEnvi(GLenum target, GLenum pname, GLint param) try {
    TexEnviEntry(target, pname, param);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glTexEnvf(GLenum target, GLenum pname, GLfloat param) try {
    if (!EnterEntry<EntryId::glTexEnvf>(target, pname, param)) return;
    TexEnviEntry(target, pname, mora::TruncateToInt32(param));
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glTexEnviv(GLenum target, GLenum pname, const GLint* params) try {
    if (!EnterEntry<EntryId::glTexEnviv>(target, pname, params)) return;
    if (params == nullptr) {
        return;
    }
    TexEnviEntry(target, pname, params[0]);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glTexEnvfv(GLenum target, GLenum pname, const GLfloat* params) try {
    if (!EnterEntry<EntryId::glTexEnvfv>(target, pname, params)) return;
    if (params == nullptr) {
        return;
    }
    if (RecordingOn()) {
        mora::AppendTexEnvfv(mora::TheCommandRecording().stream, target, pname, params);
    }
    mora::ApplyTexEnvfv(mora::TheGlContext(), target, pname, params);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width,
                                           GLsizei height, GLint border, GLenum format, GLenum type,
                                           const GLvoid* pixels) try {
    if (!EnterEntry<EntryId::glTexImage2D>(target, level, internalformat, width, height, border, format, type, pixels))
        return;
    const bool lowering = LoweringOn();
    if (lowering && IsProxyTarget(target)) {  // only a question: runs at once, even inside a list
        if (target == kProxyTexture2D) {
            SetProxyLevel(level, internalformat, width, height, border);
        }
        return;
    }
    // A format and type whose pixel size is unknown cannot be read safely: the call does nothing.
    if (mora::CmdImagePixelBytes(format, type) == 0) {
        return;
    }
    const bool recording = RecordingOn();
    if (recording) {
        mora::AppendTexImage2D(mora::TheCommandRecording(), target, level, internalformat, width, height, border,
                               format, type, pixels);
    }
    const mora::TextureResult result = mora::TexImage2D(mora::TheGlContext(), target, level, width, height, format,
                                                        type, pixels, TextureTouch(recording));
    if (lowering && result == mora::TextureResult::Applied && !ListOpen()) {
        NoteInternalFormat(mora::TheGlContext().boundTexture, internalformat);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLsizei width,
                                              GLsizei height, GLenum format, GLenum type, const GLvoid* pixels) try {
    if (!EnterEntry<EntryId::glTexSubImage2D>(target, level, xoffset, yoffset, width, height, format, type, pixels))
        return;
    if (mora::CmdImagePixelBytes(format, type) == 0) {
        return;
    }
    const bool recording = RecordingOn();
    if (recording) {
        mora::AppendTexSubImage2D(mora::TheCommandRecording(), target, level, xoffset, yoffset, width, height, format,
                                  type, pixels);
    }
    mora::TexSubImage2D(mora::TheGlContext(), target, level, xoffset, yoffset, width, height, format, type, pixels,
                        TextureTouch(recording));
} MORA_ENTRY_BOUNDARY()

// One texture unit exists: the unit selection is recorded and changes nothing.
MORA_GLAPI void MORA_APIENTRY glActiveTextureARB(GLenum texture) try {
    if (!EnterEntry<EntryId::glActiveTextureARB>(texture)) return;
    if (RecordingOn()) {
        mora::AppendActiveTextureARB(mora::TheCommandRecording().stream, texture);
    }
} MORA_ENTRY_BOUNDARY()

// The level queries answer GL_TEXTURE_2D and GL_PROXY_TEXTURE_2D (api/texture_levels.h); with the
// seed subset they only count and trace.
MORA_GLAPI void MORA_APIENTRY glGetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint* params) try {
    if (!EnterEntry<EntryId::glGetTexLevelParameteriv>(target, level, pname, params)) return;
    if (params == nullptr || !LoweringOn()) {
        return;
    }
    const mora::api::ListCompileSuspension suspension;  // a query runs at once, even inside a display list
    GLint value = 0;
    if (TexLevelParameter(target, level, pname, value)) {
        *params = value;
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glGetTexLevelParameterfv(GLenum target, GLint level, GLenum pname, GLfloat* params) try {
    if (!EnterEntry<EntryId::glGetTexLevelParameterfv>(target, level, pname, params)) return;
    if (params == nullptr || !LoweringOn()) {
        return;
    }
    const mora::api::ListCompileSuspension suspension;
    GLint value = 0;
    if (TexLevelParameter(target, level, pname, value)) {
        *params = static_cast<GLfloat>(value);
    }
} MORA_ENTRY_BOUNDARY()

}  // extern "C"
