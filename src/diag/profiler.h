// Scoped wall-clock profiler: every thread builds its own tree of named scopes
// (calls, total, min, max ticks); the call summary appends a report merged over
// all threads and then thread by thread. Renderer and job queue open scopes.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace mora::diag {

// One distinct scope path of one thread. Nodes are matched by the address of
// `name`, never by its text, so every scope name must be one string constant
// (see profile_scope_names.h). Nodes are never freed.
// The owning thread is the only writer; a report may read while it writes,
// so the links and counters are atomics accessed without ordering cost
// (relaxed), and a new child is published with a release store.
struct ProfileNode {
    const char* name = nullptr;
    ProfileNode* parent = nullptr;
    std::atomic<ProfileNode*> firstChild{nullptr};
    std::atomic<ProfileNode*> nextSibling{nullptr};
    std::atomic<std::uint64_t> totalTicks{0};
    std::atomic<std::uint64_t> calls{0};
    std::atomic<std::uint64_t> minTicks{~std::uint64_t{0}};
    std::atomic<std::uint64_t> maxTicks{0};
};

// Name of every thread root node.
inline constexpr char kThreadRootName[] = "<thread root>";
// Name of the root of the merged tree in the report.
inline constexpr char kAllThreadsName[] = "<all threads>";

// Low-level scope record; prefer ProfileScope. Begin/End take the tick so
// tests can drive the profiler with chosen times.
struct ScopeRecord {
    ProfileNode* node = nullptr;
    std::uint64_t startTicks = 0;
};
void BeginScope(ScopeRecord& scope, const char* name, std::uint64_t nowTicks);
void EndScope(ScopeRecord& scope, std::uint64_t nowTicks);

// Opens a scope on construction and closes it on destruction (exceptions too),
// timed with the performance counter.
struct ProfileScope {
    explicit ProfileScope(const char* name);
    ~ProfileScope();
    ProfileScope(const ProfileScope&) = delete;
    ProfileScope& operator=(const ProfileScope&) = delete;
    ScopeRecord record;
};

// The calling thread's root node (null before its first scope) and current node.
ProfileNode* ThreadProfileRoot();
ProfileNode* CurrentProfileNode();

// Registers the calling thread's root now, if its first scope has not, and returns it: a worker
// does so when it starts, so that the first item it runs, whenever that is, allocates nothing.
ProfileNode* StartThreadProfile();

// Copy of the registered thread roots, in registration order.
std::vector<ProfileNode*> ProfileThreadRoots();
std::uint32_t ProfileThreadCount();

// Report text for the given thread roots at the given counter frequency
// (ticks per second). Pure: reads the trees, changes nothing.
std::string FormatProfileReport(const std::vector<ProfileNode*>& roots, std::uint64_t frequency);

// Report of every thread of the process; WriteProfileReport does nothing
// without a file.
std::string ProfileReport();
void WriteProfileReport(std::FILE* file);

}  // namespace mora::diag
