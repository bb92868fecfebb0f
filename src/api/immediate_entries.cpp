// Implemented immediate-mode entry points: glBegin, glEnd, the four vertex forms, the seven colour
// forms and the two texture-coordinate forms. These are the calls a game makes thousands of times
// per frame, so each is the bare frame plus one append and one context write.
#include "api/entry_frame.h"
#include "gl/colour_packing.h"
#include "gl/command_append.h"
#include "gl/gl_state.h"
#include "gl/immediate_mode.h"
#include "mora/gl.h"

using mora::EntryId;
using namespace mora::api;

namespace {

// The colour entries apply first (packing into the context) and then record the packed value as
// the context holds it, so a replay sets exactly the colour the call set.
void SetCurrentColour(uint32_t packed) {
    mora::GlContext& ctx = Context();
    mora::ApplyColor(ctx, packed);
    if (RecordingOn()) {
        mora::AppendColor(Stream(), ctx.currentColour);
    }
}

}  // namespace

extern "C" {

MORA_GLAPI void MORA_APIENTRY glBegin(GLenum mode) try {
    EnterEntry<EntryId::glBegin>(mode);
    if (RecordingOn()) {
        mora::AppendBegin(Stream(), mode);
    }
    mora::BeginPrimitive(Context(), mode);
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glEnd(void) try {
    EnterEntry<EntryId::glEnd>();
    if (RecordingOn()) {
        mora::AppendEnd(Stream());
    }
    mora::EndPrimitive(Context());
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glVertex2f(GLfloat x, GLfloat y) try {
    EnterEntry<EntryId::glVertex2f>(x, y);
    if (RecordingOn()) {
        mora::AppendVertex2f(Stream(), x, y);
    }
    mora::AppendPrimitiveVertex(Context(), x, y, 0.0f);
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glVertex2fv(const GLfloat* v) try {
    EnterEntry<EntryId::glVertex2fv>(v);
    if (v == nullptr) {
        return;
    }
    if (RecordingOn()) {
        mora::AppendVertex2f(Stream(), v[0], v[1]);
    }
    mora::AppendPrimitiveVertex(Context(), v[0], v[1], 0.0f);
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) try {
    EnterEntry<EntryId::glVertex3f>(x, y, z);
    if (RecordingOn()) {
        mora::AppendVertex3f(Stream(), x, y, z);
    }
    mora::AppendPrimitiveVertex(Context(), x, y, z);
} catch (...) {
}

// The one vector entry whose trace shows the values rather than the pointer.
MORA_GLAPI void MORA_APIENTRY glVertex3fv(const GLfloat* v) try {
    if (EnterEntryTracedByCaller<EntryId::glVertex3fv>()) [[unlikely]] {
        if (v == nullptr) {
            mora::TraceLine(mora::kEntryTraceNames[static_cast<int>(EntryId::glVertex3fv)], "(v=NULL)");
        } else {
            WriteEntryTrace<EntryId::glVertex3fv>(v[0], v[1], v[2]);
        }
    }
    if (v == nullptr) {
        return;
    }
    if (RecordingOn()) {
        mora::AppendVertex3f(Stream(), v[0], v[1], v[2]);
    }
    mora::AppendPrimitiveVertex(Context(), v[0], v[1], v[2]);
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glColor3f(GLfloat red, GLfloat green, GLfloat blue) try {
    EnterEntry<EntryId::glColor3f>(red, green, blue);
    SetCurrentColour(mora::PackColour(red, green, blue, 1.0f));
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glColor3fv(const GLfloat* v) try {
    EnterEntry<EntryId::glColor3fv>(v);
    if (v == nullptr) {
        return;
    }
    SetCurrentColour(mora::PackColour(v[0], v[1], v[2], 1.0f));
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glColor3ubv(const GLubyte* v) try {
    EnterEntry<EntryId::glColor3ubv>(v);
    if (v == nullptr) {
        return;
    }
    SetCurrentColour(mora::PackColourBytes(v[0], v[1], v[2], 255));
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) try {
    EnterEntry<EntryId::glColor4f>(red, green, blue, alpha);
    SetCurrentColour(mora::PackColour(red, green, blue, alpha));
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glColor4fv(const GLfloat* v) try {
    EnterEntry<EntryId::glColor4fv>(v);
    if (v == nullptr) {
        return;
    }
    SetCurrentColour(mora::PackColour(v[0], v[1], v[2], v[3]));
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glColor4ub(GLubyte red, GLubyte green, GLubyte blue, GLubyte alpha) try {
    EnterEntry<EntryId::glColor4ub>(red, green, blue, alpha);
    SetCurrentColour(mora::PackColourBytes(red, green, blue, alpha));
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glColor4ubv(const GLubyte* v) try {
    EnterEntry<EntryId::glColor4ubv>(v);
    if (v == nullptr) {
        return;
    }
    SetCurrentColour(mora::PackColourBytes(v[0], v[1], v[2], v[3]));
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glTexCoord2f(GLfloat s, GLfloat t) try {
    EnterEntry<EntryId::glTexCoord2f>(s, t);
    if (RecordingOn()) {
        mora::AppendTexCoord2f(Stream(), s, t);
    }
    mora::ApplyTexCoord(Context(), s, t);
} catch (...) {
}

MORA_GLAPI void MORA_APIENTRY glTexCoord2fv(const GLfloat* v) try {
    EnterEntry<EntryId::glTexCoord2fv>(v);
    if (v == nullptr) {
        return;
    }
    if (RecordingOn()) {
        mora::AppendTexCoord2f(Stream(), v[0], v[1]);
    }
    mora::ApplyTexCoord(Context(), v[0], v[1]);
} catch (...) {
}

}  // extern "C"
