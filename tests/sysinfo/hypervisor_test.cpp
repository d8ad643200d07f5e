#include "sysinfo/hypervisor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

namespace {

CpuidWords SignatureLeaf(uint32_t maxLeaf, const char bytes[12]) {
    CpuidWords words = {maxLeaf, 0, 0, 0};
    std::memcpy(&words.ebx, bytes, 4);
    std::memcpy(&words.ecx, bytes + 4, 4);
    std::memcpy(&words.edx, bytes + 8, 4);
    return words;
}

CpuidLeaves UnderHypervisor(const char bytes[12]) {
    CpuidLeaves leaves{};
    leaves.leaf1.ecx = 1u << 31;
    leaves.leaf40000000 = SignatureLeaf(0x40000001, bytes);
    return leaves;
}

// Present, root partition, name, signature.
std::tuple<bool, bool, std::string, std::string> Identity(const CpuidLeaves& leaves) {
    HypervisorIdentity h;
    DecodeHypervisor(leaves, &h);
    return {h.present, h.rootPartition, h.name, h.signature};
}

// Signatures with blanks, padding, case and odd bytes; plain ones come with the CPUID dumps,
// and no hypervisor bit with InstructionSetsTest.LeavesBeyondTheReportedMaximaAreNotRead.
TEST(HypervisorTest, SignaturesToNames) {
    // 12 bytes, the name, the signature shown; an unknown one is named by its signature,
    // printable only.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"bhyve bhyve ", "bhyve", "bhyve bhyve"},
        {"BHyVE BHyVE ", "bhyve", "BHyVE BHyVE"},
        {" QNXQVMBSQG ", "QNX Hypervisor", "QNXQVMBSQG"},
        {" lrpepyh  vr", "Parallels", "lrpepyh  vr"},
        {"NewVisor 1.0", "NewVisor 1.0", "NewVisor 1.0"},
        {"Bad\x01\x1b[2J\xff\0\0", "Bad??[2J?", "Bad??[2J?"},
        {"\0\0\0\0\0\0\0\0\0\0\0\0", "Unknown", ""}};
    for (const auto& [bytes, name, signature] : cases)
        EXPECT_EQ(Identity(UnderHypervisor(bytes)), std::make_tuple(true, false, name, signature));
}

TEST(HypervisorTest, HyperVInterfaceOfOtherHypervisorsAndTheRootPartition) {
    // A Windows host with Hyper-V on runs in the root partition: not a guest.
    CpuidLeaves leaves = UnderHypervisor("Microsoft Hv");
    leaves.leaf40000003.ebx = 1u << 0 | 1u << 12;  // CreatePartitions, CpuManagement
    EXPECT_EQ(Identity(leaves), std::make_tuple(true, true, "Microsoft Hyper-V", "Microsoft Hv"));
    leaves.leaf40000003.ebx = 1u << 0;  // a nested partition that may create others
    EXPECT_EQ(Identity(leaves), std::make_tuple(true, false, "Microsoft Hyper-V", "Microsoft Hv"));

    // KVM offering Hyper-V's interface to a Windows guest keeps its own one range up.
    leaves = UnderHypervisor("Microsoft Hv");
    leaves.leaf40000100 = SignatureLeaf(0x40000101, "KVMKVMKVM\0\0\0");
    EXPECT_EQ(Identity(leaves), std::make_tuple(true, false, "KVM", "Microsoft Hv"));
    leaves.leaf40000100 = SignatureLeaf(0, "\x13\x37junkjunkjk");
    EXPECT_EQ(Identity(leaves), std::make_tuple(true, false, "Microsoft Hyper-V", "Microsoft Hv"));
}

}  // namespace
