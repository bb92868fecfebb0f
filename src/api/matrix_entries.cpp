// Implemented entry points of the matrix stacks: mode selection, load, multiply, push and pop,
// and the translate, rotate, scale, ortho and frustum products. Each runs the per-call frame,
// records its Cmd while recording is on, and applies the call to the current matrix.
#include "entry/entry_boundary.h"
#include "entry/entry_frame.h"
#include "gl/command_append.h"
#include "gl/float_conversion.h"
#include "gl/matrix_stack.h"
#include "mora/gl.h"

using mora::EntryId;
using mora::NarrowToFloat;
using namespace mora::api;

extern "C" {

MORA_GLAPI void MORA_APIENTRY glMatrixMode(GLenum mode) try {
    if (!EnterEntry<EntryId::glMatrixMode>(mode)) return;
    if (RecordingOn()) {
        mora::AppendMatrixMode(Stream(), mode);
    }
    mora::ApplyMatrixMode(Context(), mode);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glLoadIdentity(void) try {
    if (!EnterEntry<EntryId::glLoadIdentity>()) return;
    if (RecordingOn()) {
        mora::AppendLoadIdentity(Stream());
    }
    mora::ApplyLoadIdentity(Context());
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glLoadMatrixf(const GLfloat* m) try {
    if (!EnterEntry<EntryId::glLoadMatrixf>(m)) return;
    if (m == nullptr) {
        return;
    }
    if (RecordingOn()) {
        mora::AppendLoadMatrixf(Stream(), m);
    }
    mora::ApplyLoadMatrix(Context(), m);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glMultMatrixf(const GLfloat* m) try {
    if (!EnterEntry<EntryId::glMultMatrixf>(m)) return;
    if (m == nullptr) {
        return;
    }
    if (RecordingOn()) {
        mora::AppendMultMatrixf(Stream(), m);
    }
    mora::ApplyMultMatrix(Context(), m);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glPushMatrix(void) try {
    if (!EnterEntry<EntryId::glPushMatrix>()) return;
    if (RecordingOn()) {
        mora::AppendPushMatrix(Stream());
    }
    mora::ApplyPushMatrix(Context());
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glPopMatrix(void) try {
    if (!EnterEntry<EntryId::glPopMatrix>()) return;
    if (RecordingOn()) {
        mora::AppendPopMatrix(Stream());
    }
    mora::ApplyPopMatrix(Context());
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) try {
    if (!EnterEntry<EntryId::glTranslatef>(x, y, z)) return;
    if (RecordingOn()) {
        mora::AppendTranslatef(Stream(), x, y, z);
    }
    mora::ApplyTranslate(Context(), x, y, z);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) try {
    if (!EnterEntry<EntryId::glRotatef>(angle, x, y, z)) return;
    if (RecordingOn()) {
        mora::AppendRotatef(Stream(), angle, x, y, z);
    }
    mora::ApplyRotate(Context(), angle, x, y, z);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z) try {
    if (!EnterEntry<EntryId::glScalef>(x, y, z)) return;
    if (RecordingOn()) {
        mora::AppendScalef(Stream(), x, y, z);
    }
    mora::ApplyScale(Context(), x, y, z);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
                                      GLdouble zFar) try {
    if (!EnterEntry<EntryId::glOrtho>(left, right, bottom, top, zNear, zFar)) return;
    if (RecordingOn()) {
        mora::AppendOrtho(Stream(), left, right, bottom, top, zNear, zFar);
    }
    mora::ApplyOrtho(Context(), NarrowToFloat(left), NarrowToFloat(right), NarrowToFloat(bottom), NarrowToFloat(top),
                     NarrowToFloat(zNear), NarrowToFloat(zFar));
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
                                        GLdouble zFar) try {
    if (!EnterEntry<EntryId::glFrustum>(left, right, bottom, top, zNear, zFar)) return;
    if (RecordingOn()) {
        mora::AppendFrustum(Stream(), left, right, bottom, top, zNear, zFar);
    }
    mora::ApplyFrustum(Context(), NarrowToFloat(left), NarrowToFloat(right), NarrowToFloat(bottom),
                       NarrowToFloat(top), NarrowToFloat(zNear), NarrowToFloat(zFar));
} MORA_ENTRY_BOUNDARY()

}  // extern "C"
