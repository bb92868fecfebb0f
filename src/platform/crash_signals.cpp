// The fatal-signal handlers, their alternate stacks, the hand-on to the action in force before
// and the watchdog that bounds the crash callback.
#include "platform/crash_signals.h"

#include <errno.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <new>

#include "platform/mutex.h"
#include "platform/thread.h"

namespace mora::platform {

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGILL, SIGBUS, SIGFPE};
constexpr int kFatalSignalCount = 4;

struct CrashHandlerState {
    Mutex lock;  // install and uninstall
    bool installed = false;
    std::atomic<CrashCallback> callback{nullptr};
    struct sigaction previous[kFatalSignalCount] = {};
    // The thread running the callback (0 before the first fault) and whether it has finished.
    std::atomic<std::uint32_t> reportingThread{0};
    std::atomic<bool> reportDone{false};
    // The fault the watchdog hands on, and the alarm action it replaced.
    std::atomic<int> faultSignal{0};
    struct sigaction previousAlarm = {};
};

constinit CrashHandlerState gState;

// A thread's alternate signal stack, with the one it replaced. The record itself is trivially
// destructible so that unload, which runs after the main thread's thread_local destructors, can
// still look at it; a separate guard frees the memory when the thread ends and clears the record.
struct AlternateStack {
    char* memory;
    stack_t replaced;

    void Release() {
        if (memory == nullptr) return;
        stack_t current{};
        if (sigaltstack(nullptr, &current) != 0 || (current.ss_flags & SS_ONSTACK) != 0) return;  // still in use
        if (current.ss_sp == memory) {
            stack_t restore = replaced;
            if ((restore.ss_flags & SS_DISABLE) != 0) {
                restore = stack_t{};
                restore.ss_flags = SS_DISABLE;
            }
            if (sigaltstack(&restore, nullptr) != 0) return;
        }
        delete[] memory;
        memory = nullptr;
    }
};

thread_local constinit AlternateStack t_alternateStack{};

struct AlternateStackGuard {
    bool armed = false;
    ~AlternateStackGuard() {
        if (armed) t_alternateStack.Release();
    }
};

thread_local AlternateStackGuard t_alternateStackGuard;

int SignalIndex(int signal) {
    for (int i = 0; i < kFatalSignalCount; ++i) {
        if (kFatalSignals[i] == signal) return i;
    }
    return -1;
}

void SetDefaultAction(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

// The crash callback did not finish in time: take the default action of the fault at once.
void OnWatchdog(int) {
    const int signal = gState.faultSignal.load(std::memory_order_relaxed);
    SetDefaultAction(signal);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);  // blocked while its handler runs on this thread
    raise(signal);
}

void ArmWatchdog(int signal) {
    gState.faultSignal.store(signal, std::memory_order_relaxed);
    struct sigaction action {};
    action.sa_handler = &OnWatchdog;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, &gState.previousAlarm);
    alarm(kCrashWatchdogSeconds);
}

void DisarmWatchdog() {
    alarm(0);
    sigaction(SIGALRM, &gState.previousAlarm, nullptr);
}

// Gives the fault to the action in force before the handlers were installed.
void HandOn(int signal, siginfo_t* info, void* context) {
    const int index = SignalIndex(signal);
    if (index < 0) return;
    const struct sigaction& previous = gState.previous[index];
    if (previous.sa_handler == SIG_IGN) {
        // A signal sent with kill stays ignored; a real fault repeats when the instruction runs
        // again, and the kernel never lets a process ignore that one.
        sigaction(signal, &previous, nullptr);
        return;
    }
    if (previous.sa_handler != SIG_DFL) {
        if ((previous.sa_flags & SA_SIGINFO) != 0) {
            previous.sa_sigaction(signal, info, context);
        } else {
            previous.sa_handler(signal);
        }
        return;
    }
    SetDefaultAction(signal);
    // A fault repeats on return and now takes the default action. A signal sent with kill or
    // raise does not repeat: send it again (it is delivered once this handler returns).
    if (info == nullptr || info->si_code <= 0) raise(signal);
}

