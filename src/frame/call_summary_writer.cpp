// Gathering the summary's live data and writing the file, on the calling thread or on the
// summary writer thread.
#include "frame/call_summary_writer.h"

#include <array>
#include <atomic>

#include "diag/call_summary.h"
#include "diag/profiler.h"
#include "diag/status_lines.h"
#include "entry/entry_table.h"
#include "entry/gl_subset.h"
#include "gl/command_records.h"
#include "platform/address_wait.h"
#include "platform/file.h"
#include "platform/thread.h"
#include "render/binning_stats.h"
#include "rjq/occupancy.h"

namespace mora {

namespace {

// Status line buffers: at least the size of the largest status line buffer.
constexpr std::size_t kStatusLineBytes = 256;

// The part of the summary that must be of the moment it is asked for: the call counts and the
// status lines. Fixed size, so taking one allocates nothing.
struct SummarySnapshot {
    std::array<CallCount, kEntryCount> counts;
    char isaLine[kStatusLineBytes];
    char threadPoolLine[kStatusLineBytes];
    char framebufferLine[kStatusLineBytes];
    char panelLine[kStatusLineBytes];
    std::size_t isaLength = 0;
    std::size_t threadPoolLength = 0;
    std::size_t framebufferLength = 0;
    std::size_t panelLength = 0;
};

void TakeSnapshot(SummarySnapshot& snapshot) {
    // Each counter is read whole; other threads may go on counting while the copy is taken.
    EntryTable& table = TheEntryTable();
    for (std::size_t i = 0; i < kEntryCount; ++i) {
        snapshot.counts[i] = CallCount{table.rows[i].name, table.rows[i].calls.load(std::memory_order_relaxed)};
    }
    snapshot.isaLength = CopyStatusLine(StatusLine::Isa, snapshot.isaLine);
    snapshot.threadPoolLength = CopyStatusLine(StatusLine::ThreadPool, snapshot.threadPoolLine);
    snapshot.framebufferLength = CopyStatusLine(StatusLine::Framebuffer, snapshot.framebufferLine);
    snapshot.panelLength = CopyStatusLine(StatusLine::Panel, snapshot.panelLine);
}

std::string SummaryText(const SummarySnapshot& snapshot) {
    const std::string workerTileStats = FormatWorkerTileStatsReport(TheBinningStats());
    const std::string occupancy = rjq::FormatOccupancyReport(rjq::Occupancy());
    const std::string profile = diag::ProfileReport();

    CallSummaryInput input;
    input.entries = snapshot.counts;
    input.replayableNames = api::ReproducedEntryNames();
    input.isaLine = std::string_view(snapshot.isaLine, snapshot.isaLength);
    input.threadPoolLine = std::string_view(snapshot.threadPoolLine, snapshot.threadPoolLength);
    input.framebufferLine = std::string_view(snapshot.framebufferLine, snapshot.framebufferLength);
    input.panelLine = std::string_view(snapshot.panelLine, snapshot.panelLength);
    input.workerTileStats = workerTileStats;
    input.occupancy = occupancy;
    input.profile = profile;
    return FormatCallSummary(input);
}

// The writer thread and the one snapshot it writes. `pending` is 1 from a request until its file
// is written; the snapshot is only touched by the requester while it is 0 and by the thread while
// it is 1. `wake` moves on every request and on stop.
struct SummaryWriter {
    platform::Thread thread;
    std::atomic<bool> running{false};
    std::atomic<uint32_t> pending{0};
    std::atomic<uint32_t> wake{0};
    std::atomic<uint32_t> stop{0};
    SummarySnapshot snapshot;
};

SummaryWriter& Writer() {
    static SummaryWriter* const writer = new SummaryWriter;  // never destroyed: GL at exit
    return *writer;
}

void WriterMain(void* raw) {
    SummaryWriter& writer = *static_cast<SummaryWriter*>(raw);
    for (;;) {
        const uint32_t seen = writer.wake.load(std::memory_order_acquire);
        if (writer.pending.load(std::memory_order_acquire) != 0) {
            try {
                // Replaced whole, so a reader never sees half a summary.
                const std::string text = SummaryText(writer.snapshot);
                platform::ReplaceFileAtomically(kCallSummaryFileName, text.data(), text.size());
            } catch (...) {
            }
            writer.pending.store(0, std::memory_order_release);
            platform::WakeByAddressAll(writer.pending);
        }
        if (writer.stop.load(std::memory_order_acquire) != 0) return;
        platform::WaitOnAddress(writer.wake, seen);
    }
}

}  // namespace

std::string CurrentCallSummaryText() {
    SummarySnapshot snapshot;
    TakeSnapshot(snapshot);
    return SummaryText(snapshot);
}

bool WriteApiCallSummary(const char* directory) noexcept {
    try {
        const std::string text = CurrentCallSummaryText();
        const std::string path = (directory == nullptr || directory[0] == '\0')
                                     ? std::string(kCallSummaryFileName)
                                     : std::string(directory) + "/" + kCallSummaryFileName;
        platform::File file;
        if (!platform::OpenFile(file, path.c_str(), platform::FileMode::WriteTruncate)) return false;
        const bool written = platform::WriteFile(file, text.data(), text.size());
        platform::CloseFile(file);
        return written;
    } catch (...) {
        return false;
    }
}

void RequestApiCallSummary() noexcept {
    SummaryWriter& writer = Writer();
    if (!writer.running.load(std::memory_order_acquire)) {
        WriteApiCallSummary();
        return;
    }
    if (writer.pending.load(std::memory_order_acquire) != 0) return;
    TakeSnapshot(writer.snapshot);
    writer.pending.store(1, std::memory_order_release);
    writer.wake.fetch_add(1, std::memory_order_release);
    platform::WakeByAddressAll(writer.wake);
}

bool StartCallSummaryWriter() noexcept {
    SummaryWriter& writer = Writer();
    if (writer.running.load(std::memory_order_acquire)) return true;
    writer.stop.store(0);
    if (!platform::StartThread(writer.thread, "mora-summary", WriterMain, &writer)) return false;
    writer.running.store(true, std::memory_order_release);
    return true;
}

void StopCallSummaryWriter() noexcept {
    SummaryWriter& writer = Writer();
    if (!writer.running.load(std::memory_order_acquire)) return;
    writer.stop.store(1, std::memory_order_release);
    writer.wake.fetch_add(1, std::memory_order_release);
    platform::WakeByAddressAll(writer.wake);
    platform::JoinThread(writer.thread);
    writer.running.store(false, std::memory_order_release);
}

void AbandonCallSummaryWriter() noexcept {
    SummaryWriter& writer = Writer();
    writer.thread = platform::Thread{};
    writer.pending.store(0, std::memory_order_release);
    writer.running.store(false, std::memory_order_release);
}

void WaitForCallSummaryWriter() noexcept {
    SummaryWriter& writer = Writer();
    while (writer.pending.load(std::memory_order_acquire) != 0) platform::WaitOnAddress(writer.pending, 1);
}

}  // namespace mora
