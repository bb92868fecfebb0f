// Threads on Windows: CreateThread with a start record, names through SetThreadDescription where
// the system has it (Windows 10 1607 and later; looked up, not imported, so older systems load
// the DLL), processor-group affinity and ideal processor.
#include "platform/thread.h"

#include <windows.h>

#include <cstring>
#include <new>

namespace mora::platform {

namespace {

struct StartRecord {
  ThreadEntry entry;
  void* argument;
  char name[16];
};

using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);

void NameCurrentThread(const char* name) {
  static const auto setDescription = reinterpret_cast<SetDescription>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
  if (setDescription == nullptr || name[0] == '\0') return;
  wchar_t wide[16] = {};
  for (int i = 0; i < 15 && name[i] != '\0'; ++i) wide[i] = static_cast<unsigned char>(name[i]);
  setDescription(GetCurrentThread(), wide);
}

// Thread starts may not assume more than 4-byte stack alignment on 32-bit Windows either: the
// whole build realigns where it needs to (-mincoming-stack-boundary=2).
DWORD WINAPI ThreadMain(void* raw) {
  StartRecord record = *static_cast<StartRecord*>(raw);
  delete static_cast<StartRecord*>(raw);
  NameCurrentThread(record.name);
  record.entry(record.argument);
  return 0;
}

HANDLE HandleOf(const Thread& thread) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(thread.native)); }

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
  HANDLE handle = CreateThread(nullptr, 0, ThreadMain, record, 0, nullptr);
  if (handle == nullptr) {
    delete record;
    return false;
  }
  thread.native = reinterpret_cast<std::uintptr_t>(handle);
  thread.joinable = true;
  return true;
}

void JoinThread(Thread& thread) { JoinThreadTimeout(thread, kWaitForever); }

bool JoinThreadTimeout(Thread& thread, std::uint32_t milliseconds) {
  if (!thread.joinable) return false;
  const DWORD wait = milliseconds == kWaitForever ? INFINITE : milliseconds;
  if (WaitForSingleObject(HandleOf(thread), wait) != WAIT_OBJECT_0) return false;
  CloseHandle(HandleOf(thread));
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

}  // namespace mora::platform
