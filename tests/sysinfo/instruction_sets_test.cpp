#include "sysinfo/instruction_sets.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include "fakes/linux_file.h"
#include "sysinfo/cpuid_test_support.h"

namespace {

TEST(InstructionSetsTest, RealProcessors) {
    const std::string legacy = "MMX, SSE, SSE2, SSE3, SSSE3, SSE4.1, SSE4.2";
    const std::string avx2 = "AVX, F16C, FMA3, AVX2, BMI1, BMI2";
    const std::string sha = ", AES-NI, PCLMULQDQ, SHA, GFNI, " + avx2 + ", VAES, VPCLMULQDQ";
    const std::string avx512 =
        ", AVX-512F, AVX-512CD, AVX-512DQ, AVX-512BW, AVX-512VL, AVX-512IFMA, AVX-512VBMI, "
        "AVX-512VBMI2, AVX-512VNNI, AVX-512BITALG, AVX-512VPOPCNTDQ, AVX-512BF16";
    // The file, its sets, its hypervisor (empty on bare metal).
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"intel-xeon-6980p-granite-rapids.txt",
         legacy + sha + ", AVX-VNNI" + avx512 +
             ", AVX-512FP16, AVX10.1, AMX-TILE, AMX-INT8, AMX-BF16, AMX-FP16",
         ""},
        // Leaf 7 reports AVX-512, XCR0 has no ZMM state: none of it may show.
        {"intel-xeon-gold-6148-skylake-vmware-no-avx512-state.txt",
         legacy + ", AES-NI, PCLMULQDQ, " + avx2, "VMware"},
        {"amd-epyc-zen5-bhyve.txt",
         legacy + ", SSE4a" + sha + ", AVX-VNNI" + avx512 + ", AVX-512VP2INTERSECT", "bhyve"},
        {"via-nano-u2250-isaiah.txt", "MMX, SSE, SSE2, SSE3, SSSE3", ""},
    };
    for (const auto& [file, sets, hypervisor] : cases) {
        const Decoded d = DecodeDump(file);
        EXPECT_EQ(d.text, sets) << file;
        EXPECT_STREQ(d.hypervisor.name, hypervisor) << file;
    }
}

// Beyond the highest leaf it reports, an Intel processor answers with other leaves' words;
// the reader must not take them for features.
TEST(InstructionSetsTest, LeavesBeyondTheReportedMaximaAreNotRead) {
    FakeCpuid cpuid;
    cpuid.leaves[0] = {6, 0, 0, 0};  // leaf 7 not reported
    cpuid.leaves[1] = {0, 0, 1u << 27 | 1u << 28, 1u << 25};
    cpuid.leaves[7] = {1, 1u << 5 | 1u << 16, 0, 0};
    cpuid.subleaves[{7, 1}] = {1u << 4, 0, 0, 0};
    cpuid.leaves[0x80000000] = {0x00000D02, 0, 0, 0};  // no extended range at all
    cpuid.leaves[0x80000001] = {0, 0, 1u << 6, 1u << 31};
    cpuid.leaves[0x40000000] = {0x40000001, 0x4b4d564b, 0x564b4d56, 0x4d};  // no hypervisor bit
    cpuid.xcr0 = 0xE7;
    Decoded d = Decode(cpuid);
    EXPECT_EQ(d.text, "SSE, AVX");
    EXPECT_FALSE(d.hypervisor.present);
    EXPECT_STREQ(d.hypervisor.name, "");

    // Sub-leaf 1 only where sub-leaf 0 counts it; leaf 0x24 only with the AVX10 bit.
    cpuid.leaves[0] = {0x24, 0, 0, 0};
    cpuid.leaves[7] = {0, 1u << 5, 0, 0};
    cpuid.subleaves[{7, 1}] = {1u << 4, 0, 0, 1u << 19};
    cpuid.leaves[0x24] = {0, 2, 0, 0};
    d = Decode(cpuid);
    EXPECT_EQ(d.leaves.leaf7s1.eax, 0u);
    EXPECT_EQ(d.leaves.leaf24.ebx, 0u);
}

