// The shared library's load and unload hooks: built into libmora.so only (not into the static
// subsystem libraries that tests link), so that a test process decides itself when to attach.
#include "entry/entry_boundary.h"
#include "frame/library_lifetime.h"

namespace {

[[gnu::constructor]] void OnLibraryLoad() try { mora::LibraryAttach(); }
MORA_ENTRY_BOUNDARY()

[[gnu::destructor]] void OnLibraryUnload() try { mora::LibraryDetach(); }
MORA_ENTRY_BOUNDARY()

}  // namespace
