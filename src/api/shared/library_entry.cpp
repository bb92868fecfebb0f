// The shared library's load and unload hooks: built into libmora.so only (not into the static
// subsystem libraries that tests link), so that a test process decides itself when to attach.
#include "frame/library_lifetime.h"

namespace {

[[gnu::constructor]] void OnLibraryLoad() {
    try {
        mora::LibraryAttach();
    } catch (...) {
    }
}

[[gnu::destructor]] void OnLibraryUnload() {
    try {
        mora::LibraryDetach();
    } catch (...) {
    }
}

}  // namespace