TEST(InstructionSetsTest, VectorSetsNeedTheirStateEnabled) {
    FakeCpuid cpuid;
    cpuid.leaves[0] = {0x24, 0, 0, 0};
    cpuid.leaves[1] = {0, 0, 1u << 27 | 1u << 28 | 1u << 20, 1u << 25};  // SSE4.2, AVX, OSXSAVE
    cpuid.leaves[7] = {1, 1u << 3 | 1u << 16 | 1u << 30, 0, 1u << 24 | 1u << 25};
    cpuid.subleaves[{7, 1}] = {0, 0, 0, 1u << 19 | 1u << 21};  // AVX10, APX
    cpuid.leaves[0x24] = {0, 0x00070002, 0, 0};
    // OSXSAVE, XCR0, the sets listed.
    const std::tuple<uint32_t, uint64_t, const char*> cases[] = {
        {1, 0x3, "SSE, SSE4.2, BMI1"},  // no upper YMM: nothing VEX-encoded on vectors
        {1, 0x7, "SSE, SSE4.2, AVX, BMI1"},
        {1, 0xA7, "SSE, SSE4.2, AVX, BMI1"},  // ZMM0-15 upper halves missing
        {1, 0xE7, "SSE, SSE4.2, AVX, BMI1, AVX-512F, AVX-512BW, AVX10.2"},
        {1, 0x200E7, "SSE, SSE4.2, AVX, BMI1, AVX-512F, AVX-512BW, AVX10.2"},  // tile data off
        {1, 0x600E7, "SSE, SSE4.2, AVX, BMI1, AVX-512F, AVX-512BW, AVX10.2, AMX-TILE, AMX-INT8"},
        {1, 0x80007, "SSE, SSE4.2, AVX, BMI1, APX"},
        {0, 0xE00E7, "SSE, SSE4.2, BMI1"},  // XCR0 means nothing without OSXSAVE
    };
    for (const auto& [osxsave, xcr0, sets] : cases) {
        cpuid.leaves[1].ecx = (cpuid.leaves[1].ecx & ~(1u << 27)) | osxsave << 27;
        cpuid.xcr0 = xcr0;
        const Decoded d = Decode(cpuid);
        EXPECT_EQ(d.text, sets) << std::hex << xcr0;
        EXPECT_EQ(d.sets.avx10Version, HasInstructionSet(d.sets, "AVX10.2") ? 2 : 0);
    }

    // Subsets without the foundation, tile sets without AMX-TILE: their registers' rules are
    // not there to use.
    cpuid.leaves[1].ecx |= 1u << 27;
    cpuid.leaves[7] = {1, 1u << 30 | 1u << 31, 0, 1u << 25};
    cpuid.xcr0 = 0x600E7;
    EXPECT_EQ(Decode(cpuid).text, "SSE, SSE4.2, AVX, AVX10.2");
}

