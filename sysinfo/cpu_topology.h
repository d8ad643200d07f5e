// Packages, cores, threads and caches, counted from the system's per-processor records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/cpu_topology.h"
#include "sysinfo/cpuid_caches.h"

struct CpuTopology {
    int packages, cores, logical;
    int performanceCores, efficiencyCores;  // 0 where unknown or not hybrid
    struct CacheLevel {
        uint64_t bytes;       // per instance; 0 when instances differ (hybrid) or unknown
        int instances;        // 0 when the level is unknown
        uint64_t totalBytes;  // all instances together
        // Instances grouped by size, in processor order: a hybrid's two core kinds.
        struct SizeGroup {
            uint64_t bytes;
            int instances;
        } groups[4];
        int groupCount;
    } l1d, l1i, l2, l3;
    bool known;            // false: nothing could be read, every count is 0
    bool cachesFromCpuid;  // the system listed no caches; the levels are the processor's
};

// Counts distinct (package, core) pairs and distinct cache instances (level, type,
// shareKey); level 2 and 3 take data and unified caches alike.
void BuildCpuTopology(const std::vector<LogicalCpuRecord>& cpus,
                      const std::vector<CacheRecord>& caches, CpuTopology* out);

// Where the records list no caches at all: the levels the processor describes, one size
// per level, on a hybrid only for the processors of the kind that described them. Instances
// from the APIC IDs where every such processor has one, else estimated from the threads
// sharing each (level 1 one per core); never fewer than the packages nor more than the
// cores. `cpus` are the records `topology` was built from. Levels the records gave stay.
void AddCpuidCaches(const CpuidCaches& caches, const std::vector<LogicalCpuRecord>& cpus,
                    CpuTopology* topology);

// How many instances of a cache whose sharing figure (leaf 4's EAX 25:14, plus 1) is
// `sharing` the processors hold: the figure counts APIC-ID slots, not processors present, so
// those whose IDs agree above the lowest ceil(log2(sharing)) bits, in one package, share
// one. 0 when a processor has no APIC ID.
int CountCacheInstances(const std::vector<LogicalCpuRecord>& cpus, int sharing);

// This machine's, through the platform's records.
void ReadCpuTopology(CpuTopology* out);
// The same, with the caches `leaves` describe where the records hold none.
void ReadCpuTopology(const CpuidLeaves& leaves, CpuTopology* out);

// "2 packages, 64 cores, 128 threads; L1d 48 KiB x 64, L1i 32 KiB x 64, L2 2 MiB x 64,
// L3 105 MiB x 2" (and " (caches from CPUID)" where they are); a hybrid: "1 package, 14 cores (6
// performance, 8 efficiency), 20 threads; L1d 48 KiB x 6 + 32 KiB x 8, ..."; unknown parts left
// out; "" when not known.
void FormatCpuTopology(const CpuTopology& topology, char* out, size_t size);

// "48 KiB", "2 MiB", "1.25 MiB": a size as the caches' text writes it, locale-free.
void FormatCacheSize(uint64_t bytes, char* out, size_t size);
