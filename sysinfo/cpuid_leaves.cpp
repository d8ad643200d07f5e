#include "sysinfo/cpuid_leaves.h"

#include <cstring>

void HypervisorSignatureBytes(const CpuidWords& leaf, char out[12]) {
    std::memcpy(out, &leaf.ebx, 4);
    std::memcpy(out + 4, &leaf.ecx, 4);
    std::memcpy(out + 8, &leaf.edx, 4);
}

void VendorSignatureBytes(const CpuidWords& leaf0, char out[12]) {
    std::memcpy(out, &leaf0.ebx, 4);
    std::memcpy(out + 4, &leaf0.edx, 4);
    std::memcpy(out + 8, &leaf0.ecx, 4);
}

namespace {

// Sub-leaves until the first whose cache type (EAX bits 4:0) is 0, "no more caches".
void ReadCacheSubleaves(CpuidSource& cpuid, uint32_t leaf, CpuidWords out[kCpuidCacheSubleaves]) {
    for (uint32_t i = 0; i < kCpuidCacheSubleaves; ++i) {
        const CpuidWords words = cpuid.Execute(leaf, i);
        if ((words.eax & 0x1F) == 0) break;
        out[i] = words;
    }
}

}  // namespace

void ReadCpuidLeaves(CpuidLeaves* out, CpuidSource& cpuid) {
    std::memset(out, 0, sizeof *out);
    out->leaf0 = cpuid.Execute(0);
    const uint32_t maxBasic = out->leaf0.eax;
    if (maxBasic >= 1) out->leaf1 = cpuid.Execute(1);
    if (maxBasic >= 2) {
        out->leaf2[0] = cpuid.Execute(2);
        const uint32_t reads = out->leaf2[0].eax & 0xFF;
        for (uint32_t i = 1; i < reads && i < kCpuidLeaf2Reads; ++i)
            out->leaf2[i] = cpuid.Execute(2);
    }
    if (maxBasic >= 4) ReadCacheSubleaves(cpuid, 4, out->leaf4);
    if (maxBasic >= 7) {
        out->leaf7 = cpuid.Execute(7, 0);
        if (out->leaf7.eax >= 1) out->leaf7s1 = cpuid.Execute(7, 1);
    }
    if (maxBasic >= 0x1A && (out->leaf7.edx >> 15 & 1)) out->leaf1A = cpuid.Execute(0x1A, 0);
    if (maxBasic >= 0x24 && (out->leaf7s1.edx >> 19 & 1)) out->leaf24 = cpuid.Execute(0x24, 0);

    // A processor without extended leaves may answer with anything; only a value in the
    // extended range counts.
    out->leaf80000000 = cpuid.Execute(0x80000000);
    const uint32_t maxExtended = out->leaf80000000.eax;
    if (maxExtended >= 0x80000001 && maxExtended <= 0x8000FFFF)
        out->leaf80000001 = cpuid.Execute(0x80000001);
    // Each leaf by its own number: AMD's K5 and K6-2 stop at 0x80000005, their L1 caches.
    if (maxExtended >= 0x80000005 && maxExtended <= 0x8000FFFF)
        out->leaf80000005 = cpuid.Execute(0x80000005);
    if (maxExtended >= 0x80000006 && maxExtended <= 0x8000FFFF)
        out->leaf80000006 = cpuid.Execute(0x80000006);
    if (maxExtended >= 0x8000001D && maxExtended <= 0x8000FFFF && (out->leaf80000001.ecx >> 22 & 1))
        ReadCacheSubleaves(cpuid, 0x8000001D, out->leaf8000001D);

    // The hypervisor range means something only when leaf 1 says a hypervisor is present.
    if (out->leaf1.ecx >> 31 & 1) {
        out->leaf40000000 = cpuid.Execute(0x40000000);
        char signature[12];
        HypervisorSignatureBytes(out->leaf40000000, signature);
        if (std::memcmp(signature, "Microsoft Hv", 12) == 0) {
            // Hyper-V's root partition is the host itself, and KVM or Xen offering Hyper-V's
            // interface to Windows guests keep their own signature at 0x40000100.
            if (out->leaf40000000.eax >= 0x40000003) out->leaf40000003 = cpuid.Execute(0x40000003);
            out->leaf40000100 = cpuid.Execute(0x40000100);
        }
    }

    // XGETBV only where the operating system has switched it on; the seam checks this too.
    if (out->leaf1.ecx >> 27 & 1) out->xcr0 = cpuid.ReadXcr0();
}
