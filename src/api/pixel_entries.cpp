// glReadPixels: the one entry that needs pixels before the frame ends. It runs the per-call frame
// and records its Cmd (which replay skips); a call without a destination or with an empty
// rectangle ends there, before any flush, so the recorded commands stay for the frame end.
#include "api/display_lists.h"
#include "entry/entry_boundary.h"
#include "entry/entry_frame.h"
#include "entry/gl_subset.h"
#include "frame/read_back.h"
#include "gl/command_append.h"
#include "mora/gl.h"

using mora::EntryId;
using namespace mora::api;

extern "C" {

MORA_GLAPI void MORA_APIENTRY glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                                           GLvoid* pixels) try {
    if (!EnterEntry<EntryId::glReadPixels>(x, y, width, height, format, type, pixels)) return;
    const mora::api::ListCompileSuspension suspension;  // runs at once, even inside a display list
    if (RecordingOn()) {
        mora::AppendReadPixels(mora::TheCommandRecording().stream, x, y, width, height, format, type);
    }
    if (pixels == nullptr || width < 1 || height < 1) {
        return;
    }
    // The seed subset reads unsigned bytes only: any other type still flushes but writes nothing.
    const GLenum readType = LoweringOn() || type == GL_UNSIGNED_BYTE ? type : GLenum{0};
    // The mid-frame flush, render and read-back of the current window surface.
    mora::ReadPixelsFromCurrentSurface(x, y, width, height, format, readType, pixels);
} MORA_ENTRY_BOUNDARY()

}  // extern "C"
