// The DLL's entry point: load and unload under the loader lock. Attach sets up the render workers
// and the frame executor thread but never waits on them: a new thread cannot start running while
// the lock is held, so they are created at the first entry call. Detach from FreeLibrary stops
// and joins them, since their code is about to be unmapped; detach at process exit (reserved !=
// NULL) waits for no thread, because the system has already ended them. DisableThreadLibraryCalls
// has no effect on a DLL with static TLS (the MinGW runtime's): thread notifications still come,
// and a thread's detach gives up the context it still has current.
#include <windows.h>

#include "frame/context_record.h"
#include "frame/library_lifetime.h"
#include "platform/win32/thread_start_hold.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    try {
        if (reason == DLL_PROCESS_ATTACH) {
            DisableThreadLibraryCalls(instance);
            // Threads started here cannot run before the loader lock is released; they are held
            // back until the first entry call, so that a detach never waits for a thread that
            // has not begun.
            mora::platform::HoldBackThreadStarts(true);
            mora::LibraryAttach();
        } else if (reason == DLL_THREAD_DETACH) {
            mora::ReleaseEndingThreadContext();
        } else if (reason == DLL_PROCESS_DETACH) {
            if (reserved != nullptr) {
                mora::LibraryDetachAtProcessExit();
            } else {
                mora::LibraryDetach();
            }
        }
    } catch (...) {
    }
    if (reason == DLL_PROCESS_ATTACH) mora::platform::HoldBackThreadStarts(false);
    return TRUE;
}
