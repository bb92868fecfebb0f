// glRect* lowered onto the polygon GL defines for it, and the double-precision matrix entries
// lowered onto the float records and products of their float forms.
#include "api/gl_conversions.h"
#include "api/lowered_paths.h"
#include "entry/entry_boundary.h"
#include "entry/gl_subset.h"
#include "gl/matrix_stack.h"
#include "mora/gl.h"

using mora::EntryId;
using mora::NarrowToFloat;
using namespace mora::api;

namespace {

// glBegin(GL_POLYGON), the four corners counter-clockwise from (x1, y1), glEnd. Inside an open
// glBegin/glEnd GL rejects the call.
template <class T>
void Rect(T x1, T y1, T x2, T y2) {
    if (!LoweringOn() || mora::TheGlContext().primitiveOpen) {
        return;
    }
    const float fx1 = Coordinate(x1);
    const float fy1 = Coordinate(y1);
    const float fx2 = Coordinate(x2);
    const float fy2 = Coordinate(y2);
    IssueBegin(GL_POLYGON);
    IssueVertex2(fx1, fy1);
    IssueVertex2(fx2, fy1);
    IssueVertex2(fx2, fy2);
    IssueVertex2(fx1, fy2);
    IssueEnd();
}

template <class T>
void Rectv(const T* v1, const T* v2) {
    if (v1 != nullptr && v2 != nullptr) {
        Rect(v1[0], v1[1], v2[0], v2[1]);
    }
}

void Matrix16ToFloat(const GLdouble* m, float (&out)[16]) {
    for (int i = 0; i < 16; ++i) {
        out[i] = NarrowToFloat(m[i]);
    }
}

}  // namespace

// The formatter would move each boundary off its closing brace (kept as written):
// clang-format off
#define MORA_RECT(Suffix, Type)                                                                          \
    MORA_GLAPI void MORA_APIENTRY glRect##Suffix(Type x1, Type y1, Type x2, Type y2) try {             \
        if (!EnterEntry<EntryId::glRect##Suffix>(x1, y1, x2, y2)) return;                                \
        Rect(x1, y1, x2, y2);                                                                            \
    } MORA_ENTRY_BOUNDARY()                                                                              \
    MORA_GLAPI void MORA_APIENTRY glRect##Suffix##v(const Type* v1, const Type* v2) try {              \
        if (!EnterEntry<EntryId::glRect##Suffix##v>(v1, v2)) return;                                     \
        Rectv(v1, v2);                                                                                   \
    } MORA_ENTRY_BOUNDARY()
// clang-format on

extern "C" {

MORA_RECT(d, GLdouble)
MORA_RECT(f, GLfloat)
MORA_RECT(i, GLint)
MORA_RECT(s, GLshort)

MORA_GLAPI void MORA_APIENTRY glTranslated(GLdouble x, GLdouble y, GLdouble z) try {
    if (!EnterEntry<EntryId::glTranslated>(x, y, z)) return;
    if (!LoweringOn()) {
        return;
    }
    const float fx = NarrowToFloat(x), fy = NarrowToFloat(y), fz = NarrowToFloat(z);
    if (RecordingOn()) {
        mora::AppendTranslatef(mora::TheCommandRecording().stream, fx, fy, fz);
    }
    mora::ApplyTranslate(mora::TheGlContext(), fx, fy, fz);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) try {
    if (!EnterEntry<EntryId::glRotated>(angle, x, y, z)) return;
    if (!LoweringOn()) {
        return;
    }
    const float fa = NarrowToFloat(angle), fx = NarrowToFloat(x), fy = NarrowToFloat(y), fz = NarrowToFloat(z);
    if (RecordingOn()) {
        mora::AppendRotatef(mora::TheCommandRecording().stream, fa, fx, fy, fz);
    }
    mora::ApplyRotate(mora::TheGlContext(), fa, fx, fy, fz);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glScaled(GLdouble x, GLdouble y, GLdouble z) try {
    if (!EnterEntry<EntryId::glScaled>(x, y, z)) return;
    if (!LoweringOn()) {
        return;
    }
    const float fx = NarrowToFloat(x), fy = NarrowToFloat(y), fz = NarrowToFloat(z);
    if (RecordingOn()) {
        mora::AppendScalef(mora::TheCommandRecording().stream, fx, fy, fz);
    }
    mora::ApplyScale(mora::TheGlContext(), fx, fy, fz);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glLoadMatrixd(const GLdouble* m) try {
    if (!EnterEntry<EntryId::glLoadMatrixd>(m)) return;
    if (m == nullptr || !LoweringOn()) {
        return;
    }
    float f[16];
    Matrix16ToFloat(m, f);
    if (RecordingOn()) {
        mora::AppendLoadMatrixf(mora::TheCommandRecording().stream, f);
    }
    mora::ApplyLoadMatrix(mora::TheGlContext(), f);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glMultMatrixd(const GLdouble* m) try {
    if (!EnterEntry<EntryId::glMultMatrixd>(m)) return;
    if (m == nullptr || !LoweringOn()) {
        return;
    }
    float f[16];
    Matrix16ToFloat(m, f);
    if (RecordingOn()) {
        mora::AppendMultMatrixf(mora::TheCommandRecording().stream, f);
    }
    mora::ApplyMultMatrix(mora::TheGlContext(), f);
} MORA_ENTRY_BOUNDARY()

}  // extern "C"
