#include "diag/profiler.h"

#include <algorithm>
#include <cinttypes>
#include <memory>

#include "platform/clock.h"
#include "platform/mutex.h"
#include "platform/once.h"

namespace mora::diag {

namespace {

// A thread's nodes come from blocks of this many, so a scope path it first meets in the middle of
// a run (the application thread's first render item taken while it waits, say) allocates nothing
// until its block is used up.
constexpr std::size_t kNodesPerBlock = 64;

struct ThreadProfile {
    ProfileNode* root = nullptr;
    ProfileNode* current = nullptr;
    ProfileNode* block = nullptr;
    std::size_t blockUsed = kNodesPerBlock;
};

thread_local ThreadProfile tThread;

ProfileNode* NewNode() {
    if (tThread.blockUsed == kNodesPerBlock) {
        tThread.block = new ProfileNode[kNodesPerBlock];
        tThread.blockUsed = 0;
    }
    return &tThread.block[tThread.blockUsed++];
}

struct ProcessProfile {
    platform::Mutex rootsLock;
    std::vector<ProfileNode*>* roots = nullptr;  // guarded by rootsLock; never freed
    std::atomic<std::uint32_t> threadCount{0};
    platform::OnceFlag frequencyOnce;
    std::uint64_t frequency = 0;
};

ProcessProfile gProfile;

std::uint64_t Frequency() {
    platform::CallOnce(gProfile.frequencyOnce, [] { gProfile.frequency = platform::PerformanceFrequency(); });
    return gProfile.frequency;
}

constexpr auto kRelaxed = std::memory_order_relaxed;

ProfileNode* RegisterThreadRoot() {
    ProfileNode* root = NewNode();
    root->name = kThreadRootName;
    {
        platform::MutexLock lock(gProfile.rootsLock);
        if (gProfile.roots == nullptr) gProfile.roots = new std::vector<ProfileNode*>;
        gProfile.roots->push_back(root);
    }
    gProfile.threadCount.fetch_add(1, kRelaxed);
    tThread.root = root;
    tThread.current = root;
    return root;
}

ProfileNode* FindOrAddChild(ProfileNode* parent, const char* name) {
    for (ProfileNode* child = parent->firstChild.load(kRelaxed); child != nullptr;
         child = child->nextSibling.load(kRelaxed)) {
        if (child->name == name) return child;
    }
    ProfileNode* child = NewNode();
    child->name = name;
    child->parent = parent;
    child->nextSibling.store(parent->firstChild.load(kRelaxed), kRelaxed);
    parent->firstChild.store(child, std::memory_order_release);
    return child;
}

// The report's merged tree: plain nodes owned by the report.
struct MergedNode {
    const char* name = nullptr;
    std::uint64_t totalTicks = 0;
    std::uint64_t calls = 0;
    std::uint64_t minTicks = ~std::uint64_t{0};
    std::uint64_t maxTicks = 0;
    std::vector<std::unique_ptr<MergedNode>> children;  // front of the list first
};

void MergeInto(MergedNode& target, const ProfileNode& source) {
    target.totalTicks += source.totalTicks.load(kRelaxed);
    target.calls += source.calls.load(kRelaxed);
    target.minTicks = std::min(target.minTicks, source.minTicks.load(kRelaxed));
    target.maxTicks = std::max(target.maxTicks, source.maxTicks.load(kRelaxed));
    for (const ProfileNode* child = source.firstChild.load(std::memory_order_acquire); child != nullptr;
         child = child->nextSibling.load(std::memory_order_acquire)) {
        MergedNode* match = nullptr;
        for (auto& existing : target.children) {
            if (existing->name == child->name) {
                match = existing.get();
                break;
            }
        }
        if (match == nullptr) {
            target.children.insert(target.children.begin(), std::make_unique<MergedNode>());
            match = target.children.front().get();
            match->name = child->name;
        }
        MergeInto(*match, *child);
    }
}

// A snapshot of one node for printing, read once so a line is consistent
// with the sort that placed it.
MergedNode Snapshot(const ProfileNode& source) {
    MergedNode copy;
    copy.name = source.name;
    copy.totalTicks = source.totalTicks.load(kRelaxed);
    copy.calls = source.calls.load(kRelaxed);
    copy.minTicks = source.minTicks.load(kRelaxed);
    copy.maxTicks = source.maxTicks.load(kRelaxed);
    for (const ProfileNode* child = source.firstChild.load(std::memory_order_acquire); child != nullptr;
         child = child->nextSibling.load(std::memory_order_acquire)) {
        copy.children.push_back(std::make_unique<MergedNode>(Snapshot(*child)));
    }
    return copy;
}

void Append(std::string& out, const char* format, auto... values) {
    char line[512];
    const int length = std::snprintf(line, sizeof(line), format, values...);
    if (length > 0) out.append(line, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof(line) - 1));
}

std::vector<const MergedNode*> SortedChildren(const MergedNode& node) {
    std::vector<const MergedNode*> sorted;
    for (const auto& child : node.children) sorted.push_back(child.get());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const MergedNode* a, const MergedNode* b) { return a->totalTicks > b->totalTicks; });
    return sorted;
}

