#include "sysinfo/cpu_identification.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "fakes/fake_system.h"

namespace {

uint32_t Signature(uint32_t extFamily, uint32_t extModel, uint32_t family, uint32_t model,
                   uint32_t stepping) {
    return extFamily << 20 | extModel << 16 | family << 8 | model << 4 | stepping;
}

TEST(CpuFieldTest, SignatureExamples) {
    const std::pair<uint32_t, const char*> cases[] = {
        {Signature(0, 1, 6, 7, 0xA), "6/6 7/17 A"},
        {Signature(1, 0, 0xF, 4, 2), "F/1F 4/4 2"},
        {Signature(0xB, 0, 0xF, 2, 1), "F/BF 2/2 1"},  // family 26
        {Signature(0, 0, 0, 0, 0xF), "0/0 0/0 F"},
    };
    for (const auto& [signature, fields] : cases) {
        FakeCpuid cpuid;
        cpuid.leaves[1] = {signature, 0, 0, 0};
        char family[260], model[260], stepping[260];
        FormatCpuFamily(family, cpuid);
        FormatCpuModel(model, cpuid);
        FormatCpuStepping(stepping, cpuid);
        EXPECT_EQ(std::string(family) + " " + model + " " + stepping, fields);
    }
}

TEST(CpuFieldTest, InstructionList) {
    const uint32_t mmx = 1u << 23, sse = 1u << 25, sse2 = 1u << 26, tm = 1u << 29;
    const uint32_t sse3 = 1u << 0, ssse3 = 1u << 9;
    const struct {
        uint32_t edx, ecx, extendedMax, extendedEdx;
        const char* list;   // GetCpuField kind 1
        const char* field;  // the Instructions field
    } cases[] = {
        {mmx | sse | sse2 | tm, sse3 | ssse3, 0x80000008, 0,
         "MMX, SSE, SSE2, SSE3, SSSE3, Thermal Monitoring", "MMX, SSE, SSE2, SSE3, SSSE3"},
        {mmx, 0, 0x80000001, 1u << 31, "MMX, 3DNow", "MMX, 3DNow"},
        {mmx, 0, 0x80000000, 1u << 31, "MMX, 3DNow", "MMX, 3DNow"},  // 0x80000000 exactly counts
        {mmx, 0, 0x7FFFFFFF, 1u << 31, "MMX", "MMX"},
        {0, 0, 0, 0, "", ""},
        {0xFFFFFFFF, 0xFFFFFFFF, 0x80000001, 0xFFFFFFFF,
         "MMX, 3DNow, SSE, SSE2, SSE3, SSSE3, SSE4.1, SSE4.2, Thermal Monitoring",
         "MMX, 3DNow, SSE, SSE2, SSE3, SSSE3, SSE4.1, SSE4.2"},
    };
    for (const auto& c : cases) {
        FakeCpuid cpuid;
        cpuid.leaves[1] = {0, 0, c.ecx, c.edx};
        cpuid.leaves[0x80000000] = {c.extendedMax, 0, 0, 0};
        cpuid.leaves[0x80000001] = {0, 0, 0, c.extendedEdx};
        char list[260], field[260];
        EXPECT_EQ(GetCpuField(kCpuInstructions, list, cpuid), c.edx);
        FormatInstructions(field, cpuid);
        EXPECT_STREQ(list, c.list);
        EXPECT_STREQ(field, c.field);
    }
}

TEST(CpuFieldTest, UnknownKindsAndNullBuffer) {
    FakeCpuid cpuid;
    cpuid.leaves[1] = {0x306A9, 0, 0, 0xBFEBFBFF};
    char out[260] = "old";
    EXPECT_EQ(GetCpuField(0, out, cpuid), 0xBFEBFBFFu);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(GetCpuField(7, out, cpuid), 0xBFEBFBFFu);
    cpuid.calls = 0;
    EXPECT_EQ(GetCpuField(1, nullptr, cpuid), 0u);
    EXPECT_EQ(cpuid.calls, 0) << "a null buffer executes nothing";
}

// Vendor strings as the processors give them, blanks and all; no CPUID at all is "Other".
TEST(VendorTest, CodesAndShortNames) {
    // The vendor string, its code, its short name.
    const std::tuple<const char*, int, const char*> cases[] = {
        {"GenuineIntel", kVendorIntel, "Intel"},   {"AuthenticAMD", kVendorAmd, "AMD"},
        {"  Shanghai  ", kVendorOther, "Zhaoxin"}, {"VIA VIA VIA ", kVendorOther, "VIA"},
        {"SomethingNew", kVendorOther, "Other"},   {nullptr, kVendorOther, "Other"},
    };
    for (const auto& [vendor, code, name] : cases) {
        FakeCpuid cpuid;
        if (vendor) cpuid.SetVendor(vendor);
        char field[260];
        FormatVendor(field, cpuid);
        EXPECT_EQ(GetCpuVendor(cpuid), code) << (vendor ? vendor : "no CPUID");
        EXPECT_STREQ(field, name) << (vendor ? vendor : "no CPUID");
    }
}

}  // namespace