void OnFatalSignal(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    const CrashCallback callback = gState.callback.load(std::memory_order_acquire);
    const std::uint32_t self = CurrentThreadId();
    std::uint32_t reporter = 0;
    if (callback != nullptr && gState.reportingThread.compare_exchange_strong(reporter, self)) {
        ArmWatchdog(signal);
        callback();
        DisarmWatchdog();
        gState.reportDone.store(true, std::memory_order_release);
    } else if (reporter != 0 && reporter != self) {
        // Another thread is writing the crash report; dying now would cut it short. Its watchdog
        // bounds the wait.
        while (!gState.reportDone.load(std::memory_order_acquire)) SleepMilliseconds(1);
    }
    errno = savedErrno;
    HandOn(signal, info, context);
}

bool IsOurHandler(const struct sigaction& action) {
    return (action.sa_flags & SA_SIGINFO) != 0 && action.sa_sigaction == &OnFatalSignal;
}

}  // namespace

bool EnsureCrashStackForCurrentThread() {
    AlternateStack& stack = t_alternateStack;
    stack_t current{};
    if (sigaltstack(nullptr, &current) != 0) return false;
    if (stack.memory != nullptr && current.ss_sp == stack.memory) return true;
    // A stack of the application's own that is large enough is kept; a smaller one (sanitizer
    // runtimes install small ones) is replaced for as long as this thread runs the handlers.
    if ((current.ss_flags & SS_DISABLE) == 0 && current.ss_size >= kCrashStackBytes) return true;
    if ((current.ss_flags & SS_ONSTACK) != 0) return false;

    char* memory = new (std::nothrow) char[kCrashStackBytes];
    if (memory == nullptr) return false;
    stack_t next{};
    next.ss_sp = memory;
    next.ss_size = kCrashStackBytes;
    next.ss_flags = 0;
    if (sigaltstack(&next, nullptr) != 0) {
        delete[] memory;
        return false;
    }
    delete[] stack.memory;  // an earlier stack of ours that something else replaced since
    stack.memory = memory;
    stack.replaced = current;
    t_alternateStackGuard.armed = true;
    return true;
}

bool InstallCrashHandler(CrashCallback callback) {
    if (callback == nullptr) return false;
    MutexLock hold(gState.lock);
    if (gState.installed) return false;
    if (!EnsureCrashStackForCurrentThread()) return false;

    gState.callback.store(callback, std::memory_order_release);
    gState.reportingThread.store(0, std::memory_order_relaxed);
    gState.reportDone.store(false, std::memory_order_relaxed);

    struct sigaction action {};
    action.sa_sigaction = &OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kFatalSignalCount; ++i) {
        if (sigaction(kFatalSignals[i], &action, &gState.previous[i]) != 0) {
            while (--i >= 0) sigaction(kFatalSignals[i], &gState.previous[i], nullptr);
            gState.callback.store(nullptr, std::memory_order_release);
            return false;
        }
    }
    gState.installed = true;
    return true;
}

void UninstallCrashHandler() {
    MutexLock hold(gState.lock);
    if (!gState.installed) return;
    for (int i = 0; i < kFatalSignalCount; ++i) {
        struct sigaction current {};
        // A handler installed over ours since is left alone (it chains to ours or replaced it).
        if (sigaction(kFatalSignals[i], nullptr, &current) == 0 && IsOurHandler(current)) {
            sigaction(kFatalSignals[i], &gState.previous[i], nullptr);
        }
    }
    gState.callback.store(nullptr, std::memory_order_release);
    gState.installed = false;
    t_alternateStack.Release();
}

bool CrashHandlerInstalled() {
    MutexLock hold(gState.lock);
    return gState.installed;
}

}  // namespace mora::platform
