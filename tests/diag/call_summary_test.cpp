// Call summary text: the whole text for a known set of counts, line by line, with the order of
// the rows; the capture-drift scan and its clean line; status lines left out when empty.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "diag/call_summary.h"
#include "test_support/text_lines.h"

namespace mora {
namespace {

using test::SplitLines;

// A count row built by padding, independently of the printf formats of the summary.
std::string Padded(std::string text, std::size_t width, bool left) {
    if (text.size() >= width) return text;
    const std::string pad(width - text.size(), ' ');
    return left ? text + pad : pad + text;
}
std::string Row(const std::string& name, uint64_t calls) {
    std::string row = "    " + Padded(name, 32, true) + " : " + Padded(std::to_string(calls), 14, false);
    return row + (calls == 0 ? "    [unimplemented, never called]\n" : "\n");
}
std::string DriftRow(const std::string& name, uint64_t calls) {
    return "    [capture-drift] " + Padded(name, 28, true) + " : " + Padded(std::to_string(calls), 14, false) + "\n";
}

constexpr std::string_view kReplayable[] = {"glBegin", "glEnd", "glVertex3f", "glColor4ub"};

TEST(CallSummaryTest, WholeTextForAKnownCallSequence) {
    // glBegin, 3 x glVertex3f, glEnd twice over, a glRectf, and swaps; a row without a name prints as "?".
    const CallCount entries[] = {
        {"glBegin", 2}, {"glEnd", 2},          {"glVertex3f", 6}, {"glFogf", 0},       {"glRectf", 1},
        {nullptr, 4},   {"wglSwapBuffers", 2}, {"glColor4ub", 0}, {"glEvalPoint1", 3},
    };
    const CallSummaryInput input{
        .entries = entries,
        .replayableNames = kReplayable,
        .isaLine = "[MORA isa = AVX2]",
        .threadPoolLine = "[MORA threads = default (LPs minus producer)]",
        .framebufferLine = "[MORA framebuffer = not set]",
        .workerTileStats = "\n=== Phase Q worker-side tile discovery stats ===\n  active task partitions:      1\n",
        .occupancy = "\n=== Occupancy (MORA RJQ tile scheduling) ===\n",
        .profile = "\n=== MORA scoped profile: no data (MORA_PROFILING enabled but no scopes executed) ===\n\n"};
    const std::vector<std::string> expected = {
        "=== MORA GL/WGL call summary (process lifetime) ===\n",
        "[MORA isa = AVX2]\n",
        "[MORA threads = default (LPs minus producer)]\n",
        "[MORA framebuffer = not set]\n",
        "\n",
        "Total API calls: 20  (across 7/9 functions)\n",
        "\n",
        "    glVertex3f                       :              6\n",
        Row("?", 4),
        Row("glEvalPoint1", 3),
        Row("glBegin", 2),  // equal counts keep the table order
        Row("glEnd", 2),
        Row("wglSwapBuffers", 2),
        Row("glRectf", 1),
        "    glFogf                           :              0    [unimplemented, never called]\n",
        Row("glColor4ub", 0),  // a recorded entry that was never called gets the same suffix
        "\n",
        "=== capture-drift scan: 3 GL entries called but not in Cmd enum ===\n",
        "(replay of a .mora-capture taken during this run will diverge on these calls)\n",
        "\n",
        DriftRow("?", 4),
        DriftRow("glEvalPoint1", 3),
        "    [capture-drift] glRectf                      :              1\n",
        "\n",
        "=== Phase Q worker-side tile discovery stats ===\n",
        "  active task partitions:      1\n",
        "\n",
        "=== Occupancy (MORA RJQ tile scheduling) ===\n",
        "\n",
        "=== MORA scoped profile: no data (MORA_PROFILING enabled but no scopes executed) ===\n",
        "\n",
    };
    EXPECT_EQ(SplitLines(FormatCallSummary(input)), expected);
}

TEST(CallSummaryTest, DriftScanIsCleanWithOnlyWglAndRecordedEntriesAndLeavesOutEmptyStatusLines) {
    const CallCount entries[] = {{"glBegin", 5}, {"wglMakeCurrent", 1}, {"wglSwapBuffers", 9}, {"glRectf", 0}};
    // The instruction-set and framebuffer lines are empty.
    const CallSummaryInput input{
        .entries = entries, .replayableNames = kReplayable, .threadPoolLine = "[MORA threads = 7 workers]"};
    const std::vector<std::string> expected = {
        "=== MORA GL/WGL call summary (process lifetime) ===\n",
        "[MORA threads = 7 workers]\n",
        "\n",
        "Total API calls: 15  (across 3/4 functions)\n",
        "\n",
        Row("wglSwapBuffers", 9),
        Row("glBegin", 5),
        Row("wglMakeCurrent", 1),
        Row("glRectf", 0),
        "\n",
        "=== capture-drift scan: clean (every called GL entry is round-trippable) ===\n",
    };
    EXPECT_EQ(SplitLines(FormatCallSummary(input)), expected);
}

// Names are compared whole: a prefix of a recorded name is not recorded.
TEST(CallSummaryTest, EntriesDriftUnlessNamedWholeAmongTheRecordedOrWgl) {
    EXPECT_FALSE(EntryDrifts({"wglGetProcAddress", 7}, kReplayable));
    EXPECT_TRUE(EntryDrifts({nullptr, 1}, kReplayable));
    EXPECT_TRUE(EntryDrifts({"glVertex3", 1}, kReplayable));
    EXPECT_TRUE(EntryDrifts({"glVertex3fv", 1}, kReplayable));
}

}  // namespace
}  // namespace mora
