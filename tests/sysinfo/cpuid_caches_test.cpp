// Caches from the processor's own description, for systems that list none.
#include "sysinfo/cpuid_caches.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "sysinfo/cpu_topology.h"
#include "sysinfo/cpuid_test_support.h"

namespace {

// `packages` x `cores` x `threads` with the caches the system lists, then the processor's added.
std::string Describe(const CpuidCaches& caches, int packages, int cores, int threads,
                     const std::vector<CacheRecord>& listed = {}) {
    std::vector<LogicalCpuRecord> cpus;
    for (int p = 0, cpu = 0; p < packages; ++p)
        for (int c = 0; c < cores; ++c)
            for (int t = 0; t < threads; ++t) cpus.push_back({cpu++, p, c, 0});
    CpuTopology topology;
    BuildCpuTopology(cpus, listed, &topology);
    AddCpuidCaches(caches, cpus, &topology);
    char text[256];
    FormatCpuTopology(topology, text, sizeof text);
    return text;
}

TEST(CpuidCachesTest, RealProcessors) {
    // The file, whether to read it as without topology extensions, packages, cores, threads,
    // the text.
    const std::tuple<const char*, bool, int, int, int, const char*> cases[] = {
        // Leaf 4 and 0x8000001D come with the machine trees. Two dies of eight cores, each
        // with its L3: the older leaves give the sizes, but the L3 as one for the package.
        {"amd-ryzen-9-7950x-zen4.txt", true, 1, 16, 2,
         "1 package, 16 cores, 32 threads; L1d 32 KiB x 16, L1i 32 KiB x 16, L2 1 MiB x 16, "
         "L3 64 MiB x 1 (caches from CPUID)"},
        // 0x8000001D empty under this hypervisor: the older leaves give the host's whole L3.
        {"amd-epyc-zen5-bhyve.txt", false, 1, 2, 1,
         "1 package, 2 cores, 2 threads; L1d 48 KiB x 2, L1i 32 KiB x 2, L2 1 MiB x 2, "
         "L3 508 MiB x 1 (caches from CPUID)"},
        {"via-nano-u2250-isaiah.txt", false, 1, 2, 1, "1 package, 2 cores, 2 threads"},
        // Leaf 2's descriptors alone; the trace cache is no L1i.
        {"intel-pentium-4-northwood.txt", false, 1, 1, 1,
         "1 package, 1 core, 1 thread; L1d 8 KiB x 1, L2 512 KiB x 1 (caches from CPUID)"},
        // 0x80000005 is the highest extended leaf.
        {"amd-k6-2-cxt.txt", false, 1, 1, 1,
         "1 package, 1 core, 1 thread; L1d 32 KiB x 1, L1i 32 KiB x 1 (caches from CPUID)"},
    };
    for (const auto& [file, olderLeavesOnly, packages, cores, threads, expected] : cases) {
        Decoded d = DecodeDump(file);
        if (olderLeavesOnly) {
            std::memset(d.leaves.leaf8000001D, 0, sizeof d.leaves.leaf8000001D);
            d = Decode(d.leaves);
        }
        EXPECT_EQ(expected, Describe(d.caches, packages, cores, threads)) << file;
    }
}

std::string List(const CpuidCaches& caches) {
    std::string text;
    for (int i = 0; i < caches.count; ++i) {
        const CpuidCache& c = caches.caches[i];
        text += (i ? " L" : "L") + std::to_string(c.level) + c.type + " " +
                std::to_string(c.bytes >> 10) + "K";
    }
    return text;
}

// Leaf 2 bytes as the descriptors' rules read them, against leaf 4 and AMD's leaves.
TEST(CpuidCachesTest, Leaf2Descriptors) {
    const struct {
        const char* name;
        uint32_t leaf1Eax;
        CpuidWords first;  // the first read of leaf 2
        const char* expected;
        CpuidWords second = {};
        uint32_t l2Ecx = 0;  // 0x80000006 ECX
        bool leaf4 = false;  // leaf 4 lists an L1d of 48 KB
        const char* vendor = "GenuineIntel";
    } cases[] = {
        // A Core 2 Duo: 0x49 is its L2.
        {"Core 2", 0x6F6, {0x05B0B101, 0x005657F0, 0, 0x2CB43049}, "L2U 4096K L1I 32K L1D 32K"},
        // The Xeon MP of family 15 model 6: its L3, beside a 1 MB L2.
        {"Xeon MP", 0xF68, {0x605B5101, 0, 0, 0x007C7049}, "L1D 16K L3U 4096K L2U 1024K"},
        // Bit 31 marks a register without descriptors; byte 0 of EAX is the read count.
        {"register marked empty", 0x6D6, {0x0000302C, 0, 0, 0x8000007D}, "L1I 32K"},
        {"second read", 0x6D6, {0x00000002, 0, 0, 0x2C}, "L1D 32K L2U 2048K", {2, 0, 0, 0x7D}},
        // 0xFF sends to leaf 4; with leaf 4 hidden (a BIOS limit), AMD's L2 leaf remains.
        {"0xFF", 0x106A5, {0x0055FF01, 0, 0, 0}, "L2U 256K", {}, 0x01006040},
        {"leaf 4 wins", 0x906EA, {0x00000001, 0, 0, 0x2C}, "L1D 48K", {}, 0, true},
        // Cyrix filled leaf 2 with descriptors of its own (0x80 its unified L1).
        {"not Intel's", 0x601, {0x00008001, 0, 0, 0}, "", {}, 0, false, "CyrixInstead"},
        // An L2 whose associativity field is 0 is switched off; Intel's zero L1 and L3 words
        // are no caches.
        {"L2 off", 0x6F6, {}, "", {}, 0x01000040},
    };
    for (const auto& c : cases) {
        CpuidLeaves leaves{};
        std::memcpy(&leaves.leaf0.ebx, c.vendor, 4);
        std::memcpy(&leaves.leaf0.edx, c.vendor + 4, 4);
        std::memcpy(&leaves.leaf0.ecx, c.vendor + 8, 4);
        leaves.leaf1.eax = c.leaf1Eax;
        leaves.leaf2[0] = c.first;
        leaves.leaf2[1] = c.second;
        if (c.leaf4) leaves.leaf4[0] = {0x121, 0x02C0003F, 0x3F, 0};
        leaves.leaf80000006.ecx = c.l2Ecx;
        EXPECT_EQ(c.expected, List(Decode(leaves).caches)) << c.name;
    }
}

TEST(CpuidCachesTest, InstancesAreBoundedByTheTopology) {
    CpuidCaches caches{};
    caches.count = 4;
    caches.caches[0] = {1, 'D', 48 << 10, CpuidCache::kThreads, 1};  // says per thread
    caches.caches[1] = {2, 'U', 2 << 20, CpuidCache::kThreads, 1};   // likewise
    caches.caches[2] = {3, 'U', 30 << 20, CpuidCache::kThreads, 64};
    caches.caches[3] = {3, 'U', 1 << 20, CpuidCache::kThreads, 1};  // a second L3: ignored
    // Packages, cores, threads, and the text before " (caches from CPUID)".
    const std::tuple<int, int, int, const char*> cases[] = {
        // Per-thread figures on an SMT part: still one per core.
        {1, 6, 2, "1 package, 6 cores, 12 threads; L1d 48 KiB x 6, L2 2 MiB x 6, L3 30 MiB x 1"},
        // 64 ids would cover both packages' 48 threads, but no cache spans two packages.
        {2, 12, 2,
         "2 packages, 24 cores, 48 threads; L1d 48 KiB x 24, L2 2 MiB x 24, L3 30 MiB x 2"},
        // A guest of 3 packages x 1 core with the host's figure.
        {3, 1, 1, "3 packages, 3 cores, 3 threads; L1d 48 KiB x 3, L2 2 MiB x 3, L3 30 MiB x 3"},
    };
    for (const auto& [packages, cores, threads, expected] : cases)
        EXPECT_EQ(expected + std::string(" (caches from CPUID)"),
                  Describe(caches, packages, cores, threads));

    // Caches the system listed stay; an unknown topology gets none.
    EXPECT_EQ("1 package, 2 cores, 2 threads; L2 512 KiB x 2",
              Describe(caches, 1, 2, 1, {{2, 'U', 512 << 10, 0}, {2, 'U', 512 << 10, 1}}));
    CpuTopology topology;
    BuildCpuTopology({}, {}, &topology);
    AddCpuidCaches(caches, {}, &topology);
    EXPECT_EQ(0, topology.l1d.instances);
}

// The reader stops at the first sub-leaf of type 0, and after a fixed count where a
// hypervisor answers every sub-leaf alike; 0x8000001D only with topology extensions.
TEST(CpuidCachesTest, ReaderStopsWhereTheCachesEnd) {
    FakeCpuid cpuid;
    cpuid.leaves[0] = {0xD, 0, 0, 0};
    cpuid.leaves[4] = {0x121, 0x01C0003F, 0x3F, 0};
    cpuid.subleaves[{4, 1}] = {0, 0, 0, 0};
    cpuid.subleaves[{4, 2}] = {0x143, 0x01C0003F, 0x1FF, 0};  // past the end: not read
    cpuid.leaves[0x80000000] = {0x8000001D, 0, 0, 0};
    cpuid.leaves[0x8000001D] = {0x121, 0x01C0003F, 0x3F, 0};
    for (uint32_t i = 1; i < 20; ++i) cpuid.subleaves[{0x8000001D, i}] = {0x121, 0, 0, 0};
    Decoded d = Decode(cpuid);
    EXPECT_EQ(0x121u, d.leaves.leaf4[0].eax);
    EXPECT_EQ(0u, d.leaves.leaf4[2].eax);
    EXPECT_EQ(0u, d.leaves.leaf8000001D[0].eax);

    cpuid.leaves[0] = {3, 0, 0, 0};                  // leaf 4 beyond the highest basic leaf
    cpuid.leaves[0x80000001] = {0, 0, 1u << 22, 0};  // topology extensions
    d = Decode(cpuid);
    EXPECT_EQ(0u, d.leaves.leaf4[0].eax);
    EXPECT_EQ(0x121u, d.leaves.leaf8000001D[kCpuidCacheSubleaves - 1].eax);
    EXPECT_EQ(kCpuidCacheSubleaves, d.caches.count);
}

}  // namespace
