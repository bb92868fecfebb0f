// The 128 entry points that are only counted and traced: each runs the per-call frame and does
// nothing else. Their bodies are generated from the export list rows.
#include <type_traits>

#include "entry/entry_boundary.h"
#include "entry/entry_frame.h"
#include "mora/gl.h"

// The formatter would move the boundary off its closing brace (kept as written):
// clang-format off
#define MORA_GL_COUNTED(Name, Ret, Params, Args, Bytes, Format)                   \
    extern "C" MORA_GLAPI Ret MORA_APIENTRY gl##Name Params try {                  \
        static_assert(std::is_void_v<Ret>, "counted-only entries return nothing"); \
        mora::api::EnterEntry<mora::EntryId::gl##Name> Args;                       \
    } MORA_ENTRY_BOUNDARY()
// clang-format on
#include "entry/entry_list.inc"
