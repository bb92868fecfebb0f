// Processor topology from sysfs-style trees: core-by-core order, sibling
// grouping, the allowed-set filter and malformed lists.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "platform/topology.h"
#include "test_support/temp_dir.h"

namespace mora::platform {
namespace {

using Layout = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

// (processor number, core index) in list order.
Layout NumbersAndCores(const std::vector<LogicalProcessor>& list) {
    Layout layout;
    for (const auto& p : list) layout.emplace_back(p.number, p.core);
    return layout;
}

// A fake /sys/devices/system/cpu tree.
struct FakeCpuTree {
    explicit FakeCpuTree(const std::string& online) { Write(root + "/online", online + "\n"); }
    void Siblings(std::uint32_t cpu, const std::string& list) {
        const std::string dir = root + "/cpu" + std::to_string(cpu);
        MakeDir(dir);
        MakeDir(dir + "/topology");
        Write(dir + "/topology/thread_siblings_list", list + "\n");
    }
    static void Write(const std::string& path, const std::string& text) {
        ASSERT_TRUE(ReplaceFileAtomically(path.c_str(), text.data(), text.size()));
    }
    static void MakeDir(const std::string& path) { ASSERT_TRUE(CreateDirectory(path.c_str())); }
    test::TempDir folder{"mora-cpus-"};
    std::string root = folder.path;
};

TEST(Topology, ParsesKernelCpuLists) {
    EXPECT_EQ(ParseCpuList("0-3,8,10-11"), (std::vector<std::uint32_t>{0, 1, 2, 3, 8, 10, 11}));
    EXPECT_EQ(ParseCpuList("5\n"), (std::vector<std::uint32_t>{5}));
    EXPECT_EQ(ParseCpuList("3,1,1-2"), (std::vector<std::uint32_t>{1, 2, 3}));
    EXPECT_EQ(ParseCpuList("x,4-2,7-y,,9"), (std::vector<std::uint32_t>{9}));
    EXPECT_TRUE(ParseCpuList("0-4000000000").empty());  // refuses absurd ranges
    EXPECT_TRUE(ParseCpuList("").empty());
}

TEST(Topology, ListsHyperthreadSiblingsNextToEachOther) {
    FakeCpuTree tree("0-7");
    for (std::uint32_t cpu = 0; cpu < 8; ++cpu) {
        tree.Siblings(cpu, std::to_string(cpu % 4) + "," + std::to_string(cpu % 4 + 4));
    }
    const auto list = ReadTopology(tree.root, {});
    EXPECT_EQ(NumbersAndCores(list), (Layout{{0, 0}, {4, 0}, {1, 1}, {5, 1}, {2, 2}, {6, 2}, {3, 3}, {7, 3}}));
    for (const auto& p : list) EXPECT_EQ(p.group, 0);
}

// cpu 3 is offline though listed as a sibling; cpu 4 has no topology folder: its own core. Core
// indices count the kept processors only.
TEST(Topology, KeepsOnlyAllowedAndOnlineProcessors) {
    FakeCpuTree tree("0-2,4-5");
    tree.Siblings(0, "0-1");
    tree.Siblings(1, "0-1");
    tree.Siblings(2, "2-3");
    tree.Siblings(5, "5");
    EXPECT_EQ(NumbersAndCores(ReadTopology(tree.root, {})), (Layout{{0, 0}, {1, 0}, {2, 1}, {4, 2}, {5, 3}}));
    EXPECT_EQ(NumbersAndCores(ReadTopology(tree.root, {1, 2, 3, 5, 9})), (Layout{{1, 0}, {2, 1}, {5, 2}}));
    EXPECT_TRUE(ReadTopology("/nonexistent/mora/cpu", {}).empty());
}

}  // namespace
}  // namespace mora::platform
