// Threads on Windows: CreateThread with a start record, names through SetThreadDescription where
// the system has it (Windows 10 1607 and later; looked up, not imported, so older systems load
// the DLL), processor-group affinity and ideal processor.
//
// Joining waits for a thread's "leaving" event rather than its handle. A thread that ends takes
// the loader lock on its way out, so one that FreeLibrary's detach (which holds that lock) waited
// for by handle would never end. The event is set as the thread's last step: on 32-bit Windows
// SetEvent returns straight into ExitThread, so no instruction of the DLL runs after it and the
// code can be unmapped at once; on 64-bit Windows two instructions of the DLL remain after it.
#include "platform/thread.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "platform/mutex.h"
#include "platform/win32/thread_start_hold.h"

namespace mora::platform {

namespace {

struct StartRecord {
    ThreadEntry entry;
    void* argument;
    HANDLE leaving;
    std::atomic<std::uint32_t>* started;
    char name[16];
};

// The thread handle, its leaving event and whether its code has begun, behind Thread::native. A
// held-back thread has no handle yet, only the start record it will be created with.
struct Handles {
    HANDLE thread = nullptr;
    HANDLE leaving = nullptr;
    StartRecord* pending = nullptr;
    std::atomic<std::uint32_t> started{0};
};

// Threads asked for under the loader lock, created by RunHeldBackThreads. They are not even
// created suspended: a thread that never ran must still be ended before unload, and
// TerminateThread on a thread that has not begun is not safe everywhere (Wine can crash).
struct HeldBack {
    Mutex lock;
    bool holding = false;
    std::atomic<bool> any{false};
    std::vector<Handles*> threads;
};
HeldBack& Held() {
    static HeldBack* held = new HeldBack;
    return *held;
}

using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);

void NameCurrentThread(const char* name) {
    static const auto setDescription = reinterpret_cast<SetDescription>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (setDescription == nullptr || name[0] == '\0') return;
    wchar_t wide[16] = {};
    for (int i = 0; i < 15 && name[i] != '\0'; ++i) wide[i] = static_cast<unsigned char>(name[i]);
    setDescription(GetCurrentThread(), wide);
}

// Sets `leaving` and ends the thread without returning into the DLL (32-bit: SetEvent's return
// address is ExitThread, whose exit code is the 0 below its own unused return address).
#if defined(__i386__)
extern "C" [[noreturn]] void MoraLeaveThread(HANDLE leaving);
asm(R"(
    .text
    .globl _MoraLeaveThread
_MoraLeaveThread:
    movl 4(%esp), %eax
    pushl $0
    pushl $0
    pushl %eax
    pushl "__imp__ExitThread@4"
    jmp *"__imp__SetEvent@4"
)");
[[noreturn]] void LeaveThread(HANDLE leaving) { MoraLeaveThread(leaving); }
#else
[[noreturn]] void LeaveThread(HANDLE leaving) {
    SetEvent(leaving);
    ExitThread(0);
}
#endif

// Thread starts may not assume more than 4-byte stack alignment on 32-bit Windows either: the
// whole build realigns where it needs to (-mincoming-stack-boundary=2).
DWORD WINAPI ThreadMain(void* raw) {
    StartRecord record = *static_cast<StartRecord*>(raw);
    delete static_cast<StartRecord*>(raw);
    record.started->store(1, std::memory_order_release);
    NameCurrentThread(record.name);
    record.entry(record.argument);
    LeaveThread(record.leaving);
}

}  // namespace

