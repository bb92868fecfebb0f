// The GL error flag. GL keeps one flag that holds the first error since the last glGetError; this
// driver reports one kind of error only: GL_INVALID_ENUM from the state queries for a name that GL
// 1.1 does not define (a program probing for a later version's queries, such as SFML's
// GL_MAJOR_VERSION, learns from it that the name is not there). Every other misuse is ignored
// without an error, as before.
#pragma once

#include <cstdint>

namespace mora::api {

// Sets the flag to `error` unless it already holds one.
void RaiseGlError(uint32_t error);
// The flag, which is then cleared (0 is GL_NO_ERROR).
uint32_t TakeGlError();

}  // namespace mora::api