void PrintNode(std::string& out, const MergedNode& node, int depth, std::uint64_t parentTotal,
               std::uint64_t frequency) {
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    const double frequencyD = frequency != 0 ? static_cast<double>(frequency) : 1.0;
    auto ms = [frequencyD](std::uint64_t ticks) { return static_cast<double>(ticks) * 1000.0 / frequencyD; };
    const double total = ms(node.totalTicks);
    double mean = 0.0, minimum = 0.0, maximum = 0.0;
    if (node.calls != 0) {
        mean = total * 1000.0 / static_cast<double>(node.calls);
        minimum = ms(node.minTicks) * 1000.0;
        maximum = ms(node.maxTicks) * 1000.0;
    }
    const double share =
        parentTotal != 0 ? static_cast<double>(node.totalTicks) * 100.0 / static_cast<double>(parentTotal) : 0.0;
    Append(out, "%-50s calls=%10llu  total=%10.3f ms (%6.2f%%)  mean=%10.2f us  min=%10.2f us  max=%10.2f us\n",
           node.name != nullptr ? node.name : "?", static_cast<unsigned long long>(node.calls), total, share, mean,
           minimum, maximum);
    for (const MergedNode* child : SortedChildren(node)) PrintNode(out, *child, depth + 1, node.totalTicks, frequency);
}

}  // namespace

void BeginScope(ScopeRecord& scope, const char* name, std::uint64_t nowTicks) {
    if (tThread.root == nullptr) RegisterThreadRoot();
    ProfileNode* child = FindOrAddChild(tThread.current, name);
    tThread.current = child;
    scope.node = child;
    scope.startTicks = nowTicks;
}

void EndScope(ScopeRecord& scope, std::uint64_t nowTicks) {
    ProfileNode* node = scope.node;
    if (node == nullptr) return;
    const std::uint64_t elapsed = nowTicks - scope.startTicks;
    node->totalTicks.store(node->totalTicks.load(kRelaxed) + elapsed, kRelaxed);
    node->calls.store(node->calls.load(kRelaxed) + 1, kRelaxed);
    if (elapsed < node->minTicks.load(kRelaxed)) node->minTicks.store(elapsed, kRelaxed);
    if (elapsed > node->maxTicks.load(kRelaxed)) node->maxTicks.store(elapsed, kRelaxed);
    tThread.current = node->parent;
    scope.node = nullptr;
}

ProfileScope::ProfileScope(const char* name) {
    Frequency();
    BeginScope(record, name, platform::PerformanceCounter());
}

ProfileScope::~ProfileScope() { EndScope(record, platform::PerformanceCounter()); }

ProfileNode* ThreadProfileRoot() { return tThread.root; }

ProfileNode* StartThreadProfile() { return tThread.root != nullptr ? tThread.root : RegisterThreadRoot(); }
ProfileNode* CurrentProfileNode() { return tThread.current; }

std::vector<ProfileNode*> ProfileThreadRoots() {
    platform::MutexLock lock(gProfile.rootsLock);
    return gProfile.roots != nullptr ? *gProfile.roots : std::vector<ProfileNode*>{};
}

std::uint32_t ProfileThreadCount() { return gProfile.threadCount.load(kRelaxed); }

std::string FormatProfileReport(const std::vector<ProfileNode*>& roots, std::uint64_t frequency) {
    std::string out;
    if (roots.empty()) {
        out = "\n=== MORA scoped profile: no data (MORA_PROFILING enabled but no scopes executed) ===\n\n";
        return out;
    }
    MergedNode merged;
    merged.name = kAllThreadsName;
    for (const ProfileNode* root : roots) {
        if (root != nullptr) MergeInto(merged, *root);
    }
    Append(out,
           "\n=== MORA scoped profile (merged across %zu thread(s)) ===\n"
           "[compiled with MORA_PROFILING=1; define 0 to disable.]\n"
           "[columns: calls | total ms | %% of parent | mean us | min us | max us]\n\n",
           roots.size());
    // The merged root has no time of its own, so each top-level node is its own
    // parent total and shows 100 %.
    for (const MergedNode* child : SortedChildren(merged)) {
        PrintNode(out, *child, 0, child->totalTicks, frequency);
    }
    out += "\n=== MORA scoped profile: per-thread breakdown ===\n\n";
    for (std::size_t index = 0; index < roots.size(); ++index) {
        if (roots[index] == nullptr) continue;
        const MergedNode root = Snapshot(*roots[index]);
        if (root.children.empty()) continue;
        Append(out, "-- thread[%d] (%s) --\n", static_cast<int>(index), index == 0 ? "main/first" : "worker");
        std::uint64_t childrenTotal = 0;
        for (const auto& child : root.children) childrenTotal += child->totalTicks;
        for (const MergedNode* child : SortedChildren(root)) PrintNode(out, *child, 0, childrenTotal, frequency);
        out += "\n";
    }
    return out;
}

std::string ProfileReport() { return FormatProfileReport(ProfileThreadRoots(), Frequency()); }

void WriteProfileReport(std::FILE* file) {
    if (file == nullptr) return;
    const std::string report = ProfileReport();
    std::fwrite(report.data(), 1, report.size(), file);
}

}  // namespace mora::diag
