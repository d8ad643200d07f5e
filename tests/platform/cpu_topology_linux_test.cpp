// The sysfs reader against small machine trees, counted by the portable builder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/linux/cpu_list.h"
#include "platform/system_root.h"
#include "sysinfo/cpu_topology.h"

namespace {

struct RootGuard {
    explicit RootGuard(const std::string& tree) {
        // A root that is not a folder is refused and would leave this machine's in place.
        EXPECT_TRUE(
            SetSystemRoot((std::string(KELVANE_TEST_DATA_DIR) + "/topology/" + tree).c_str()))
            << tree;
    }
    ~RootGuard() { SetSystemRoot(""); }
};

std::string Describe(const char* tree) {
    RootGuard root(tree);
    CpuTopology topology;
    ReadCpuTopology(&topology);
    char text[256];
    FormatCpuTopology(topology, text, sizeof text);
    return topology.known ? text : "unknown";
}

TEST(CpuTopologyLinuxTest, MachineTrees) {
    const struct {
        const char* tree;
        const char* expected;
    } cases[] = {
        // Siblings numbered apart (0,2 and 1,3), as Intel servers do.
        {"smt",
         "1 package, 2 cores, 4 threads; L1d 48 KiB x 2, L1i 32 KiB x 2, L2 2 MiB x 2, "
         "L3 105 MiB x 1"},
        // One performance core with two threads, two efficiency cores sharing one L2.
        {"hybrid",
         "1 package, 3 cores (1 performance, 2 efficiency), 4 threads; L1d 48 KiB x 1 + "
         "32 KiB x 2, L1i 32 KiB x 1 + 64 KiB x 2, L2 1.25 MiB x 1 + 2 MiB x 1, "
         "L3 12 MiB x 1"},
        // Older list names, processor 2 offline, no cache directory.
        {"older-kernel", "2 packages, 3 cores, 3 threads"},
        // Only the number files: core_id 0 in both packages is two cores.
        {"numbers-only", "2 packages, 2 cores, 4 threads"},
        {"no-topology", "unknown"},
        {".", "unknown"},  // the trees' own folder: no /sys at all
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, Describe(c.tree)) << c.tree;
}

TEST(CpuTopologyLinuxTest, CpuLists) {
    const struct {
        const char* text;
        bool ok;
        std::vector<int> cpus;
    } cases[] = {
        {"0-3,8,10-11\n", true, {0, 1, 2, 3, 8, 10, 11}},
        {"5", true, {5}},
        {"3,1,1", true, {1, 3}},
        {"", true, {}},
        {"0-1,6-19", true, {0, 1, 6, 7, 8, 9, 10, 11}},  // the limit of 12 cuts it
        {"3-1", false, {}},
        {"0-", false, {}},
        {"0,,1", false, {}},
        {"a", false, {}},
        {"1234567890", false, {}},
    };
    for (const auto& c : cases) {
        std::vector<int> cpus = {99};
        EXPECT_EQ(c.ok, ParseCpuMembers(c.text, std::string(c.text).size(), 12, &cpus)) << c.text;
        EXPECT_EQ(c.cpus, cpus) << c.text;
    }
}

}  // namespace