TEST(InstructionSetsTest, EverySetFitsTheListAndItsText) {
    FakeCpuid cpuid;
    cpuid.leaves[0] = {0x24, 0, 0, 0};
    cpuid.leaves[1] = {0, 0, 0xFFFFFFFF, 0xFFFFFFFF};
    cpuid.leaves[7] = {1, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    cpuid.subleaves[{7, 1}] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    cpuid.leaves[0x24] = {0, 0xFF, 0, 0};
    cpuid.leaves[0x80000000] = {0x80000001, 0, 0, 0};
    cpuid.leaves[0x80000001] = {0, 0, 0xFFFFFFFF, 0xFFFFFFFF};
    cpuid.xcr0 = ~0ull;
    const Decoded d = Decode(cpuid);
    EXPECT_EQ(d.sets.count, 56);
    EXPECT_TRUE(HasInstructionSet(d.sets, "AVX10.255"));
    std::set<std::string> unique(&d.sets.names[0], &d.sets.names[0] + d.sets.count);
    EXPECT_EQ(unique.size(), static_cast<size_t>(d.sets.count)) << "a name listed twice";
    EXPECT_EQ(d.text.rfind("MMX, 3DNow, SSE, ", 0), 0u) << d.text;
    EXPECT_EQ(d.text.substr(d.text.size() - 5), ", APX") << d.text;

    // A short buffer ends after the last whole name, never inside one.
    char text[16];
    EXPECT_EQ(FormatInstructionSets(d.sets, text, 16), 15u);
    EXPECT_STREQ(text, "MMX, 3DNow, SSE");
    EXPECT_EQ(FormatInstructionSets(d.sets, text, 15), 10u);
    EXPECT_STREQ(text, "MMX, 3DNow");
    EXPECT_EQ(FormatInstructionSets(d.sets, text, 3), 0u);
    EXPECT_STREQ(text, "");
}

// What this processor reports, against the flags the kernel lists, natively and under Wine.
TEST(InstructionSetsTest, ThisMachineAgreesWithTheKernel) {
    const std::string cpuinfo = ReadLinuxFile("/proc/cpuinfo");
    const size_t flagsAt = cpuinfo.find("\nflags");
    if (flagsAt == std::string::npos) GTEST_SKIP() << "no /proc/cpuinfo flags here";
    std::istringstream line(
        cpuinfo.substr(cpuinfo.find(':', flagsAt) + 1, cpuinfo.find('\n', flagsAt + 1) - flagsAt));
    std::set<std::string> flags;
    for (std::string flag; line >> flag;) flags.insert(flag);

    const Decoded d = Decode(SystemCpuid());

    // The kernel's names for the sets it shows; from "avx" on, sets that need register state
    // the kernel enables. A set that needs none may be missing from the kernel's list while
    // the processor reports it to programs: a paravirtualised kernel reads CPUID through its
    // hypervisor, which may filter it.
    std::istringstream known(
        "mmx MMX 3dnow 3DNow sse SSE sse2 SSE2 pni SSE3 ssse3 SSSE3 sse4_1 SSE4.1 sse4_2 SSE4.2 "
        "sse4a SSE4a aes AES-NI pclmulqdq PCLMULQDQ sha_ni SHA gfni GFNI bmi1 BMI1 bmi2 BMI2 "
        "avx AVX f16c F16C fma FMA3 fma4 FMA4 xop XOP avx2 AVX2 vaes VAES vpclmulqdq VPCLMULQDQ "
        "avx_vnni AVX-VNNI avx512f AVX-512F avx512cd AVX-512CD avx512dq AVX-512DQ "
        "avx512bw AVX-512BW avx512vl AVX-512VL avx512ifma AVX-512IFMA avx512vbmi AVX-512VBMI "
        "avx512_vbmi2 AVX-512VBMI2 avx512_vnni AVX-512VNNI avx512_bitalg AVX-512BITALG "
        "avx512_vpopcntdq AVX-512VPOPCNTDQ avx512_bf16 AVX-512BF16 avx512_fp16 AVX-512FP16 "
        "avx512_vp2intersect AVX-512VP2INTERSECT avx512er AVX-512ER avx512pf AVX-512PF "
        "avx512_4vnniw AVX-512_4VNNIW avx512_4fmaps AVX-512_4FMAPS "
        "amx_tile AMX-TILE amx_int8 AMX-INT8 amx_bf16 AMX-BF16");
    bool needsState = false;
    for (std::string flag, set; known >> flag >> set;) {
        needsState = needsState || flag == "avx";
        const bool kernel = flags.count(flag) != 0;
        const bool decoded = HasInstructionSet(d.sets, set.c_str());
        EXPECT_TRUE(decoded || !kernel) << set << ": the kernel lists " << flag;
        EXPECT_TRUE(kernel || !decoded || !needsState)
            << set << " listed, but the kernel has not enabled " << flag;
    }
    EXPECT_EQ(d.hypervisor.present, flags.count("hypervisor") != 0);
    std::printf("this machine: %s\nhypervisor: %s\n", d.text.c_str(),
                d.hypervisor.present ? d.hypervisor.name : "none");
}

}  // namespace
