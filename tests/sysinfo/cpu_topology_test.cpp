// Counting packages, cores, threads and caches from per-processor records.
#include "sysinfo/cpu_topology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fakes/linux_file.h"

namespace {

struct Machine {
    std::vector<LogicalCpuRecord> cpus;
    std::vector<CacheRecord> caches;
};

// A 6 performance + 8 efficiency laptop: performance cores 0-11 with two threads each and
// their own L2, efficiency cores 12-19 sharing one L2 per cluster of four.
Machine HybridLaptop() {
    Machine m;
    for (int cpu = 0; cpu < 20; ++cpu) {
        bool performance = cpu < 12;
        int core = performance ? cpu / 2 : cpu;
        m.cpus.push_back({cpu, 0, core, performance ? 1 : 2});
        int lead = performance ? core * 2 : cpu;
        m.caches.push_back({1, 'D', performance ? 48u << 10 : 32u << 10, lead});
        m.caches.push_back({1, 'I', performance ? 32u << 10 : 64u << 10, lead});
        m.caches.push_back({2, 'U', performance ? 1280u << 10 : 2048u << 10,
                            performance ? lead : 12 + (cpu - 12) / 4 * 4});
        m.caches.push_back({3, 'U', 24u << 20, 0});
    }
    return m;
}

// The machine's text; with `cpuid`, the caches CPUID describes added where none are listed.
std::string Describe(const Machine& m, const CpuidCaches* cpuid = nullptr) {
    CpuTopology topology;
    BuildCpuTopology(m.cpus, m.caches, &topology);
    if (cpuid) AddCpuidCaches(*cpuid, m.cpus, &topology);
    char text[256];
    FormatCpuTopology(topology, text, sizeof text);
    return text;
}

// SMT siblings numbered apart, a cache listed by each processor that shares it, a hybrid's
// kinds and groups, and no caches at all come with the readers' machines
// (CpuTopologyLinuxTest.MachineTrees, ProcessorInformationTest.HybridWithCaches).
TEST(CpuTopologyTest, Machines) {
    Machine pairs;  // a unified L2 for each pair of cores, a data-only L1
    for (int cpu = 0; cpu < 8; ++cpu) {
        pairs.cpus.push_back({cpu, 0, cpu, 0});
        pairs.caches.push_back({1, 'D', 32 << 10, cpu});
        pairs.caches.push_back({2, 'U', 4 << 20, cpu / 2 * 2});
    }
    Machine onlyPerformance = HybridLaptop();  // efficiency cores switched off
    onlyPerformance.cpus.resize(12);
    Machine fiveSizes;  // more sizes than the line can group: the total
    for (int cpu = 0; cpu < 5; ++cpu) {
        fiveSizes.cpus.push_back({cpu, 0, cpu, 0});
        fiveSizes.caches.push_back({2, 'U', static_cast<uint64_t>(cpu + 1) << 20, cpu});
    }
    const struct {
        const char* name;
        Machine machine;
        const char* expected;
    } cases[] = {
        {"L2 per pair of cores", pairs,
         "1 package, 8 cores, 8 threads; L1d 32 KiB x 8, L2 4 MiB x 4"},
        {"one core kind", onlyPerformance,
         "1 package, 6 cores, 12 threads; L1d 48 KiB x 6 + 32 KiB x 8, L1i 32 KiB x 6 + 64 KiB "
         "x 8, L2 1.25 MiB x 6 + 2 MiB x 2, L3 24 MiB x 1"},
        {"five L2 sizes", fiveSizes, "1 package, 5 cores, 5 threads; L2 15 MiB in 5"},
        {"nothing known", Machine(), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, Describe(c.machine)) << c.name;

    // The hybrid's figures: two L2 sizes give no one figure per instance.
    CpuTopology t;
    BuildCpuTopology(HybridLaptop().cpus, HybridLaptop().caches, &t);
    EXPECT_EQ(0u, t.l2.bytes);
    EXPECT_EQ(8, t.l2.instances);
    EXPECT_EQ((6 * 1280u + 2 * 2048u) << 10, t.l2.totalBytes);

    char cut[12];  // a short buffer is cut and terminated
    FormatCpuTopology(t, cut, sizeof cut);
    EXPECT_STREQ("1 package, ", cut);
}

// Caches from CPUID where the system lists none, counted by APIC ID: leaf 4's sharing figure
// counts ID slots, not the processors present. The machines, as composed from Intel's core
// counts and its ID numbering (assumptions, not read from the parts):
// - i5-7600K: 4 cores without Hyper-Threading at IDs 0, 2, 4, 6 (the thread bit stays
//   reserved); L1 and L2 figure 2, L3 16.
// - i7-12700H: 6 performance cores of two threads at IDs 0-11, 8 efficiency cores at 16-30
//   in steps of 2, four to a module sharing an L2 (figure 8); L3 64. The leaves describe the
//   kind of core that ran CPUID (leaf 0x1A): here an efficiency core (a performance core's
//   view is the machine tree hybrid-laptop's).
// - Core Ultra 9 285H, no Hyper-Threading: 6 performance cores 8 IDs apart (0-40), L1 and L2
//   figure 8; efficiency cores at 64-78 and two low-power ones at 80, 82; L3 128.
TEST(CpuTopologyTest, CpuidCacheInstancesFromApicIds) {
    Machine kabyLake, alderLake, arrowLake;
    for (int c = 0; c < 4; ++c) kabyLake.cpus.push_back({c, 0, c, 0, 2 * c});
    for (int cpu = 0; cpu < 20; ++cpu)
        alderLake.cpus.push_back(cpu < 12 ? LogicalCpuRecord{cpu, 0, cpu / 2, 1, cpu}
                                          : LogicalCpuRecord{cpu, 0, cpu, 2, 16 + 2 * (cpu - 12)});
    for (int cpu = 0; cpu < 16; ++cpu)
        arrowLake.cpus.push_back(
            {cpu, 0, cpu, cpu < 6 ? 1 : 2, cpu < 6 ? 8 * cpu : 64 + 2 * (cpu - 6)});
    // The L1d, L1i, L2 and L3 that the kind of core `coreType` describes: KiB and sharing.
    auto caches = [](int coreType, std::vector<std::pair<uint64_t, int>> levels) {
        CpuidCaches out{};
        const std::pair<int, char> kinds[] = {{1, 'D'}, {1, 'I'}, {2, 'U'}, {3, 'U'}};
        for (const auto& [kib, sharing] : levels) {
            const auto& [level, type] = kinds[out.count];
            out.caches[out.count++] = {level, type, kib << 10, CpuidCache::kThreads, sharing};
        }
        out.coreType = coreType;
        return out;
    };
    const std::tuple<const char*, const Machine&, CpuidCaches, const char*> cases[] = {
        {"i5-7600K", kabyLake, caches(0, {{32, 2}, {32, 2}, {256, 2}, {6144, 16}}),
         "1 package, 4 cores, 4 threads; L1d 32 KiB x 4, L1i 32 KiB x 4, L2 256 KiB x 4, "
         "L3 6 MiB x 1"},
        {"i7-12700H efficiency core", alderLake,
         caches(2, {{32, 2}, {64, 2}, {2048, 8}, {24576, 64}}),
         "1 package, 14 cores (6 performance, 8 efficiency), 20 threads; L1d 32 KiB x 8, "
         "L1i 64 KiB x 8, L2 2 MiB x 2, L3 24 MiB x 1"},
        {"Core Ultra 9 285H", arrowLake, caches(1, {{48, 8}, {64, 8}, {3072, 8}, {24576, 128}}),
         "1 package, 16 cores (6 performance, 10 efficiency), 16 threads; L1d 48 KiB x 6, "
         "L1i 64 KiB x 6, L2 3 MiB x 6, L3 24 MiB x 1"},
    };
    for (const auto& [name, machine, cpuid, expected] : cases)
        EXPECT_EQ(expected + std::string(" (caches from CPUID)"), Describe(machine, &cpuid))
            << name;
    // One processor without an ID: no count from IDs.
    kabyLake.cpus[2].apicId = -1;
    EXPECT_EQ(0, CountCacheInstances(kabyLake.cpus, 2));
}

TEST(CpuTopologyTest, CacheSizes) {
    const std::pair<uint64_t, const char*> cases[] = {
        {1 << 20, "1 MiB"},    {1536 << 10, "1.5 MiB"},     {1100 << 10, "1100 KiB"},
        {1ull << 30, "1 GiB"}, {1536ull << 20, "1536 MiB"}, {100, "100 B"},
    };
    for (const auto& c : cases) {
        char text[32];
        FormatCacheSize(c.first, text, sizeof text);
        EXPECT_STREQ(c.second, text) << c.first;
    }
}

// This machine against /proc/cpuinfo (processors, cores, packages) and, where lscpu lists
// caches, each level's size and total (lscpu -C lists none where the kernel lists none).
TEST(CpuTopologyTest, ThisMachineAgreesWithCpuinfoAndLscpu) {
    CpuTopology t;
    ReadCpuTopology(&t);
    char text[512];
    FormatCpuTopology(t, text, sizeof text);
    std::printf("this machine: %s\n", text);
    ASSERT_TRUE(t.known);
    std::istringstream lines(ReadLinuxFile("/proc/cpuinfo"));
    int processors = 0, package = -1;
    std::vector<std::pair<int, int>> cores;
    std::vector<int> packages;
    for (std::string line; std::getline(lines, line);) {
        size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        int value = std::atoi(line.c_str() + colon + 1);
        if (line.compare(0, 9, "processor") == 0) ++processors;
        if (line.compare(0, 11, "physical id") == 0) packages.push_back(package = value);
        if (line.compare(0, 7, "core id") == 0) cores.push_back({package, value});
    }
    if (processors == 0 || cores.empty()) GTEST_SKIP() << "no x86 /proc/cpuinfo here";
    std::sort(cores.begin(), cores.end());
    std::sort(packages.begin(), packages.end());
    EXPECT_EQ(processors, t.logical);
    EXPECT_EQ(std::unique(cores.begin(), cores.end()) - cores.begin(), t.cores);
    EXPECT_EQ(std::unique(packages.begin(), packages.end()) - packages.begin(), t.packages);

    // Every lscpu that has -C prints a heading line first; --noheadings is not taken by
    // -C in every version, so the heading is skipped here instead.
#ifndef _WIN32  // the Windows build has no lscpu to ask
    std::string caches;
    if (FILE* pipe = popen("lscpu -C=NAME,ONE-SIZE,ALL-SIZE --bytes 2>/dev/null", "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) caches.append(buffer, n);
        pclose(pipe);
    }
    if (caches.compare(0, 5, "NAME ") != 0) GTEST_SKIP() << "this lscpu lists no caches (-C)";
    const std::pair<std::string, const CpuTopology::CacheLevel&> levels[] = {
        {"L1d", t.l1d}, {"L1i", t.l1i}, {"L2", t.l2}, {"L3", t.l3}};
    for (const auto& [name, level] : levels) {
        size_t at = caches.find(name + " ");
        if (at == std::string::npos) {
            EXPECT_EQ(0, level.instances) << name;
            continue;
        }
        unsigned long long one = 0, all = 0;
        std::sscanf(caches.c_str() + at + name.size(), "%llu %llu", &one, &all);
        EXPECT_EQ(all, level.totalBytes) << name;
        if (level.groupCount == 1) {
            EXPECT_EQ(one, level.bytes) << name;
        }
    }
#endif
}

}  // namespace
