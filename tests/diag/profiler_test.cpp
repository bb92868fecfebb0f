// The scoped profiler: the merged and per-thread report text, and scope
// pairing. Scopes run on fresh threads
// with chosen tick values so the expected report is known to the digit.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "diag/profile_scope_names.h"
#include "diag/profiler.h"

namespace mora::diag {
namespace {

constexpr char kOuter[] = "test::Outer";
constexpr char kInner[] = "test::Inner";
constexpr char kOther[] = "test::Other";
constexpr std::uint64_t kMicrosecondTicks = 1000000;  // 1 tick = 1 us

// Runs `body` on a new thread and returns that thread's profile root.
ProfileNode* OnFreshThread(const std::function<void()>& body) {
    ProfileNode* root = nullptr;
    std::thread([&] {
        body();
        root = ThreadProfileRoot();
    }).join();
    return root;
}

void Scope(const char* name, std::uint64_t begin, std::uint64_t end, const std::function<void()>& inside = {}) {
    ScopeRecord record;
    BeginScope(record, name, begin);
    if (inside) inside();
    EndScope(record, end);
}

// One report line, padded independently of the report's printf formats: the name in 50 columns after
// two spaces per depth, then calls, total ms, % of parent, mean, min and max us.
std::string Line(int depth, const char* name, const char* calls, const char* ms, const char* share, const char* mean,
                 const char* min, const char* max) {
    const auto pad = [](std::string text, std::size_t width) { return std::string(width - text.size(), ' ') + text; };
    std::string named = std::string(static_cast<std::size_t>(depth) * 2, ' ') + name;
    named.resize(static_cast<std::size_t>(depth) * 2 + 50, ' ');
    return named + " calls=" + pad(calls, 10) + "  total=" + pad(ms, 10) + " ms (" + pad(share, 6) +
           "%)  mean=" + pad(mean, 10) + " us  min=" + pad(min, 10) + " us  max=" + pad(max, 10) + " us\n";
}

const ProfileNode* Child(const ProfileNode* node, const char* name) {
    for (const ProfileNode* child = node->firstChild.load(); child != nullptr; child = child->nextSibling.load()) {
        if (child->name == name) return child;
    }
    return nullptr;
}

TEST(Profiler, ReportMergesThreadsAndBreaksThemDown) {
    ProfileNode* first = OnFreshThread([] {
        Scope(kOuter, 0, 100, [] {
            Scope(kInner, 10, 40);
            Scope(kInner, 50, 60);
        });
        Scope(kOther, 200, 205);
    });
    ProfileNode* second = OnFreshThread([] { Scope(kOuter, 0, 200, [] { Scope(kInner, 0, 100); }); });
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);

    const std::string expected =
        "\n=== MORA scoped profile (merged across 2 thread(s)) ===\n"
        "[compiled with MORA_PROFILING=1; define 0 to disable.]\n"
        "[columns: calls | total ms | % of parent | mean us | min us | max us]\n\n" +
        Line(0, kOuter, "2", "0.300", "100.00", "150.00", "100.00", "200.00") +
        Line(1, kInner, "3", "0.140", "46.67", "46.67", "10.00", "100.00") +
        Line(0, kOther, "1", "0.005", "100.00", "5.00", "5.00", "5.00") +
        "\n=== MORA scoped profile: per-thread breakdown ===\n\n"
        "-- thread[0] (main/first) --\n" +
        Line(0, kOuter, "1", "0.100", "95.24", "100.00", "100.00", "100.00") +
        Line(1, kInner, "2", "0.040", "40.00", "20.00", "10.00", "30.00") +
        Line(0, kOther, "1", "0.005", "4.76", "5.00", "5.00", "5.00") + "\n-- thread[1] (worker) --\n" +
        Line(0, kOuter, "1", "0.200", "100.00", "200.00", "200.00", "200.00") +
        Line(1, kInner, "1", "0.100", "50.00", "100.00", "100.00", "100.00") + "\n";
    EXPECT_EQ(FormatProfileReport({first, second}, kMicrosecondTicks), expected);
}

TEST(Profiler, ScopeObjectsCloseOnExceptionsAndRegisterTheThread) {
    const std::uint32_t before = ProfileThreadCount();
    ProfileNode* root = nullptr;
    const ProfileNode* afterThrow = nullptr;
    std::thread([&] {
        try {
            ProfileScope outer(kScopeRenderFrame);
            ProfileScope inner(kScopeRasterizeTile);
            throw std::runtime_error("leave both scopes");
        } catch (const std::runtime_error&) {
        }
        afterThrow = CurrentProfileNode();
        root = ThreadProfileRoot();
    }).join();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(afterThrow, root);
    const ProfileNode* frame = Child(root, kScopeRenderFrame);
    const ProfileNode* tile = frame != nullptr ? Child(frame, kScopeRasterizeTile) : nullptr;
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ((std::vector<std::uint64_t>{frame->calls.load(), tile->calls.load()}),
              (std::vector<std::uint64_t>{1, 1}));
    ASSERT_EQ(ProfileThreadCount(), before + 1);
    EXPECT_EQ(ProfileThreadRoots().back(), root);
}

}  // namespace
}  // namespace mora::diag
