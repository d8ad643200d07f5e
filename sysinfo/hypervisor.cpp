#include "sysinfo/hypervisor.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

// Signatures compared without blanks and NULs, and without case: hypervisors and their
// versions pad and spell the same signature differently ("KVMKVMKVM\0\0\0", "bhyve bhyve ",
// "BHyVE BHyVE ", " lrpepyh  vr").
constexpr struct {
    const char* signature;
    const char* name;
} kHypervisors[] = {
    {"KVMKVMKVM", "KVM"},
    {"LinuxKVMHv", "KVM"},  // KVM's own Hyper-V interface
    {"MicrosoftHv", "Microsoft Hyper-V"},
    {"VMwareVMware", "VMware"},
    {"XenVMMXenVMM", "Xen"},
    {"VBoxVBoxVBox", "VirtualBox"},
    {"TCGTCGTCGTCG", "QEMU (TCG)"},
    {"bhyvebhyve", "bhyve"},
    {"ACRNACRNACRN", "ACRN"},
    {"QNXQVMBSQG", "QNX Hypervisor"},
    {"prlhyperv", "Parallels"},
    {"lrpepyhvr", "Parallels"},  // the same, with its bytes swapped in pairs
    {"HAXMHAXMHAXM", "Intel HAXM"},
    {"Jailhouse", "Jailhouse"},
    {"OpenBSDVMM58", "OpenBSD vmm"},
    {"___NVMM___", "NetBSD NVMM"},
    {"LKVMLKVMLKVM", "kvmtool"},
};

// The signature without blanks and NULs, for the comparison above.
void Compact(const char bytes[12], char out[13]) {
    int length = 0;
    for (int i = 0; i < 12; ++i)
        if (bytes[i] != ' ' && bytes[i] != '\0') out[length++] = bytes[i];
    out[length] = '\0';
}

bool SameIgnoringCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

const char* KnownName(const char bytes[12]) {
    char compact[13];
    Compact(bytes, compact);
    for (const auto& known : kHypervisors)
        if (SameIgnoringCase(compact, known.signature)) return known.name;
    return nullptr;
}

// Printable text of the 12 bytes: blanks and NULs trimmed at both ends, any other byte
// that is not printable ASCII shown as '?', so no control character reaches a display.
void SignatureText(const char bytes[12], char out[13]) {
    int begin = 0, end = 12;
    while (begin < end && (bytes[begin] == ' ' || bytes[begin] == '\0')) ++begin;
    while (end > begin && (bytes[end - 1] == ' ' || bytes[end - 1] == '\0')) --end;
    int length = 0;
    for (int i = begin; i < end; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        out[length++] = c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    out[length] = '\0';
}

}  // namespace

void DecodeHypervisor(const CpuidLeaves& leaves, HypervisorIdentity* out) {
    std::memset(out, 0, sizeof *out);
    out->present = (leaves.leaf1.ecx >> 31 & 1) != 0;
    if (!out->present) return;

    char bytes[12];
    HypervisorSignatureBytes(leaves.leaf40000000, bytes);
    SignatureText(bytes, out->signature);
    const char* name = KnownName(bytes);

    if (std::memcmp(bytes, "Microsoft Hv", 12) == 0) {
        // Partition privileges, high half: CreatePartitions (bit 0) and CpuManagement
        // (bit 12) belong to the root partition, the Windows that hosts the others.
        const uint32_t privileges = leaves.leaf40000003.ebx;
        out->rootPartition = (privileges & 1) && (privileges >> 12 & 1);
        // KVM and Xen answer Windows guests with Hyper-V's interface first and keep their
        // own signature one range up.
        char behind[12];
        HypervisorSignatureBytes(leaves.leaf40000100, behind);
        const char* other = KnownName(behind);
        if (other && std::strcmp(other, "Microsoft Hyper-V") != 0) name = other;
    }

    if (name)
        std::snprintf(out->name, sizeof out->name, "%s", name);
    else if (out->signature[0])
        std::snprintf(out->name, sizeof out->name, "%s", out->signature);
    else
        std::snprintf(out->name, sizeof out->name, "Unknown");
}
