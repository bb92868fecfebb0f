// GLX's error reporting: protocol errors handed to the application's X error handler, as the
// server would send them, with the GLX extension's codes when the server has the extension and
// the nearest core codes when it does not.
#pragma once

#include <cstdint>

namespace mora::glx {

// GLX error numbers (GLXBadContext...), added to the extension's first error code.
enum class GlxError : uint8_t {
    Context = 0,
    Drawable = 2,
    Pixmap = 3,
    FbConfig = 9,
    Pbuffer = 10,
    GlxWindow = 12,
    Profile = 13,
};

// Core X error codes the GLX requests also report (BadValue, BadWindow, BadMatch, BadAccess, BadAlloc).
enum class CoreError : uint8_t { Value = 2, WindowId = 3, Match = 8, Access = 10, Alloc = 11 };

// GLX request numbers, the minor opcode of a reported error.
enum class Request : uint16_t {
    CreateContext = 3,
    DestroyContext = 4,
    MakeCurrent = 5,
    SwapBuffers = 11,
    CreateGlxPixmap = 13,
    DestroyGlxPixmap = 15,
    CreatePixmap = 22,
    DestroyPixmap = 23,
    CreateNewContext = 24,
    QueryContext = 25,
    MakeContextCurrent = 26,
    CreatePbuffer = 27,
    DestroyPbuffer = 28,
    GetDrawableAttributes = 29,
    CreateWindow = 31,
    DestroyWindow = 32,
    CreateContextAttribs = 34,
};

void RaiseError(void* display, GlxError error, Request request, uint64_t resource);
void RaiseError(void* display, CoreError error, Request request, uint64_t resource);

// The server's GLX error and event bases; false when the server has no GLX extension.
bool ServerGlxBases(void* display, int* firstError, int* firstEvent);

}  // namespace mora::glx
