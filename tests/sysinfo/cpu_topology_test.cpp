// Counting packages, cores, threads and caches from per-processor records.
#include "sysinfo/cpu_topology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

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
    EXPECT_EQ(std::make_tuple(uint64_t{0}, 8, uint64_t{6 * 1280 + 2 * 2048} << 10),
              std::make_tuple(t.l2.bytes, t.l2.instances, t.l2.totalBytes));

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

// This machine against lscpu's parsable list, which every version writes alike: a "# CPU,..."
// heading naming the columns, then one line per online processor with the IDs, unique in
// their column, of its core, package and caches. Caches are compared by instance count; the
// sizes' parsing is the machine trees' (CpuTopologyLinuxTest.MachineTrees).
TEST(CpuTopologyTest, ThisMachineAgreesWithLscpu) {
#ifdef _WIN32
    GTEST_SKIP() << "no lscpu to ask from a Windows program";
#else
    std::vector<std::string> heading;
    std::map<std::string, std::set<std::string>> ids;  // by column
    std::string list;
    FILE* pipe = popen("LC_ALL=C lscpu -p 2>/dev/null", "r");
    for (char text[4096]; pipe && std::fgets(text, sizeof text, pipe);) {
        list += text;
        std::string line(text, std::strcspn(text, "\n")), field;
        std::istringstream cells(line.erase(0, line.find_first_not_of("# ")));
        std::vector<std::string> fields;
        while (std::getline(cells, field, ',')) fields.push_back(field);
        if (line.compare(0, 4, "CPU,") == 0) heading = fields;
        for (size_t at = 0; text[0] != '#' && at < std::min(fields.size(), heading.size()); ++at)
            if (!fields[at].empty()) ids[heading[at]].insert(fields[at]);
    }
    if (pipe) pclose(pipe);
    if (ids["Socket"].empty() || ids["Core"].empty() || ids["CPU"].empty())
        GTEST_SKIP() << "no lscpu here that lists processors, cores and packages";
    CpuTopology t;
    ReadCpuTopology(&t);
    // A cache level lscpu does not list (no sysfs caches) is not compared: ours may come
    // from CPUID then.
    const std::pair<std::string, int> columns[] = {
        {"Socket", t.packages},   {"Core", t.cores},        {"CPU", t.logical},
        {"L1d", t.l1d.instances}, {"L1i", t.l1i.instances}, {"L2", t.l2.instances},
        {"L3", t.l3.instances}};
    std::vector<std::pair<std::string, int>> counted, listed;
    for (const auto& [column, count] : columns) {
        if (ids[column].empty()) continue;
        counted.push_back({column, count});
        listed.push_back({column, static_cast<int>(ids[column].size())});
    }
    EXPECT_EQ(counted, listed) << list;
#endif
}

}  // namespace
