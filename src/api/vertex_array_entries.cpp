// The vertex-array entries: the pointer calls, client state, the client attribute stack and the
// three draws, each draw lowered to the glBegin / element / glEnd sequence GL defines it by. The
// arrays are read at the call. Calls GL rejects (a bad size, type, stride, count or mode, a draw
// inside glBegin/glEnd) change nothing; a draw without a vertex array draws nothing.
#include <cstddef>
#include <cstring>

#include "api/client_arrays.h"
#include "api/lowered_paths.h"
#include "entry/entry_boundary.h"
#include "entry/gl_subset.h"
#include "mora/gl.h"

using mora::EntryId;
using namespace mora::api;

namespace {

bool IsDrawMode(GLenum mode) { return mode <= GL_POLYGON; }

// Whether a draw of `mode` may run now; false (GL's error, nothing drawn) otherwise.
bool DrawAllowed(GLenum mode, GLsizei count) {
    return LoweringOn() && IsDrawMode(mode) && count >= 0 && !mora::TheGlContext().primitiveOpen &&
           CanDrawArrays(TheClientState().arrays);
}

// The indices are copied out one by one: the program's buffer need not be aligned for their type.
template <class Index>
void DrawIndexed(GLenum mode, GLsizei count, const GLvoid* indices) {
    const ClientArrays& arrays = TheClientState().arrays;
    const auto* bytes = static_cast<const uint8_t*>(indices);
    IssueBegin(mode);
    for (GLsizei i = 0; i < count; ++i) {
        Index index;
        std::memcpy(&index, bytes + static_cast<std::size_t>(i) * sizeof(Index), sizeof(Index));
        IssueArrayElement(arrays, index);
    }
    IssueEnd();
}

}  // namespace

extern "C" {

MORA_GLAPI void MORA_APIENTRY glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) try {
    if (!EnterEntry<EntryId::glVertexPointer>(size, type, stride, pointer)) return;
    if (LoweringOn()) {
        SetVertexPointer(TheClientState().arrays, size, type, stride, pointer);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) try {
    if (!EnterEntry<EntryId::glColorPointer>(size, type, stride, pointer)) return;
    if (LoweringOn()) {
        SetColourPointer(TheClientState().arrays, size, type, stride, pointer);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) try {
    if (!EnterEntry<EntryId::glTexCoordPointer>(size, type, stride, pointer)) return;
    if (LoweringOn()) {
        SetTexCoordPointer(TheClientState().arrays, size, type, stride, pointer);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glNormalPointer(GLenum type, GLsizei stride, const GLvoid* pointer) try {
    if (!EnterEntry<EntryId::glNormalPointer>(type, stride, pointer)) return;
    if (LoweringOn()) {
        SetNormalPointer(TheClientState().arrays, type, stride, pointer);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glInterleavedArrays(GLenum format, GLsizei stride, const GLvoid* pointer) try {
    if (!EnterEntry<EntryId::glInterleavedArrays>(format, stride, pointer)) return;
    if (LoweringOn()) {
        SetInterleavedArrays(TheClientState().arrays, format, stride, pointer);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glEnableClientState(GLenum array) try {
    if (!EnterEntry<EntryId::glEnableClientState>(array)) return;
    if (LoweringOn()) {
        SetClientArrayEnabled(TheClientState().arrays, array, true);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glDisableClientState(GLenum array) try {
    if (!EnterEntry<EntryId::glDisableClientState>(array)) return;
    if (LoweringOn()) {
        SetClientArrayEnabled(TheClientState().arrays, array, false);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glPushClientAttrib(GLbitfield mask) try {
    if (!EnterEntry<EntryId::glPushClientAttrib>(mask)) return;
    if (LoweringOn()) {
        PushClientAttrib(TheClientState(), mask);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glPopClientAttrib(void) try {
    if (!EnterEntry<EntryId::glPopClientAttrib>()) return;
    if (LoweringOn()) {
        PopClientAttrib(TheClientState());
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glArrayElement(GLint i) try {
    if (!EnterEntry<EntryId::glArrayElement>(i)) return;
    if (LoweringOn() && i >= 0) {
        IssueArrayElement(TheClientState().arrays, static_cast<uint32_t>(i));
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glDrawArrays(GLenum mode, GLint first, GLsizei count) try {
    if (!EnterEntry<EntryId::glDrawArrays>(mode, first, count)) return;
    if (first < 0 || !DrawAllowed(mode, count)) {
        return;
    }
    const ClientArrays& arrays = TheClientState().arrays;
    IssueBegin(mode);
    // first + count fits in 32 unsigned bits: both are at most 2^31 - 1.
    const uint32_t end = static_cast<uint32_t>(first) + static_cast<uint32_t>(count);
    for (uint32_t i = static_cast<uint32_t>(first); i < end; ++i) {
        IssueArrayElement(arrays, i);
    }
    IssueEnd();
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) try {
    if (!EnterEntry<EntryId::glDrawElements>(mode, count, type, indices)) return;
    if (indices == nullptr || !DrawAllowed(mode, count)) {
        return;
    }
    switch (type) {
        case GL_UNSIGNED_BYTE: DrawIndexed<GLubyte>(mode, count, indices); break;
        case GL_UNSIGNED_SHORT: DrawIndexed<GLushort>(mode, count, indices); break;
        case GL_UNSIGNED_INT: DrawIndexed<GLuint>(mode, count, indices); break;
        default: break;  // GL_INVALID_ENUM
    }
} MORA_ENTRY_BOUNDARY()

}  // extern "C"
