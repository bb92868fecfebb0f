// The display-list entries (api/display_lists.h does the work). With the seed subset they keep
// their counted-only answers: glGenLists hands out names from a counter, glIsList says no.
#include <atomic>

#include "api/display_lists.h"
#include "api/entry_frame.h"
#include "api/gl_subset.h"
#include "mora/gl.h"

using mora::EntryId;
using namespace mora::api;

namespace {
std::atomic<uint32_t> gSeedNextListName{1};
}

extern "C" {

MORA_GLAPI GLuint MORA_APIENTRY glGenLists(GLsizei range) try {
    EnterEntry<EntryId::glGenLists>(range);
    if (!LoweringOn()) {
        const uint32_t step = range > 0 ? static_cast<uint32_t>(range) : 0u;
        return gSeedNextListName.fetch_add(step, std::memory_order_relaxed);
    }
    return GenLists(range);
} catch (...) {
    return 0;
}

MORA_GLAPI GLboolean MORA_APIENTRY glIsList(GLuint list) try {
    EnterEntry<EntryId::glIsList>(list);
    return LoweringOn() && IsList(list) ? GL_TRUE : GL_FALSE;
} catch (...) {
    return GL_FALSE;
}

MORA_GLAPI void MORA_APIENTRY glDeleteLists(GLuint list, GLsizei range) try {
    EnterEntry<EntryId::glDeleteLists>(list, range);
    if (LoweringOn()) {
        DeleteLists(list, range);
    }
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glNewList(GLuint list, GLenum mode) try {
    EnterEntry<EntryId::glNewList>(list, mode);
    if (LoweringOn()) {
        NewList(list, mode);
    }
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glEndList(void) try {
    EnterEntry<EntryId::glEndList>();
    if (LoweringOn()) {
        EndList();
    }
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glCallList(GLuint list) try {
    EnterEntry<EntryId::glCallList>(list);
    if (LoweringOn()) {
        CallList(list);
    }
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glCallLists(GLsizei n, GLenum type, const GLvoid* lists) try {
    EnterEntry<EntryId::glCallLists>(n, type, lists);
    if (LoweringOn()) {
        CallLists(n, type, lists);
    }
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glListBase(GLuint base) try {
    EnterEntry<EntryId::glListBase>(base);
    if (LoweringOn()) {
        ListBase(base);
    }
} catch (...) {
}

}  // extern "C"
