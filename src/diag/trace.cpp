// Trace state, line formatting and batching, and the opening and closing of trace files.
#include "diag/trace.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "diag/status_lines.h"
#include "diag/trace_crash_mark.h"
#include "platform/clock.h"
#include "platform/thread.h"
#include "platform/mutex.h"

namespace mora {

namespace detail {
constinit std::atomic<uint64_t> gTraceRangeWord{kNoTraceRangeWord};
}

namespace {

constexpr std::size_t kStreamBufferBytes = 4u << 20;      // the file's fully buffered stream
constexpr std::size_t kPendingReserveBytes = 512u << 10;  // must exceed kPendingFlushBytes + kLineBytes
constexpr std::size_t kPendingFlushBytes = 0x40000;       // pending text is written in 256 KiB batches
constexpr std::size_t kMessageBytes = 512;                // 511 characters of message
constexpr std::size_t kLineBytes = 768;                   // 767 characters of line
static_assert(kPendingFlushBytes + kLineBytes <= kPendingReserveBytes, "pending text never grows");

constexpr char kEndLine[] = "=== end of trace ===\n";
constexpr char kCrashLine[] = "\n=== CRASH (vectored handler triggered) ===\n";

struct TraceState {
    platform::Mutex lock;  // guards everything below except the atomics
    std::FILE* file = nullptr;
    std::unique_ptr<char[]> streamBuffer;  // given to the stream; outlives every file
    std::unique_ptr<char[]> pending;       // kPendingReserveBytes, kept once allocated
    std::size_t pendingSize = 0;
    std::atomic<bool> fileOpen{false};  // read without the lock by TraceLine
    std::atomic<bool> quitAfter{false};
    std::atomic<uint64_t> sequence{0};  // never reset: the first line of the process is 1
};

// Never destroyed: library unload may close the trace after static destructors have run.
TraceState& State() {
    static TraceState* state = new TraceState;
    return *state;
}

uint64_t PackRange(int32_t first, int32_t last) {
    return (uint64_t{static_cast<uint32_t>(last)} << 32) | static_cast<uint32_t>(first);
}

// Caller holds the lock and has checked the file.
void WritePendingLocked(TraceState& state) {
    if (state.pendingSize != 0) std::fwrite(state.pending.get(), 1, state.pendingSize, state.file);
    state.pendingSize = 0;
}

}  // namespace

void TraceLineV(const char* context, const char* format, va_list args) {
    TraceState& state = State();
    const int32_t frame = CurrentFrame();
    if (!TraceRangeCovers(detail::gTraceRangeWord.load(std::memory_order_acquire), frame) ||
        !state.fileOpen.load(std::memory_order_acquire)) {
        return;
    }

    char message[kMessageBytes];
    message[0] = '\0';
    if (format != nullptr && std::vsnprintf(message, sizeof(message), format, args) < 0) message[0] = '\0';

    const uint64_t sequence = state.sequence.fetch_add(1, std::memory_order_relaxed) + 1;

    char line[kLineBytes];
    const int written =
        std::snprintf(line, sizeof(line), "[frame=%d][seq=%6llu] %-36s %s\n", frame,
                      static_cast<unsigned long long>(sequence), context != nullptr ? context : "", message);
    if (written < 0) return;
    std::size_t length = static_cast<std::size_t>(written);
    if (length >= sizeof(line)) {
        // Cut to the buffer, but keep the line end so the next line starts on its own line.
        length = sizeof(line) - 1;
        line[length - 1] = '\n';
    }

    platform::MutexLock lock(state.lock);
    if (state.file == nullptr) return;  // closed since the check above
    std::memcpy(state.pending.get() + state.pendingSize, line, length);
    state.pendingSize += length;
    if (state.pendingSize >= kPendingFlushBytes) WritePendingLocked(state);
}

void TraceLine(const char* context, const char* format, ...) {
    va_list args;
    va_start(args, format);
    TraceLineV(context, format, args);
    va_end(args);
}

bool OpenTrace(int32_t first, int32_t last, const char* label, bool quitAfter, const char* directory) {
    if (first < 0 || last < first) return false;
    TraceState& state = State();
    platform::MutexLock lock(state.lock);
    // A second trace while one is open would lose the first one's pending lines and end line.
    if (state.file != nullptr) return false;

    char name[64];
    if (first == last) {
        std::snprintf(name, sizeof(name), "MORA_trace_frame%d.mora-trace", first);
    } else {
        std::snprintf(name, sizeof(name), "MORA_trace_frames%d-%d.mora-trace", first, last);
    }
    const std::string path =
        (directory == nullptr || directory[0] == '\0') ? std::string(name) : std::string(directory) + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;

    if (!state.streamBuffer) state.streamBuffer = std::make_unique<char[]>(kStreamBufferBytes);
    std::setvbuf(file, state.streamBuffer.get(), _IOFBF, kStreamBufferBytes);

    std::fprintf(file, "=== MORA trace (%s, frames %d..%d inclusive) ===\n", label != nullptr ? label : "", first,
                 last);
    char isaLine[256];
    if (CopyStatusLine(StatusLine::Isa, isaLine) != 0) {
        std::fputs(isaLine, file);
        std::fputs("\n", file);
    }

    if (!state.pending) state.pending = std::make_unique<char[]>(kPendingReserveBytes);
    state.pendingSize = 0;
    state.file = file;
    state.quitAfter.store(quitAfter, std::memory_order_relaxed);
    state.fileOpen.store(true, std::memory_order_release);
    detail::gTraceRangeWord.store(PackRange(first, last), std::memory_order_release);
    return true;
}

void CloseTrace() {
    TraceState& state = State();
    platform::MutexLock lock(state.lock);
    if (state.file == nullptr) return;
    WritePendingLocked(state);
    std::fputs(kEndLine, state.file);
    std::fclose(state.file);
    state.file = nullptr;
    state.fileOpen.store(false, std::memory_order_release);
}

void MarkTraceCrashed() {
    TraceState& state = State();
    platform::MutexLock lock(state.lock);
    if (state.file == nullptr) return;
    WritePendingLocked(state);
    std::fputs(kCrashLine, state.file);
    std::fflush(state.file);
}

bool TraceFileOpen() { return State().fileOpen.load(std::memory_order_acquire); }

TraceRange CurrentTraceRange() {
    const uint64_t word = detail::gTraceRangeWord.load(std::memory_order_acquire);
    return TraceRange{static_cast<int32_t>(static_cast<uint32_t>(word)), static_cast<int32_t>(word >> 32)};
}

bool TraceQuitAfter() { return State().quitAfter.load(std::memory_order_relaxed); }

void ClearTraceRange() { detail::gTraceRangeWord.store(detail::kNoTraceRangeWord, std::memory_order_release); }

uint64_t LastTraceSequence() { return State().sequence.load(std::memory_order_relaxed); }

// The crash handler may run on the thread that holds the trace lock (it faulted inside a trace
// write), so the lock is only tried for a short while and the mark is written without it after.
bool MarkTraceCrashedWithoutWaiting() {
    TraceState& state = State();
    constexpr uint64_t kWaitMicroseconds = 20000;
    const uint64_t start = platform::PerformanceCounter();
    const uint64_t limit = platform::MicrosecondsToTicks(kWaitMicroseconds, platform::PerformanceFrequency());
    bool locked = platform::TryLockMutex(state.lock);
    while (!locked && platform::PerformanceCounter() - start < limit) {
        platform::YieldThread();
        locked = platform::TryLockMutex(state.lock);
    }
    if (state.file != nullptr) {
        WritePendingLocked(state);
        std::fputs(kCrashLine, state.file);
        std::fflush(state.file);
    }
    if (locked) platform::UnlockMutex(state.lock);
    return locked;
}

namespace detail {
platform::Mutex* TraceLockForTests() { return &State().lock; }
}  // namespace detail

}  // namespace mora
