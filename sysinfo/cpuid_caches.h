// The caches the processor describes through CPUID, for systems that list none themselves
// (virtual machines whose kernel finds no cache records).
#pragma once

#include <cstdint>

#include "sysinfo/cpuid_leaves.h"

struct CpuidCache {
    int level;       // 1, 2, 3
    char type;       // 'D' data, 'I' instruction, 'U' unified
    uint64_t bytes;  // one instance
    // Who shares one instance: the logical processors counted in `sharingThreads` (the
    // deterministic leaves' figure, a power of two that may exceed the threads present), or,
    // from the leaves that give no figure (Intel's descriptors, AMD's older leaves), one core
    // or one whole package.
    enum Scope { kThreads, kCore, kPackage } scope;
    int sharingThreads;  // kThreads only
};

struct CpuidCaches {
    CpuidCache caches[kCpuidCacheSubleaves];
    int count;  // 0: the processor describes no caches
    // A hybrid describes only the kind of core that ran CPUID: 1 performance, 2 efficiency
    // (as LogicalCpuRecord numbers them); 0 on other processors.
    int coreType;
};

// From leaf 4 where it lists caches, else 0x8000001D, else Intel's leaf 2 descriptors, else
// 0x80000005/0x80000006.
void DecodeCpuidCaches(const CpuidLeaves& leaves, CpuidCaches* out);
