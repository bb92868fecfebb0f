// GL starts a context's viewport at the size of the window the context is first made current on.
// The window-system fronts call this then; the call records and applies that viewport as
// glViewport would, without counting or tracing a glViewport the program did not make. With the
// seed subset it does nothing: the viewport stays empty until the program sets one.
#pragma once

#include <cstdint>

namespace mora::api {

void SetFirstViewport(int32_t width, int32_t height);

}  // namespace mora::api
