// The display-list entries (api/display_lists.h does the work). With the seed subset they keep
// their counted-only answers: glGenLists hands out names from a counter, glIsList says no.
#include <atomic>

#include "api/display_lists.h"
#include "entry/entry_boundary.h"
#include "entry/entry_frame.h"
#include "entry/gl_subset.h"
#include "mora/gl.h"

using mora::EntryId;
using namespace mora::api;

namespace {
std::atomic<uint32_t> gSeedNextListName{1};
}

extern "C" {

MORA_GLAPI GLuint MORA_APIENTRY glGenLists(GLsizei range) try {
    const bool drawsGlState = EnterEntry<EntryId::glGenLists>(range);
    if (!LoweringOn()) {  // a fixed answer, given on any thread
        const uint32_t step = range > 0 ? static_cast<uint32_t>(range) : 0u;
        return gSeedNextListName.fetch_add(step, std::memory_order_relaxed);
    }
    return drawsGlState ? GenLists(range) : 0;
} MORA_ENTRY_BOUNDARY(0)

MORA_GLAPI GLboolean MORA_APIENTRY glIsList(GLuint list) try {
    if (!EnterEntry<EntryId::glIsList>(list)) return GL_FALSE;
    return LoweringOn() && IsList(list) ? GL_TRUE : GL_FALSE;
} MORA_ENTRY_BOUNDARY(GL_FALSE)

MORA_GLAPI void MORA_APIENTRY glDeleteLists(GLuint list, GLsizei range) try {
    if (!EnterEntry<EntryId::glDeleteLists>(list, range)) return;
    if (LoweringOn()) {
        DeleteLists(list, range);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glNewList(GLuint list, GLenum mode) try {
    if (!EnterEntry<EntryId::glNewList>(list, mode)) return;
    if (LoweringOn()) {
        NewList(list, mode);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glEndList(void) try {
    if (!EnterEntry<EntryId::glEndList>()) return;
    if (LoweringOn()) {
        EndList();
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glCallList(GLuint list) try {
    if (!EnterEntry<EntryId::glCallList>(list)) return;
    if (LoweringOn()) {
        CallList(list);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glCallLists(GLsizei n, GLenum type, const GLvoid* lists) try {
    if (!EnterEntry<EntryId::glCallLists>(n, type, lists)) return;
    if (LoweringOn()) {
        CallLists(n, type, lists);
    }
} MORA_ENTRY_BOUNDARY()

MORA_GLAPI void MORA_APIENTRY glListBase(GLuint base) try {
    if (!EnterEntry<EntryId::glListBase>(base)) return;
    if (LoweringOn()) {
        ListBase(base);
    }
} MORA_ENTRY_BOUNDARY()

}  // extern "C"
