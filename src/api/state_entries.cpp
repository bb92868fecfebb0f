// Implemented entry points of the fixed-function state: capabilities, blend, alpha, depth, cull
// and front face, clears, viewport and scissor, the recorded-only raster state, and the two state
// queries. Each runs the per-call frame, records its Cmd while recording is on, and applies the
// call to the GlContext.
#include "api/display_lists.h"
#include "api/first_viewport.h"
#include "entry/entry_boundary.h"
#include "entry/entry_frame.h"
#include "entry/gl_subset.h"
#include "gl/command_append.h"
#include "gl/float_conversion.h"
#include "gl/gl_state.h"
#include "mora/gl.h"

using mora::EntryId;
using namespace mora::api;

namespace mora::api {

void SetFirstViewport(int32_t width, int32_t height) {
    if (!LoweringOn() || width < 1 || height < 1) {
        return;
    }
    const ListCompileSuspension suspension;  // the frame's state, never a list being compiled
    if (RecordingOn()) {
        mora::AppendViewport(mora::TheCommandRecording().stream, 0, 0, width, height);
    }
    mora::ApplyViewport(mora::TheGlContext(), 0, 0, width, height);
}

}  // namespace mora::api

extern "C" {

MORA_GLAPI void MORA_APIENTRY glEnable(GLenum cap) try {
    if (!EnterEntry<EntryId::glEnable>(cap)) return;
    if (RecordingOn()) {
        mora::AppendEnable(mora::TheCommandRecording().stream, cap);
    }
    mora::ApplyEnable(mora::TheGlContext(), cap);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glDisable(GLenum cap) try {
    if (!EnterEntry<EntryId::glDisable>(cap)) return;
    if (RecordingOn()) {
        mora::AppendDisable(mora::TheCommandRecording().stream, cap);
    }
    mora::ApplyDisable(mora::TheGlContext(), cap);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI GLboolean MORA_APIENTRY glIsEnabled(GLenum cap) try {
    if (!EnterEntry<EntryId::glIsEnabled>(cap)) return GL_FALSE;
    const mora::api::ListCompileSuspension suspension;  // runs at once, even inside a display list
    return mora::IsEnabled(mora::TheGlContext(), cap) ? GL_TRUE : GL_FALSE;
} MORA_ENTRY_BOUNDARY(GL_FALSE)

MORA_GLAPI void MORA_APIENTRY glGetFloatv(GLenum pname, GLfloat* params) try {
    if (!EnterEntry<EntryId::glGetFloatv>(pname, params)) return;
    const mora::api::ListCompileSuspension suspension;  // runs at once, even inside a display list
    if (params == nullptr) {
        return;
    }
    mora::GetFloatv(mora::TheGlContext(), pname, params);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glAlphaFunc(GLenum func, GLclampf ref) try {
    if (!EnterEntry<EntryId::glAlphaFunc>(func, ref)) return;
    if (RecordingOn()) {
        mora::AppendAlphaFunc(mora::TheCommandRecording().stream, func, ref);
    }
    mora::ApplyAlphaFunc(mora::TheGlContext(), func, ref);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glBlendFunc(GLenum sfactor, GLenum dfactor) try {
    if (!EnterEntry<EntryId::glBlendFunc>(sfactor, dfactor)) return;
    if (RecordingOn()) {
        mora::AppendBlendFunc(mora::TheCommandRecording().stream, sfactor, dfactor);
    }
    mora::ApplyBlendFunc(mora::TheGlContext(), sfactor, dfactor);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glDepthFunc(GLenum func) try {
    if (!EnterEntry<EntryId::glDepthFunc>(func)) return;
    if (RecordingOn()) {
        mora::AppendDepthFunc(mora::TheCommandRecording().stream, func);
    }
    mora::ApplyDepthFunc(mora::TheGlContext(), func);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glDepthMask(GLboolean flag) try {
    if (!EnterEntry<EntryId::glDepthMask>(flag)) return;
    if (RecordingOn()) {
        mora::AppendDepthMask(mora::TheCommandRecording().stream, flag);
    }
    mora::ApplyDepthMask(mora::TheGlContext(), flag);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glDepthRange(GLclampd zNear, GLclampd zFar) try {
    if (!EnterEntry<EntryId::glDepthRange>(zNear, zFar)) return;
    if (RecordingOn()) {
        mora::AppendDepthRange(mora::TheCommandRecording().stream, zNear, zFar);
    }
    mora::ApplyDepthRange(mora::TheGlContext(), mora::NarrowToFloat(zNear), mora::NarrowToFloat(zFar));
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glCullFace(GLenum mode) try {
    if (!EnterEntry<EntryId::glCullFace>(mode)) return;
    if (RecordingOn()) {
        mora::AppendCullFace(mora::TheCommandRecording().stream, mode);
    }
    mora::ApplyCullFace(mora::TheGlContext(), mode);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glFrontFace(GLenum mode) try {
    if (!EnterEntry<EntryId::glFrontFace>(mode)) return;
    if (RecordingOn()) {
        mora::AppendFrontFace(mora::TheCommandRecording().stream, mode);
    }
    mora::ApplyFrontFace(mora::TheGlContext(), mode);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) try {
    if (!EnterEntry<EntryId::glClearColor>(red, green, blue, alpha)) return;
    if (RecordingOn()) {
        mora::AppendClearColor(mora::TheCommandRecording().stream, red, green, blue, alpha);
    }
    mora::ApplyClearColor(mora::TheGlContext(), red, green, blue, alpha);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glClearDepth(GLclampd depth) try {
    if (!EnterEntry<EntryId::glClearDepth>(depth)) return;
    if (RecordingOn()) {
        mora::AppendClearDepth(mora::TheCommandRecording().stream, depth);
    }
    mora::ApplyClearDepth(mora::TheGlContext(), mora::NarrowToFloat(depth));
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glClear(GLbitfield mask) try {
    if (!EnterEntry<EntryId::glClear>(mask)) return;
    if (RecordingOn()) {
        mora::AppendClear(mora::TheCommandRecording().stream, mask);
    }
    mora::ApplyClear(mora::TheGlContext(), mask);
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height) try {
    if (!EnterEntry<EntryId::glViewport>(x, y, width, height)) return;
    if (RecordingOn()) {
        mora::AppendViewport(mora::TheCommandRecording().stream, x, y, width, height);
    }
    mora::ApplyViewport(mora::TheGlContext(), x, y, width, height);
} MORA_ENTRY_BOUNDARY()

// Recorded only: no scissor test, every colour channel written, polygons always filled, no
// polygon offset, GL_FLAT without effect, tightly packed pixel transfers.

MORA_GLAPI void MORA_APIENTRY glScissor(GLint x, GLint y, GLsizei width, GLsizei height) try {
    if (!EnterEntry<EntryId::glScissor>(x, y, width, height)) return;
    if (RecordingOn()) {
        mora::AppendScissor(mora::TheCommandRecording().stream, x, y, width, height);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glColorMask(GLboolean red, GLboolean green, GLboolean blue, GLboolean alpha) try {
    if (!EnterEntry<EntryId::glColorMask>(red, green, blue, alpha)) return;
    if (RecordingOn()) {
        mora::AppendColorMask(mora::TheCommandRecording().stream, red, green, blue, alpha);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glShadeModel(GLenum mode) try {
    if (!EnterEntry<EntryId::glShadeModel>(mode)) return;
    if (RecordingOn()) {
        mora::AppendShadeModel(mora::TheCommandRecording().stream, mode);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glPolygonMode(GLenum face, GLenum mode) try {
    if (!EnterEntry<EntryId::glPolygonMode>(face, mode)) return;
    if (RecordingOn()) {
        mora::AppendPolygonMode(mora::TheCommandRecording().stream, face, mode);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glPolygonOffset(GLfloat factor, GLfloat units) try {
    if (!EnterEntry<EntryId::glPolygonOffset>(factor, units)) return;
    if (RecordingOn()) {
        mora::AppendPolygonOffset(mora::TheCommandRecording().stream, factor, units);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glPixelStorei(GLenum pname, GLint param) try {
    if (!EnterEntry<EntryId::glPixelStorei>(pname, param)) return;
    if (RecordingOn()) {
        mora::AppendPixelStorei(mora::TheCommandRecording().stream, pname, param);
    }
} MORA_ENTRY_BOUNDARY()

}  // extern "C"
