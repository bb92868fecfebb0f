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
        mora::AppendMatrixMode(mora::TheCommandRecording().stream, mode);
    }
    mora::ApplyMatrixMode(mora::TheGlContext(), mode);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glLoadIdentity(void) try {
    if (!EnterEntry<EntryId::glLoadIdentity>()) return;
    if (RecordingOn()) {
        mora::AppendLoadIdentity(mora::TheCommandRecording().stream);
    }
    mora::ApplyLoadIdentity(mora::TheGlContext());
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glLoadMatrixf(const GLfloat* m) try {
    if (!EnterEntry<EntryId::glLoadMatrixf>(m)) return;
    if (m == nullptr) {
        return;
    }
    if (RecordingOn()) {
        mora::AppendLoadMatrixf(mora::TheCommandRecording().stream, m);
    }
    mora::ApplyLoadMatrix(mora::TheGlContext(), m);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glMultMatrixf(const GLfloat* m) try {
    if (!EnterEntry<EntryId::glMultMatrixf>(m)) return;
    if (m == nullptr) {
        return;
    }
    if (RecordingOn()) {
        mora::AppendMultMatrixf(mora::TheCommandRecording().stream, m);
    }
    mora::ApplyMultMatrix(mora::TheGlContext(), m);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glPushMatrix(void) try {
    if (!EnterEntry<EntryId::glPushMatrix>()) return;
    if (RecordingOn()) {
        mora::AppendPushMatrix(mora::TheCommandRecording().stream);
    }
    mora::ApplyPushMatrix(mora::TheGlContext());
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glPopMatrix(void) try {
    if (!EnterEntry<EntryId::glPopMatrix>()) return;
    if (RecordingOn()) {
        mora::AppendPopMatrix(mora::TheCommandRecording().stream);
    }
    mora::ApplyPopMatrix(mora::TheGlContext());
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) try {
    if (!EnterEntry<EntryId::glTranslatef>(x, y, z)) return;
    if (RecordingOn()) {
        mora::AppendTranslatef(mora::TheCommandRecording().stream, x, y, z);
    }
    mora::ApplyTranslate(mora::TheGlContext(), x, y, z);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) try {
    if (!EnterEntry<EntryId::glRotatef>(angle, x, y, z)) return;
    if (RecordingOn()) {
        mora::AppendRotatef(mora::TheCommandRecording().stream, angle, x, y, z);
    }
    mora::ApplyRotate(mora::TheGlContext(), angle, x, y, z);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z) try {
    if (!EnterEntry<EntryId::glScalef>(x, y, z)) return;
    if (RecordingOn()) {
        mora::AppendScalef(mora::TheCommandRecording().stream, x, y, z);
    }
    mora::ApplyScale(mora::TheGlContext(), x, y, z);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
                                      GLdouble zFar) try {
    if (!EnterEntry<EntryId::glOrtho>(left, right, bottom, top, zNear, zFar)) return;
    if (RecordingOn()) {
        mora::AppendOrtho(mora::TheCommandRecording().stream, left, right, bottom, top, zNear, zFar);
    }
    mora::ApplyOrtho(mora::TheGlContext(), NarrowToFloat(left), NarrowToFloat(right), NarrowToFloat(bottom),
                     NarrowToFloat(top), NarrowToFloat(zNear), NarrowToFloat(zFar));
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
                                        GLdouble zFar) try {
    if (!EnterEntry<EntryId::glFrustum>(left, right, bottom, top, zNear, zFar)) return;
    if (RecordingOn()) {
        mora::AppendFrustum(mora::TheCommandRecording().stream, left, right, bottom, top, zNear, zFar);
    }
    mora::ApplyFrustum(mora::TheGlContext(), NarrowToFloat(left), NarrowToFloat(right), NarrowToFloat(bottom),
                       NarrowToFloat(top), NarrowToFloat(zNear), NarrowToFloat(zFar));
} MORA_ENTRY_BOUNDARY()

}  // extern "C"
