// The CPUID leaves the instruction-set, hypervisor and cache decoders need, read once into plain
// data, so the decoders are pure functions a test can hand any processor's words.
#pragma once

#include <cstdint>

#include "platform/cpu_instructions.h"

// More sub-leaves than any processor has caches (four or five), so a hypervisor that answers
// every sub-leaf alike cannot keep the reader going.
constexpr int kCpuidCacheSubleaves = 8;
// Leaf 2's AL says how many times to execute it for all its descriptors; every processor
// says 1, so a few reads are plenty.
constexpr int kCpuidLeaf2Reads = 4;

// A leaf the processor does not have stays all zeros: the reader asks only for leaves
// within the maxima the processor reports, because beyond them Intel processors answer
// with the highest basic leaf's words rather than zeros.
struct CpuidLeaves {
    CpuidWords leaf0;  // highest basic leaf, vendor
    CpuidWords leaf1;  // signature, basic features, OSXSAVE, hypervisor bit
    // Intel's cache and TLB descriptor bytes, one entry per execution (AL of the first).
    CpuidWords leaf2[kCpuidLeaf2Reads];
    CpuidWords leaf7;         // structured extended features, sub-leaf 0
    CpuidWords leaf7s1;       // structured extended features, sub-leaf 1
    CpuidWords leaf1A;        // a hybrid's kind of core that ran CPUID (leaf 7 EDX bit 15)
    CpuidWords leaf24;        // AVX10 version, where leaf 7.1 reports AVX10
    CpuidWords leaf80000000;  // highest extended leaf
    CpuidWords leaf80000001;  // extended features
    CpuidWords leaf40000000;  // hypervisor: highest hypervisor leaf and vendor signature
    CpuidWords leaf40000003;  // Hyper-V partition privileges (signature "Microsoft Hv" only)
    CpuidWords leaf40000100;  // a hypervisor behind Hyper-V's interface (the same only)
    // Deterministic cache parameters, one sub-leaf per cache, up to the first of type 0 (no
    // more caches): leaf 4 on Intel and others, 0x8000001D on AMD and Hygon with topology
    // extensions (0x80000001 ECX bit 22).
    CpuidWords leaf4[kCpuidCacheSubleaves];
    CpuidWords leaf8000001D[kCpuidCacheSubleaves];
    CpuidWords leaf80000005;  // AMD's L1 data and instruction caches
    CpuidWords leaf80000006;  // L2 (Intel and AMD) and L3 (AMD) caches
    uint64_t xcr0;            // state components the operating system has enabled
};

void ReadCpuidLeaves(CpuidLeaves* out, CpuidSource& cpuid = SystemCpuid());

// The 12 signature bytes of a hypervisor leaf (EBX, ECX, EDX, in that order) into `out`.
void HypervisorSignatureBytes(const CpuidWords& leaf, char out[12]);

// The 12 vendor bytes of leaf 0 ("GenuineIntel": EBX, EDX, ECX, in that order) into `out`.
void VendorSignatureBytes(const CpuidWords& leaf0, char out[12]);
