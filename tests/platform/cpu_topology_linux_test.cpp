// Small machine trees as the Linux readers take them: the processor topology from sysfs,
// counted by the portable builder, and the evidence of a container or WSL.
#include <string>
#include <vector>

#include "platform/container_facts.h"
#include "platform/linux/cpu_list.h"
#include "scratch_directory.h"
#include "sysinfo/cpu_topology.h"

namespace {

std::string Describe(const char* tree) {
    TreeRoot root(std::string("topology/") + tree);
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
        {"1234567890", false, {}},
    };
    for (const auto& c : cases) {
        std::vector<int> cpus = {99};
        EXPECT_EQ(c.ok, ParseCpuMembers(c.text, std::string(c.text).size(), 12, &cpus)) << c.text;
        EXPECT_EQ(c.cpus, cpus) << c.text;
    }
}

ContainerFacts Facts(const char* machine) {
    TreeRoot root(std::string("machines/") + machine + "/tree");
    ContainerFacts facts{};
    EXPECT_TRUE(ReadContainerFacts(&facts)) << machine;
    return facts;
}

// What the trees' verdicts (machine_trees.py) do not show: Podman's engine line, process
// 1's environment read past other variables, WSL's interop handler, and a host's nothing.
TEST(ContainerFactsLinuxTest, MachineTrees) {
    const ContainerFacts podman = Facts("podman-rootless");
    EXPECT_STREQ("podman-5.2.2", podman.containerEnvEngine);
    EXPECT_STREQ("podman", podman.initContainer);
    EXPECT_STREQ("0::/\n", podman.initCgroup);

    const ContainerFacts wsl = Facts("wsl2");
    EXPECT_TRUE(wsl.wslInterop);
    EXPECT_EQ(
        0, std::string(wsl.kernelVersion).find("Linux version 5.15.153.1-microsoft-standard-WSL2"));

    const ContainerFacts host = Facts("epyc-96");
    EXPECT_FALSE(host.dockerEnv || host.containerEnv || host.wslInterop);
    EXPECT_STREQ("", host.systemdContainer);
    EXPECT_STREQ("", host.initContainer);
    EXPECT_STREQ("", host.kernelVersion);
}

}  // namespace