bool StartThread(Thread& thread, const char* name, ThreadEntry entry, void* argument) {
    thread = Thread{};
    if (entry == nullptr) return false;
    auto* record = new (std::nothrow) StartRecord{entry, argument, {}};
    if (record == nullptr) return false;
    if (name != nullptr) {
        std::strncpy(record->name, name, sizeof(record->name) - 1);
        record->name[sizeof(record->name) - 1] = '\0';
    }
    auto* handles = new (std::nothrow) Handles;
    if (handles == nullptr) {
        delete record;
        return false;
    }
    handles->leaving = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    record->leaving = handles->leaving;
    record->started = &handles->started;
    HeldBack& held = Held();
    MutexLock hold(held.lock);
    bool ok = handles->leaving != nullptr;
    if (ok && held.holding) {
        try {
            held.threads.push_back(handles);
            handles->pending = record;
            held.any.store(true, std::memory_order_release);
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    } else if (ok) {
        handles->thread = CreateThread(nullptr, 0, ThreadMain, record, 0, nullptr);
        ok = handles->thread != nullptr;
    }
    if (!ok) {
        if (handles->leaving != nullptr) CloseHandle(handles->leaving);
        delete handles;
        delete record;
        return false;
    }
    thread.native = reinterpret_cast<std::uintptr_t>(handles);
    thread.joinable = true;
    return true;
}

void JoinThread(Thread& thread) { JoinThreadTimeout(thread, kWaitForever); }

bool JoinThreadTimeout(Thread& thread, std::uint32_t milliseconds) {
    if (!thread.joinable) return false;
    auto* handles = reinterpret_cast<Handles*>(static_cast<std::uintptr_t>(thread.native));
    {
        // A thread still held back was never created: it is forgotten.
        HeldBack& held = Held();
        MutexLock hold(held.lock);
        for (auto it = held.threads.begin(); it != held.threads.end(); ++it) {
            if (*it != handles) continue;
            held.threads.erase(it);
            delete handles->pending;
            CloseHandle(handles->leaving);
            delete handles;
            thread = Thread{};
            return true;
        }
    }
    const DWORD wait = milliseconds == kWaitForever ? INFINITE : milliseconds;
    if (WaitForSingleObject(handles->leaving, wait) != WAIT_OBJECT_0) return false;
    if (handles->thread != nullptr) CloseHandle(handles->thread);
    CloseHandle(handles->leaving);
    delete handles;
    thread = Thread{};
    return true;
}

bool SetCurrentThreadAffinity(const LogicalProcessor& processor) {
    if (processor.number >= 8 * sizeof(KAFFINITY)) return false;
    GROUP_AFFINITY affinity{};
    affinity.Group = processor.group;
    affinity.Mask = KAFFINITY{1} << processor.number;
    return SetThreadGroupAffinity(GetCurrentThread(), &affinity, nullptr) != 0;
}

bool SetCurrentThreadIdealProcessor(const LogicalProcessor& processor) {
    if (processor.number >= 8 * sizeof(KAFFINITY)) return false;
    PROCESSOR_NUMBER number{};
    number.Group = processor.group;
    number.Number = static_cast<BYTE>(processor.number);
    return SetThreadIdealProcessorEx(GetCurrentThread(), &number, nullptr) != 0;
}

std::uint32_t CurrentThreadId() { return GetCurrentThreadId(); }

void SleepMilliseconds(std::uint32_t milliseconds) { Sleep(milliseconds); }

void YieldThread() { SwitchToThread(); }

void HoldBackThreadStarts(bool hold) {
    HeldBack& held = Held();
    MutexLock lock(held.lock);
    held.holding = hold;
}

void RunHeldBackThreads() {
    HeldBack& held = Held();
    if (!held.any.load(std::memory_order_acquire)) return;
    MutexLock hold(held.lock);
    for (Handles* handles : held.threads) {
        StartRecord* record = std::exchange(handles->pending, nullptr);
        handles->thread = CreateThread(nullptr, 0, ThreadMain, record, 0, nullptr);
        if (handles->thread == nullptr) {
            delete record;
            SetEvent(handles->leaving);  // nothing to wait for: a join returns at once
            handles->started.store(1, std::memory_order_release);
        }
    }
    // Past this point every thread the DLL started has begun its own code, so a FreeLibrary detach
    // can wait for each to leave.
    for (Handles* handles : held.threads) {
        while (handles->started.load(std::memory_order_acquire) == 0) Sleep(0);
    }
    held.threads.clear();
    held.any.store(false, std::memory_order_relaxed);
}

}  // namespace mora::platform
