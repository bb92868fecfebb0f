// Fatal processor faults on Windows: a vectored exception handler, called after the other
// handlers, that runs the diagnostics' crash callback once for an access violation, an illegal
// instruction or a stack overflow and then lets the search go on, so the process still ends with
// the fault. Installing it also sets the error modes that keep a dying process from waiting on a
// dialog.
#include "platform/crash_signals.h"

#include <windows.h>

#include <csignal>
#include <cstdlib>

#include <atomic>

#include "platform/mutex.h"

namespace mora::platform {

namespace {

struct CrashHandlerState {
    Mutex lock;  // install and uninstall
    void* handle = nullptr;
    std::atomic<CrashCallback> callback{nullptr};
    std::atomic<bool> reported{false};
};

constinit CrashHandlerState gState;

constexpr DWORD kFatalCodes[] = {0xC0000005u, 0xC000001Du, 0xC00000FDu};

bool IsFatal(DWORD code) {
    for (DWORD fatal : kFatalCodes) {
        if (code == fatal) return true;
    }
    return false;
}

LONG WINAPI OnException(EXCEPTION_POINTERS* info) {
    if (info == nullptr || info->ExceptionRecord == nullptr || !IsFatal(info->ExceptionRecord->ExceptionCode)) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    const CrashCallback callback = gState.callback.load(std::memory_order_acquire);
    if (callback != nullptr && !gState.reported.exchange(true, std::memory_order_acq_rel)) callback();
    return EXCEPTION_CONTINUE_SEARCH;
}

// No critical-error box, no fault dialog, no open-file error box; runtime errors to stderr, no
// abort message or fault report, the default action for SIGABRT.
void SetQuietErrorModes() {
    constexpr UINT kModes = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;  // 0x8003
    SetErrorMode(kModes);
    SetThreadErrorMode(kModes, nullptr);
    _set_error_mode(_OUT_TO_STDERR);
    // The system msvcrt.dll this build links against may lack _set_abort_behavior (it arrived with
    // the later runtimes): use it where the loaded runtime has it.
    using SetAbortBehavior = unsigned int(__cdecl*)(unsigned int, unsigned int);
    if (HMODULE runtime = GetModuleHandleW(L"msvcrt.dll")) {
        if (auto set = reinterpret_cast<SetAbortBehavior>(
                reinterpret_cast<void*>(GetProcAddress(runtime, "_set_abort_behavior")))) {
            set(0, _WRITE_ABORT_MSG | _CALL_REPORTFAULT);
        }
    }
    std::signal(SIGABRT, SIG_DFL);
}

}  // namespace

bool InstallCrashHandler(CrashCallback callback) {
    if (callback == nullptr) return false;
    MutexLock hold(gState.lock);
    if (gState.handle != nullptr) return false;
    SetQuietErrorModes();
    gState.callback.store(callback, std::memory_order_release);
    gState.reported.store(false, std::memory_order_relaxed);
    gState.handle = AddVectoredExceptionHandler(0, &OnException);
    if (gState.handle == nullptr) {
        gState.callback.store(nullptr, std::memory_order_release);
        return false;
    }
    EnsureCrashStackForCurrentThread();
    return true;
}

void UninstallCrashHandler() {
    MutexLock hold(gState.lock);
    if (gState.handle == nullptr) return;
    RemoveVectoredExceptionHandler(gState.handle);
    gState.handle = nullptr;
    gState.callback.store(nullptr, std::memory_order_release);
}

bool CrashHandlerInstalled() {
    MutexLock hold(gState.lock);
    return gState.handle != nullptr;
}

// A stack overflow leaves the handler only the guaranteed part of the stack: reserve room for the
// report on the calling thread.
bool EnsureCrashStackForCurrentThread() {
    ULONG bytes = 64u << 10;
    return SetThreadStackGuarantee(&bytes) != 0;
}

}  // namespace mora::platform
