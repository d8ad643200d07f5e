// The Windows processor sources: GetLogicalProcessorInformationEx's records as the SDK lays
// them out, read back (Wine on a machine without sysfs cache directories lists no caches,
// so these records are the check of the cache path), and the processor counts.
#include "platform/win32/processor_information.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/processors.h"
#include "sysinfo/cpu_topology.h"
#include "sysinfo/processor_count.h"
#include "sysinfo/registry_probes.h"

namespace {

struct Records {
    std::vector<unsigned char> bytes;

    SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX* Add(LOGICAL_PROCESSOR_RELATIONSHIP relationship,
                                                 KAFFINITY mask) {
        size_t at = bytes.size();
        bytes.resize(at + sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX));
        auto* record = reinterpret_cast<SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(&bytes[at]);
        record->Relationship = relationship;
        record->Size = sizeof *record;
        if (relationship == RelationCache) {
            record->Cache.GroupMask.Mask = mask;
        } else {
            record->Processor.GroupCount = 1;
            record->Processor.GroupMask[0].Mask = mask;
        }
        return record;
    }
    void Package(KAFFINITY mask) { Add(RelationProcessorPackage, mask); }
    // The efficiency class is the byte after Flags; older SDK headers call it Reserved.
    void Core(KAFFINITY mask, BYTE efficiencyClass) {
        auto* r = Add(RelationProcessorCore, mask);
        r->Processor.Flags = (mask & (mask - 1)) ? LTP_PC_SMT : 0;
        reinterpret_cast<BYTE*>(&r->Processor.Flags)[1] = efficiencyClass;
    }
    void Cache(BYTE level, PROCESSOR_CACHE_TYPE type, DWORD size, KAFFINITY mask) {
        auto* r = Add(RelationCache, mask);
        r->Cache.Level = level;
        r->Cache.Type = type;
        r->Cache.CacheSize = size;
    }
    std::string Describe() const {
        std::vector<LogicalCpuRecord> cpus;
        std::vector<CacheRecord> caches;
        if (!ParseProcessorInformation(bytes.data(), bytes.size(), &cpus, &caches)) return "none";
        CpuTopology topology;
        BuildCpuTopology(cpus, caches, &topology);
        char text[256];
        FormatCpuTopology(topology, text, sizeof text);
        return text;
    }
};

TEST(ProcessorInformationTest, HybridWithCaches) {
    Records r;
    r.Package(0x0F);
    r.Core(0x03, 1);  // a performance core with two threads
    r.Core(0x04, 0);
    r.Core(0x08, 0);
    r.Cache(1, CacheData, 48 << 10, 0x03);
    r.Cache(1, CacheInstruction, 32 << 10, 0x03);
    r.Cache(2, CacheUnified, 1280 << 10, 0x03);
    for (KAFFINITY e = 0x04; e <= 0x08; e <<= 1) {
        r.Cache(1, CacheData, 32 << 10, e);
        r.Cache(1, CacheInstruction, 64 << 10, e);
    }
    r.Cache(2, CacheUnified, 2 << 20, 0x0C);
    r.Cache(3, CacheUnified, 12 << 20, 0x0F);
    r.Cache(1, CacheTrace, 12 << 10, 0x03);  // not a cache a user counts
    EXPECT_EQ(
        "1 package, 3 cores (1 performance, 2 efficiency), 4 threads; L1d 48 KiB x 1 + 32 KiB x "
        "2, L1i 32 KiB x 1 + 64 KiB x 2, L2 1.25 MiB x 1 + 2 MiB x 1, L3 12 MiB x 1",
        r.Describe());
}

TEST(ProcessorInformationTest, TwoPackagesOneClassAndDamagedBuffers) {
    Records two;
    two.Package(0x0F);
    two.Package(0xF0);
    for (KAFFINITY core = 0x03; core <= 0xC0; core <<= 2) two.Core(core, 0);
    EXPECT_EQ("2 packages, 4 cores, 8 threads", two.Describe());
    Records r;
    r.Package(0x01);
    r.Core(0x01, 0);
    Records cut = r;
    cut.bytes.resize(cut.bytes.size() - 1);  // the core record runs past the end
    EXPECT_EQ("1 package, 1 core, 1 thread", r.Describe());
    EXPECT_EQ("none", cut.Describe());
    Records zero = r;
    std::memset(&zero.bytes[4], 0, 4);  // a record of size 0 would never advance
    EXPECT_EQ("none", zero.Describe());
    EXPECT_EQ("none", Records().Describe());
}

// A process started with a narrower affinity (start /affinity 1) counts only those
// processors, for the "Cores" field and the Whetstone score alike; one that may use them
// all counts the registry's processor keys, which a 32-bit process's 32-bit mask cannot
// hold beyond 32. The machine's online count answers either way.
TEST(AllowedProcessorsWin32Test, NarrowedMaskCountsElseTheRegistry) {
    HANDLE self = GetCurrentProcess();
    DWORD_PTR process = 0, system = 0;
    ASSERT_TRUE(GetProcessAffinityMask(self, &process, &system));
    const int online = CountOnlineProcessors();
    EXPECT_GE(online, 1);
    if (process == system) {
        EXPECT_EQ(CountAllowedProcessors(), 0);
        EXPECT_EQ(CountProcessors(), CountProcessorsIn(SystemRegistry()));
    }
    if ((process & (process - 1)) == 0) GTEST_SKIP() << "one processor: nothing to narrow";
    ASSERT_TRUE(SetProcessAffinityMask(self, process & (~process + 1)));  // the lowest
    int allowed = CountAllowedProcessors();
    int cores = CountProcessors();
    ASSERT_TRUE(SetProcessAffinityMask(self, process));
    EXPECT_EQ(allowed, 1);
    EXPECT_EQ(cores, 1);
    EXPECT_EQ(CountOnlineProcessors(), online) << "the machine's stays";
}

}  // namespace
