// Implemented immediate-mode entry points: glBegin, glEnd, the four vertex forms, the seven colour
// forms and the two texture-coordinate forms. These are the calls a game makes thousands of times
// per frame, so each vertex, colour and texture-coordinate form runs the inline frame of
// RunHotEntry around its body: one append and one context write.
#include "api/lowered_paths.h"
#include "entry/entry_boundary.h"
#include "mora/gl.h"

using mora::EntryId;
using namespace mora::api;

namespace {

// Bodies (validate, record, apply) of the hot entries, run by RunHotEntry: `recording` says that
// recording is on and the stream has room for the record.

inline void Vertex2v(bool recording, const GLfloat* v) noexcept {
    if (v != nullptr) {
        HotVertex2(recording, v[0], v[1]);
    }
}

inline void Vertex3v(bool recording, const GLfloat* v) noexcept {
    if (v != nullptr) {
        HotVertex3(recording, v[0], v[1], v[2]);
    }
}

inline void Colour3f(bool recording, float r, float g, float b) noexcept {
    HotColour(recording, mora::PackColour(r, g, b, 1.0f));
}

inline void Colour4f(bool recording, float r, float g, float b, float a) noexcept {
    HotColour(recording, mora::PackColour(r, g, b, a));
}

inline void Colour4ub(bool recording, GLubyte r, GLubyte g, GLubyte b, GLubyte a) noexcept {
    HotColour(recording, mora::PackColourBytes(r, g, b, a));
}

inline void Colour3fv(bool recording, const GLfloat* v) noexcept {
    if (v != nullptr) {
        Colour3f(recording, v[0], v[1], v[2]);
    }
}

inline void Colour4fv(bool recording, const GLfloat* v) noexcept {
    if (v != nullptr) {
        Colour4f(recording, v[0], v[1], v[2], v[3]);
    }
}

inline void Colour3ubv(bool recording, const GLubyte* v) noexcept {
    if (v != nullptr) {
        HotColour(recording, mora::PackColourBytes(v[0], v[1], v[2], 255));
    }
}

inline void Colour4ubv(bool recording, const GLubyte* v) noexcept {
    if (v != nullptr) {
        HotColour(recording, mora::PackColourBytes(v[0], v[1], v[2], v[3]));
    }
}

inline void TexCoordv(bool recording, const GLfloat* v) noexcept {
    if (v != nullptr) {
        HotTexCoord(recording, v[0], v[1]);
    }
}

}  // namespace

extern "C" {

MORA_GLAPI void MORA_APIENTRY glBegin(GLenum mode) try {
    if (!EnterEntry<EntryId::glBegin>(mode)) return;
    IssueBegin(mode);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glEnd(void) try {
    if (!EnterEntry<EntryId::glEnd>()) return;
    IssueEnd();
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glVertex2f(GLfloat x, GLfloat y) {
    RunHotEntry<EntryId::glVertex2f, kVertex2Bytes, HotVertex2>(x, y);
}

MORA_GLAPI void MORA_APIENTRY glVertex2fv(const GLfloat* v) {
    RunHotEntry<EntryId::glVertex2fv, kVertex2Bytes, Vertex2v>(v);
}

MORA_GLAPI void MORA_APIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    RunHotEntry<EntryId::glVertex3f, kVertex3Bytes, HotVertex3>(x, y, z);
}

MORA_GLAPI void MORA_APIENTRY glVertex3fv(const GLfloat* v) {
    RunHotEntry<EntryId::glVertex3fv, kVertex3Bytes, Vertex3v>(v);
}

MORA_GLAPI void MORA_APIENTRY glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    RunHotEntry<EntryId::glColor3f, kColourBytes, Colour3f>(red, green, blue);
}

MORA_GLAPI void MORA_APIENTRY glColor3fv(const GLfloat* v) {
    RunHotEntry<EntryId::glColor3fv, kColourBytes, Colour3fv>(v);
}

MORA_GLAPI void MORA_APIENTRY glColor3ubv(const GLubyte* v) {
    RunHotEntry<EntryId::glColor3ubv, kColourBytes, Colour3ubv>(v);
}

MORA_GLAPI void MORA_APIENTRY glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    RunHotEntry<EntryId::glColor4f, kColourBytes, Colour4f>(red, green, blue, alpha);
}

MORA_GLAPI void MORA_APIENTRY glColor4fv(const GLfloat* v) {
    RunHotEntry<EntryId::glColor4fv, kColourBytes, Colour4fv>(v);
}

MORA_GLAPI void MORA_APIENTRY glColor4ub(GLubyte red, GLubyte green, GLubyte blue, GLubyte alpha) {
    RunHotEntry<EntryId::glColor4ub, kColourBytes, Colour4ub>(red, green, blue, alpha);
}

MORA_GLAPI void MORA_APIENTRY glColor4ubv(const GLubyte* v) {
    RunHotEntry<EntryId::glColor4ubv, kColourBytes, Colour4ubv>(v);
}

MORA_GLAPI void MORA_APIENTRY glTexCoord2f(GLfloat s, GLfloat t) {
    RunHotEntry<EntryId::glTexCoord2f, kTexCoordBytes, HotTexCoord>(s, t);
}

MORA_GLAPI void MORA_APIENTRY glTexCoord2fv(const GLfloat* v) {
    RunHotEntry<EntryId::glTexCoord2fv, kTexCoordBytes, TexCoordv>(v);
}

}  // extern "C"
