// Counting packages, cores, threads and caches from per-processor records.
#include "sysinfo/cpu_topology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/linux_file.h"

namespace {

struct Machine {
    std::vector<LogicalCpuRecord> cpus;
    std::vector<CacheRecord> caches;
};

// `packages` x `cores` x `threads`, siblings numbered apart (cpu = thread * all cores +
// core), as Linux numbers Intel servers; per-core L1d/L1i/L2, one L3 per package, every
// cache listed by every processor that shares it, as the Linux reader may list them.
Machine Server(int packages, int cores, int threads, uint64_t l2, uint64_t l3) {
    Machine m;
    int allCores = packages * cores;
    for (int t = 0; t < threads; ++t)
        for (int p = 0; p < packages; ++p)
            for (int c = 0; c < cores; ++c) {
                int cpu = t * allCores + p * cores + c;
                int lead = p * cores + c;
                m.cpus.push_back({cpu, p, c, 0});
                m.caches.push_back({1, 'D', 48 << 10, lead});
                m.caches.push_back({1, 'I', 32 << 10, lead});
                m.caches.push_back({2, 'U', l2, lead});
                m.caches.push_back({3, 'U', l3, p * cores});
            }
    return m;
}

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

std::string Describe(const Machine& m) {
    CpuTopology topology;
    BuildCpuTopology(m.cpus, m.caches, &topology);
    char text[256];
    FormatCpuTopology(topology, text, sizeof text);
    return text;
}

TEST(CpuTopologyTest, Machines) {
    Machine vm;  // four processors, no SMT, caches hidden
    for (int cpu = 0; cpu < 4; ++cpu) vm.cpus.push_back({cpu, 0, cpu, 0});
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
        {"two-socket SMT server", Server(2, 32, 2, 2 << 20, 105 << 20),
         "2 packages, 64 cores, 128 threads; L1d 48 KiB x 64, L1i 32 KiB x 64, L2 2 MiB x 64, "
         "L3 105 MiB x 2"},
        {"hybrid laptop", HybridLaptop(),
         "1 package, 14 cores (6 performance, 8 efficiency), 20 threads; L1d 48 KiB x 6 + 32 KiB "
         "x 8, L1i 32 KiB x 6 + 64 KiB x 8, L2 1.25 MiB x 6 + 2 MiB x 2, L3 24 MiB x 1"},
        {"VM without SMT", vm, "1 package, 4 cores, 4 threads"},
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
    BuildCpuTopology(Server(2, 32, 2, 2 << 20, 105 << 20).cpus, {}, &t);
    FormatCpuTopology(t, cut, sizeof cut);
    EXPECT_STREQ("2 packages,", cut);
}

// Caches from CPUID where the system lists none, counted by APIC ID: leaf 4's sharing figure
// counts ID slots, not the processors present. The machines, as composed from Intel's core
// counts and its ID numbering (assumptions, not read from the parts):
// - i5-7600K: 4 cores without Hyper-Threading at IDs 0, 2, 4, 6 (the thread bit stays
//   reserved); L1 and L2 figure 2, L3 16.
// - i7-12700H: 6 performance cores of two threads at IDs 0-11, 8 efficiency cores at 16-30
//   in steps of 2, four to a module sharing an L2 (figure 8); L3 64. The leaves describe the
//   kind of core that ran CPUID (leaf 0x1A), so each kind is a case.
// - Core Ultra 9 285H, no Hyper-Threading: 6 performance cores 8 IDs apart (0-40), L1 and L2
//   figure 8; efficiency cores at 64-78 and two low-power ones at 80, 82; L3 128.
TEST(CpuTopologyTest, CpuidCacheInstancesFromApicIds) {
    std::vector<LogicalCpuRecord> kabyLake, alderLake, arrowLake;
    for (int c = 0; c < 4; ++c) kabyLake.push_back({c, 0, c, 0, 2 * c});
    for (int cpu = 0; cpu < 20; ++cpu)
        alderLake.push_back(cpu < 12 ? LogicalCpuRecord{cpu, 0, cpu / 2, 1, cpu}
                                     : LogicalCpuRecord{cpu, 0, cpu, 2, 16 + 2 * (cpu - 12)});
    for (int cpu = 0; cpu < 16; ++cpu)
        arrowLake.push_back({cpu, 0, cpu, cpu < 6 ? 1 : 2, cpu < 6 ? 8 * cpu : 64 + 2 * (cpu - 6)});
    auto caches = [](int coreType, std::vector<CpuidCache> list) {
        CpuidCaches out{};
        for (const CpuidCache& cache : list) out.caches[out.count++] = cache;
        out.coreType = coreType;
        return out;
    };
    auto shared = [](int level, char type, uint64_t kib, int sharing) {
        return CpuidCache{level, type, kib << 10, CpuidCache::kThreads, sharing};
    };
    const struct {
        const char* name;
        const std::vector<LogicalCpuRecord>& cpus;
        CpuidCaches caches;
        const char* expected;  // then " (caches from CPUID)"
    } cases[] = {
        {"i5-7600K", kabyLake,
         caches(0, {shared(1, 'D', 32, 2), shared(1, 'I', 32, 2), shared(2, 'U', 256, 2),
                    shared(3, 'U', 6144, 16)}),
         "1 package, 4 cores, 4 threads; L1d 32 KiB x 4, L1i 32 KiB x 4, L2 256 KiB x 4, "
         "L3 6 MiB x 1"},
        {"i7-12700H performance core", alderLake,
         caches(1, {shared(1, 'D', 48, 2), shared(1, 'I', 32, 2), shared(2, 'U', 1280, 2),
                    shared(3, 'U', 24576, 64)}),
         "1 package, 14 cores (6 performance, 8 efficiency), 20 threads; L1d 48 KiB x 6, "
         "L1i 32 KiB x 6, L2 1.25 MiB x 6, L3 24 MiB x 1"},
        {"i7-12700H efficiency core", alderLake,
         caches(2, {shared(1, 'D', 32, 2), shared(1, 'I', 64, 2), shared(2, 'U', 2048, 8),
                    shared(3, 'U', 24576, 64)}),
         "1 package, 14 cores (6 performance, 8 efficiency), 20 threads; L1d 32 KiB x 8, "
         "L1i 64 KiB x 8, L2 2 MiB x 2, L3 24 MiB x 1"},
        {"Core Ultra 9 285H", arrowLake,
         caches(1, {shared(1, 'D', 48, 8), shared(1, 'I', 64, 8), shared(2, 'U', 3072, 8),
                    shared(3, 'U', 24576, 128)}),
         "1 package, 16 cores (6 performance, 10 efficiency), 16 threads; L1d 48 KiB x 6, "
         "L1i 64 KiB x 6, L2 3 MiB x 6, L3 24 MiB x 1"},
    };
    for (const auto& c : cases) {
        CpuTopology topology;
        BuildCpuTopology(c.cpus, {}, &topology);
        AddCpuidCaches(c.caches, c.cpus, &topology);
        char text[256];
        FormatCpuTopology(topology, text, sizeof text);
        EXPECT_EQ(c.expected + std::string(" (caches from CPUID)"), text) << c.name;
    }
    // One processor without an ID: no count from IDs.
    kabyLake[2].apicId = -1;
    EXPECT_EQ(0, CountCacheInstances(kabyLake, 2));
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

// This machine against lscpu: processors, cores, sockets, and each cache level's size and
// instances (lscpu -C lists none where the kernel lists none).
std::string Command(const char* command) {
#ifdef _WIN32
    (void)command;
    return "";
#else
    std::string out;
    if (FILE* pipe = popen(command, "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
        pclose(pipe);
    }
    return out;
#endif
}

TEST(CpuTopologyTest, ThisMachineAgreesWithCpuinfo) {
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
}

TEST(CpuTopologyTest, ThisMachineAgreesWithLscpu) {
    CpuTopology t;
    ReadCpuTopology(&t);
    ASSERT_TRUE(t.known);
    std::string lines = Command("lscpu -p=CPU,CORE,SOCKET 2>/dev/null");
    if (lines.empty()) GTEST_SKIP() << "no lscpu";
    std::vector<int> cpus;
    std::vector<std::pair<int, int>> cores, sockets;
    size_t start = 0;
    while (start < lines.size()) {
        size_t end = lines.find('\n', start);
        if (end == std::string::npos) end = lines.size();
        std::string line = lines.substr(start, end - start);
        start = end + 1;
        int cpu, core, socket;
        if (line.empty() || line[0] == '#' ||
            std::sscanf(line.c_str(), "%d,%d,%d", &cpu, &core, &socket) != 3)
            continue;
        cpus.push_back(cpu);
        cores.push_back({socket, core});
        sockets.push_back({socket, 0});
    }
    std::sort(cores.begin(), cores.end());
    std::sort(sockets.begin(), sockets.end());
    EXPECT_EQ(static_cast<int>(cpus.size()), t.logical);
    EXPECT_EQ(std::unique(cores.begin(), cores.end()) - cores.begin(), t.cores);
    EXPECT_EQ(std::unique(sockets.begin(), sockets.end()) - sockets.begin(), t.packages);

    // Every lscpu that has -C prints a heading line first; --noheadings is not taken by
    // -C in every version, so the heading is skipped here instead.
    std::string caches = Command("lscpu -C=NAME,ONE-SIZE,ALL-SIZE --bytes 2>/dev/null");
    if (caches.compare(0, 5, "NAME ") != 0) GTEST_SKIP() << "this lscpu lists no caches (-C)";
    const struct {
        const char* name;
        const CpuTopology::CacheLevel* level;
    } levels[] = {{"L1d", &t.l1d}, {"L1i", &t.l1i}, {"L2", &t.l2}, {"L3", &t.l3}};
    for (const auto& level : levels) {
        size_t at = caches.find(std::string(level.name) + " ");
        if (at == std::string::npos) {
            EXPECT_EQ(0, level.level->instances) << level.name;
            continue;
        }
        unsigned long long one = 0, all = 0;
        std::sscanf(caches.c_str() + at + std::string(level.name).size(), "%llu %llu", &one, &all);
        EXPECT_EQ(all, level.level->totalBytes) << level.name;
        if (level.level->groupCount == 1) {
            EXPECT_EQ(one, level.level->bytes) << level.name;
        }
    }
}

}  // namespace
