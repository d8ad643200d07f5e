#include "sysinfo/cpuid_caches.h"

#include <cstring>

namespace {

// Leaf 4 and 0x8000001D share one layout: EAX type (4:0), level (7:5), threads sharing - 1
// (25:14); EBX ways - 1 (31:22), partitions - 1 (21:12), line size - 1 (11:0); ECX sets - 1.
int DecodeDeterministic(const CpuidWords subleaves[kCpuidCacheSubleaves], CpuidCaches* out) {
    for (int i = 0; i < kCpuidCacheSubleaves; ++i) {
        const CpuidWords& w = subleaves[i];
        const uint32_t type = w.eax & 0x1F;
        if (type == 0) break;
        if (type > 3 || out->count == kCpuidCacheSubleaves) continue;  // types 4-31 reserved
        CpuidCache& cache = out->caches[out->count];
        cache.level = static_cast<int>(w.eax >> 5 & 7);
        cache.type = type == 1 ? 'D' : type == 2 ? 'I' : 'U';
        cache.bytes = static_cast<uint64_t>((w.ebx >> 22) + 1) * ((w.ebx >> 12 & 0x3FF) + 1) *
                      ((w.ebx & 0xFFF) + 1) * (static_cast<uint64_t>(w.ecx) + 1);
        cache.scope = CpuidCache::kThreads;
        cache.sharingThreads = static_cast<int>((w.eax >> 14 & 0xFFF) + 1);
        if (cache.level > 0) ++out->count;
    }
    return out->count;
}

void AddLegacy(int level, char type, uint64_t bytes, CpuidCache::Scope scope, CpuidCaches* out) {
    if (bytes == 0) return;
    out->caches[out->count++] = CpuidCache{level, type, bytes, scope, 0};
}

// AMD's older leaves: 0x80000005 ECX/EDX L1 data/instruction size in KiB (31:24);
// 0x80000006 ECX L2 size in KiB (31:16), EDX L3 size in 512 KiB units (31:18) for the
// whole processor. An associativity field (15:12) of 0 means the cache is off. Intel leaves
// the L1 and L3 words zero, so only its L2 comes through.
void DecodeLegacy(const CpuidLeaves& leaves, CpuidCaches* out) {
    const uint64_t kKiB = 1024;
    AddLegacy(1, 'D', (leaves.leaf80000005.ecx >> 24) * kKiB, CpuidCache::kCore, out);
    AddLegacy(1, 'I', (leaves.leaf80000005.edx >> 24) * kKiB, CpuidCache::kCore, out);
    const uint32_t l2 = leaves.leaf80000006.ecx, l3 = leaves.leaf80000006.edx;
    if (l2 >> 12 & 0xF) AddLegacy(2, 'U', (l2 >> 16) * kKiB, CpuidCache::kCore, out);
    if (l3 >> 12 & 0xF) AddLegacy(3, 'U', uint64_t{l3 >> 18} * 512 * kKiB, CpuidCache::kPackage, out);
}

}  // namespace

void DecodeCpuidCaches(const CpuidLeaves& leaves, CpuidCaches* out) {
    std::memset(out, 0, sizeof *out);
    if (DecodeDeterministic(leaves.leaf4, out) > 0) return;
    if (DecodeDeterministic(leaves.leaf8000001D, out) > 0) return;
    DecodeLegacy(leaves, out);
}
