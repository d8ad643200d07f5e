// The processors and caches as the system lists them: one record per logical processor
// and one per cache instance, for sysinfo/cpu_topology to count.
#pragma once

#include <cstdint>
#include <vector>

struct LogicalCpuRecord {
    int cpu;       // the system's number of the logical processor
    int package;   // any number the same for every processor of one package
    int core;      // any number the same for every processor of one core (within a package)
    int coreType;  // 0 unknown or not hybrid, 1 performance, 2 efficiency
    // (x2)APIC ID; -1 where not read (Linux reads it only where it lists no caches)
    int apicId = -1;
};

struct CacheRecord {
    int level;       // 1, 2, 3, ...
    char type;       // 'D' data, 'I' instruction, 'U' unified
    uint64_t bytes;  // size of this one instance
    int shareKey;    // the lowest processor that shares it: one key per instance of a level
};

// Fills both lists (emptied first); a cache record may come more than once. False when the
// system tells nothing of its processors (Windows XP, a Linux tree without topology); the
// caches may stay empty where the system does not list them.
bool ReadCpuTopologyRecords(std::vector<LogicalCpuRecord>* cpus, std::vector<CacheRecord>* caches);
