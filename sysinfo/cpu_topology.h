// Packages, cores, threads and caches, counted from the system's per-processor records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/cpu_topology.h"

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
    bool known;  // false: nothing could be read, every count is 0
};

// Counts distinct (package, core) pairs and distinct cache instances (level, type,
// shareKey); level 2 and 3 take data and unified caches alike.
void BuildCpuTopology(const std::vector<LogicalCpuRecord>& cpus,
                      const std::vector<CacheRecord>& caches, CpuTopology* out);

// This machine's, through the platform's records.
void ReadCpuTopology(CpuTopology* out);

// "2 packages, 64 cores, 128 threads; L1d 48 KiB x 64, L1i 32 KiB x 64, L2 2 MiB x 64,
// L3 105 MiB x 2"; a hybrid: "1 package, 14 cores (6 performance, 8 efficiency), 20
// threads; L1d 48 KiB x 6 + 32 KiB x 8, ..."; unknown parts left out; "" when not known.
void FormatCpuTopology(const CpuTopology& topology, char* out, size_t size);

// "48 KiB", "2 MiB", "1.25 MiB": a size as the caches' text writes it, locale-free.
void FormatCacheSize(uint64_t bytes, char* out, size_t size);
