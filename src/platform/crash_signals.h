// Fatal processor faults: handlers for SIGSEGV, SIGILL, SIGBUS and SIGFPE that run on an alternate
// signal stack (so a stack overflow is caught too), call the diagnostics' crash callback once and
// then hand the signal on to the handler installed before them, or to the default action, so the
// process still dies as it would have. The diagnostics start-up installs them, library unload
// removes them (the handler code goes away with the library).
#pragma once

#include <cstddef>
#include <cstdint>

namespace mora::platform {

// Runs once, on the first faulting thread, on its alternate signal stack. It may format text
// and write files; it must not wait for locks the faulting thread may hold.
using CrashCallback = void (*)();

// Bytes of each alternate signal stack: room for the crash report (formatting, sorting, file
// writes), also in sanitizer builds with their larger frames.
inline constexpr std::size_t kCrashStackBytes = 256u << 10;

// Seconds the crash callback may run before the fault is handed on regardless, so a report that
// blocks (a lock held by the faulting thread) cannot keep a dying process alive.
inline constexpr std::uint32_t kCrashWatchdogSeconds = 5;

// Installs the four handlers, remembering the actions in force before, and gives the calling
// thread an alternate signal stack. False (nothing changed) when they are already installed,
// the callback is null or the system refuses.
bool InstallCrashHandler(CrashCallback callback);

// Puts back the remembered actions of the signals whose handler is still ours, and removes the
// calling thread's alternate stack when it is ours. No effect when nothing is installed.
void UninstallCrashHandler();

bool CrashHandlerInstalled();

// Gives the calling thread an alternate signal stack of kCrashStackBytes unless it has one
// already (any thread other than the installing one that should survive its own stack overflow
// long enough to report it). The stack is freed when the thread ends. False on failure.
bool EnsureCrashStackForCurrentThread();

}  // namespace mora::platform
