// Gathering the summary's live data and writing the file.
#include "wgl/call_summary_writer.h"

#include <array>

#include "api/entry_table.h"
#include "api/gl_subset.h"
#include "diag/call_summary.h"
#include "diag/profiler.h"
#include "diag/status_lines.h"
#include "gl/command_records.h"
#include "platform/file.h"
#include "render/binning_stats.h"
#include "rjq/occupancy.h"

namespace mora {

namespace {

// Status line buffers: at least the size of the largest status line buffer.
constexpr std::size_t kStatusLineBytes = 256;

}  // namespace

std::string CurrentCallSummaryText() {
    // Each counter is read whole; other threads may go on counting while the copy is taken.
    std::array<CallCount, kEntryCount> counts;
    EntryTable& table = Entries();
    for (std::size_t i = 0; i < kEntryCount; ++i) {
        counts[i] = CallCount{table.rows[i].name, table.rows[i].calls.load(std::memory_order_relaxed)};
    }

    char isaLine[kStatusLineBytes];
    char threadPoolLine[kStatusLineBytes];
    char framebufferLine[kStatusLineBytes];
    const std::size_t isaLength = CopyStatusLine(StatusLine::Isa, isaLine);
    const std::size_t threadPoolLength = CopyStatusLine(StatusLine::ThreadPool, threadPoolLine);
    const std::size_t framebufferLength = CopyStatusLine(StatusLine::Framebuffer, framebufferLine);
    char panelLine[kStatusLineBytes];
    const std::size_t panelLength = CopyStatusLine(StatusLine::Panel, panelLine);

    const std::string workerTileStats = FormatWorkerTileStatsReport(BinningStatsRecords());
    const std::string occupancy = rjq::FormatOccupancyReport(rjq::Occupancy());
    const std::string profile = diag::ProfileReport();

    CallSummaryInput input;
    input.entries = counts;
    input.replayableNames = api::ReproducedEntryNames();
    input.isaLine = std::string_view(isaLine, isaLength);
    input.threadPoolLine = std::string_view(threadPoolLine, threadPoolLength);
    input.framebufferLine = std::string_view(framebufferLine, framebufferLength);
    input.panelLine = std::string_view(panelLine, panelLength);
    input.workerTileStats = workerTileStats;
    input.occupancy = occupancy;
    input.profile = profile;
    return FormatCallSummary(input);
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

}  // namespace mora
