// The DLL's entry point: load and unload under the loader lock. Attach starts the render workers
// and the frame executor thread but never waits on them (a new thread cannot start running while
// the lock is held). Detach from FreeLibrary stops and joins them, since their code is about to
// be unmapped; detach at process exit (reserved != NULL) waits for no thread, because the system
// has already ended them.
#include <windows.h>

#include "wgl/library_lifetime.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    try {
        if (reason == DLL_PROCESS_ATTACH) {
            DisableThreadLibraryCalls(instance);
            mora::LibraryAttach();
        } else if (reason == DLL_PROCESS_DETACH) {
            if (reserved != nullptr) {
                mora::LibraryDetachAtProcessExit();
            } else {
                mora::LibraryDetach();
            }
        }
    } catch (...) {
    }
    return TRUE;
}
