// Display lists. A list holds the records its calls appended while it was open, in the frame's
// own record format, with its pixel and name data in a blob of its own; calling the list appends
// those records to the frame (while recording) and applies them to the context, as the calls
// themselves would. While a list is open the calls record into it (entry_frame.h's
// gListCompiling): the frame's command buffers are swapped for the list's, and, in GL_COMPILE
// mode, the context and the window hooks for scratch ones, so the calls change nothing else.
// GL_COMPILE_AND_EXECUTE compiles the same way and calls the list once it is closed. A list
// calling other lists stores the call, not their records; calls nest 64 deep, so a list that
// calls itself stops there. Lighting, material, normal and texture-generation calls, which have
// no frame record, are stored as list records of their own and applied when the list is played,
// with the modelview of that moment; vertices played while lighting is on are shaded then. Storage is allocated when a list is compiled, never when it is called.
#pragma once

#include <cstdint>

#include "api/fixed_function.h"

namespace mora::api {

inline constexpr int kMaxListNesting = 64;
// glGenLists refuses (returns 0, GL's out-of-memory) ranges above this many names.
inline constexpr uint32_t kMaxGenListsRange = 1u << 16;

uint32_t GenLists(int32_t range);
bool IsList(uint32_t name);
void DeleteLists(uint32_t first, int32_t range);
// False (nothing changes) for name 0, an unknown mode, a list already open or an open glBegin.
bool NewList(uint32_t name, uint32_t mode);
// False when no list is open.
bool EndList();
void CallList(uint32_t name);
// lists: n names of `type` (GL's ten list-name types), each offset by the list base.
void CallLists(int32_t n, uint32_t type, const void* lists);
void ListBase(uint32_t base);
bool ListOpen();
// Stores a lighting, material, normal or texture-generation call in the open list.
void AppendFixedFunctionCallToList(const FixedFunctionCall& call);

// The calls GL runs at once even while a list is open (read-back, swap, texture names, state
// queries) hold one of these for their duration: the frame's buffers, the context and the window
// hooks are back in place, and the list's are put back afterwards. Nothing while no list is open.
struct ListCompileSuspension {
    bool suspended;
    ListCompileSuspension();
    ~ListCompileSuspension();
    ListCompileSuspension(const ListCompileSuspension&) = delete;
    ListCompileSuspension& operator=(const ListCompileSuspension&) = delete;
};

// Forgets every list and the open one (tests; the library keeps its lists until unload).
void ResetDisplayLists();

}  // namespace mora::api
