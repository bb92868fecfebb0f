#include "platform/thread.h"

#include <errno.h>
#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <new>

namespace mora::platform {

static_assert(sizeof(pthread_t) <= sizeof(std::uint64_t), "pthread_t must fit the Thread record");

namespace {

struct StartRecord {
    ThreadEntry entry;
    void* argument;
    char name[16];
};

void* ThreadMain(void* raw) {
    StartRecord record = *static_cast<StartRecord*>(raw);
    delete static_cast<StartRecord*>(raw);
    if (record.name[0] != '\0') pthread_setname_np(pthread_self(), record.name);
    record.entry(record.argument);
    return nullptr;
}

pthread_t NativeOf(const Thread& thread) {
    pthread_t native{};
    std::memcpy(&native, &thread.native, sizeof(native));
    return native;
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
    pthread_t native{};
    if (pthread_create(&native, nullptr, ThreadMain, record) != 0) {
        delete record;
        return false;
    }
    std::memcpy(&thread.native, &native, sizeof(native));
    thread.joinable = true;
    return true;
}

void JoinThread(Thread& thread) {
    if (!thread.joinable) return;
    pthread_join(NativeOf(thread), nullptr);
    thread = Thread{};
}

bool JoinThreadTimeout(Thread& thread, std::uint32_t milliseconds) {
    if (!thread.joinable) return false;
    if (milliseconds == kWaitForever) {
        JoinThread(thread);
        return true;
    }
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += milliseconds / 1000;
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    if (pthread_timedjoin_np(NativeOf(thread), nullptr, &deadline) != 0) return false;
    thread = Thread{};
    return true;
}

bool SetCurrentThreadAffinity(const LogicalProcessor& processor) {
    if (processor.group != 0 || processor.number >= CPU_SETSIZE) return false;
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(processor.number, &set);
    return pthread_setaffinity_np(pthread_self(), sizeof(set), &set) == 0;
}

bool SetCurrentThreadIdealProcessor(const LogicalProcessor& processor) {
    return processor.group == 0 && processor.number < CPU_SETSIZE;
}

std::uint32_t CurrentThreadId() { return static_cast<std::uint32_t>(syscall(SYS_gettid)); }

void SleepMilliseconds(std::uint32_t milliseconds) {
    timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

void YieldThread() { sched_yield(); }

void RunHeldBackThreads() {}

}  // namespace mora::platform
