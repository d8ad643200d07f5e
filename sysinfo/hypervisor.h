// The hypervisor a system runs under, as the processor tells it through CPUID.
#pragma once

#include "sysinfo/cpuid_leaves.h"

struct HypervisorIdentity {
    bool present;        // leaf 1 ECX bit 31: a hypervisor says it is there
    bool rootPartition;  // Hyper-V's root partition: the system is the host, not a guest
    char signature[13];  // leaf 0x40000000's 12 bytes as text, trimmed, others as '?'
    // "KVM", "Microsoft Hyper-V", ...; the signature when it is not a known one; "Unknown"
    // when there is none; empty when no hypervisor is present.
    char name[40];
};

void DecodeHypervisor(const CpuidLeaves& leaves, HypervisorIdentity* out);
