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
    if (bytes == 0 || out->count == kCpuidCacheSubleaves) return;
    for (int i = 0; i < out->count; ++i)  // one cache per level and kind; repeated reads repeat it
        if (out->caches[i].level == level && out->caches[i].type == type) return;
    out->caches[out->count++] = CpuidCache{level, type, bytes, scope, 0};
}

// The cache descriptors of leaf 2 as Intel's manual lists them; the other bytes describe TLBs
// and prefetching. The trace caches (0x70-0x73) hold decoded micro-ops, not bytes, so they
// are no L1i of a size. 0x40 says "no L2, or no L3 beside a valid L2": nothing to add.
struct Descriptor {
    uint8_t code;
    uint8_t level;
    char type;
    uint16_t kib;
};
constexpr Descriptor kDescriptors[] = {
    {0x06, 1, 'I', 8},     {0x08, 1, 'I', 16},    {0x09, 1, 'I', 32},    {0x0A, 1, 'D', 8},
    {0x0C, 1, 'D', 16},    {0x0D, 1, 'D', 16},    {0x0E, 1, 'D', 24},    {0x1D, 2, 'U', 128},
    {0x21, 2, 'U', 256},   {0x22, 3, 'U', 512},   {0x23, 3, 'U', 1024},  {0x24, 2, 'U', 1024},
    {0x25, 3, 'U', 2048},  {0x29, 3, 'U', 4096},  {0x2C, 1, 'D', 32},    {0x30, 1, 'I', 32},
    {0x39, 2, 'U', 128},   {0x3A, 2, 'U', 192},   {0x3B, 2, 'U', 128},   {0x3C, 2, 'U', 256},
    {0x3D, 2, 'U', 384},   {0x3E, 2, 'U', 512},   {0x41, 2, 'U', 128},   {0x42, 2, 'U', 256},
    {0x43, 2, 'U', 512},   {0x44, 2, 'U', 1024},  {0x45, 2, 'U', 2048},  {0x46, 3, 'U', 4096},
    {0x47, 3, 'U', 8192},  {0x48, 2, 'U', 3072},  {0x49, 2, 'U', 4096},  {0x4A, 3, 'U', 6144},
    {0x4B, 3, 'U', 8192},  {0x4C, 3, 'U', 12288}, {0x4D, 3, 'U', 16384}, {0x4E, 2, 'U', 6144},
    {0x60, 1, 'D', 16},    {0x66, 1, 'D', 8},     {0x67, 1, 'D', 16},    {0x68, 1, 'D', 32},
    {0x78, 2, 'U', 1024},  {0x79, 2, 'U', 128},   {0x7A, 2, 'U', 256},   {0x7B, 2, 'U', 512},
    {0x7C, 2, 'U', 1024},  {0x7D, 2, 'U', 2048},  {0x7F, 2, 'U', 512},   {0x80, 2, 'U', 512},
    {0x82, 2, 'U', 256},   {0x83, 2, 'U', 512},   {0x84, 2, 'U', 1024},  {0x85, 2, 'U', 2048},
    {0x86, 2, 'U', 512},   {0x87, 2, 'U', 1024},  {0xD0, 3, 'U', 512},   {0xD1, 3, 'U', 1024},
    {0xD2, 3, 'U', 2048},  {0xD6, 3, 'U', 1024},  {0xD7, 3, 'U', 2048},  {0xD8, 3, 'U', 4096},
    {0xDC, 3, 'U', 1536},  {0xDD, 3, 'U', 3072},  {0xDE, 3, 'U', 6144},  {0xE2, 3, 'U', 2048},
    {0xE3, 3, 'U', 4096},  {0xE4, 3, 'U', 8192},  {0xEA, 3, 'U', 12288}, {0xEB, 3, 'U', 18432},
    {0xEC, 3, 'U', 24576},
};

// Leaf 2, Intel's only: Cyrix used the same leaf with descriptors of its own. AL, byte 0 of
// EAX, is the read count, no descriptor; a register with bit 31 set holds none.
void DecodeDescriptors(const CpuidLeaves& leaves, CpuidCaches* out) {
    char vendor[12];
    VendorSignatureBytes(leaves.leaf0, vendor);
    if (std::memcmp(vendor, "GenuineIntel", 12) != 0) return;
    const uint32_t eax1 = leaves.leaf1.eax;
    // 0x49 is the L3 of the Xeon MP of family 15 model 6, elsewhere an L2.
    const bool xeonMp =
        (eax1 >> 8 & 0xF) == 0xF && (eax1 >> 4 & 0xF) == 6 && (eax1 >> 16 & 0xF) == 0;
    const uint64_t kKiB = 1024;
    for (const CpuidWords& words : leaves.leaf2) {
        const uint32_t registers[] = {words.eax, words.ebx, words.ecx, words.edx};
        for (int r = 0; r < 4; ++r) {
            if (registers[r] >> 31) continue;
            for (int b = r == 0 ? 1 : 0; b < 4; ++b) {
                const uint32_t code = registers[r] >> (8 * b) & 0xFF;
                if (code == 0xFF) {  // "see leaf 4": none of these bytes are caches then
                    out->count = 0;
                    return;
                }
                for (const Descriptor& d : kDescriptors)
                    if (d.code == code) {
                        const int level = code == 0x49 && xeonMp ? 3 : d.level;
                        AddLegacy(level, d.type, d.kib * kKiB,
                                  level == 3 ? CpuidCache::kPackage : CpuidCache::kCore, out);
                    }
            }
        }
    }
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
    if (l3 >> 12 & 0xF)
        AddLegacy(3, 'U', uint64_t{l3 >> 18} * 512 * kKiB, CpuidCache::kPackage, out);
}

}  // namespace

void DecodeCpuidCaches(const CpuidLeaves& leaves, CpuidCaches* out) {
    std::memset(out, 0, sizeof *out);
    // Leaf 0x1A EAX 31:24: 0x40 a performance core, 0x20 an efficiency core.
    const uint32_t kind = leaves.leaf1A.eax >> 24;
    out->coreType = kind == 0x40 ? 1 : kind == 0x20 ? 2 : 0;
    if (DecodeDeterministic(leaves.leaf4, out) > 0) return;
    if (DecodeDeterministic(leaves.leaf8000001D, out) > 0) return;
    DecodeDescriptors(leaves, out);
    if (out->count == 0) DecodeLegacy(leaves, out);
}
