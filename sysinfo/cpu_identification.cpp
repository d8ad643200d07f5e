#include "sysinfo/cpu_identification.h"

#include <cstdio>
#include <cstring>

#include "sysinfo/cpuid_leaves.h"
#include "sysinfo/system_summary.h"
#include "text/replace.h"

namespace {

enum FeatureWord { kBasicEdx, kBasicEcx, kExtendedEdx };

struct Extension {
    FeatureWord word;
    int bit;
    const char* text;
};

// Tested in this order, which is also the order of the list.
constexpr Extension kExtensions[] = {
    {kBasicEdx, 23, "MMX, "},
    {kExtendedEdx, 31, "3DNow, "},
    {kBasicEdx, 25, "SSE, "},
    {kBasicEdx, 26, "SSE2, "},
    {kBasicEcx, 0, "SSE3, "},
    {kBasicEcx, 9, "SSSE3, "},
    {kBasicEcx, 19, "SSE4.1, "},
    {kBasicEcx, 20, "SSE4.2, "},
    {kBasicEdx, 29, "Thermal Monitoring, "},
};

void JoinFields(int first, int second, char* out, CpuidSource& cpuid) {
    char a[80] = "", b[80] = "";  // GetCpuField writes at most 73
    GetCpuField(first, a, cpuid);
    GetCpuField(second, b, cpuid);
    std::snprintf(out, kFieldTextSize, "%s/%s", a, b);
}

}  // namespace

int GetCpuVendor(CpuidSource& cpuid) {
    uint32_t ecx = cpuid.Execute(0).ecx;
    if (ecx == 0x444D4163) return kVendorAmd;    // "cAMD" of AuthenticAMD
    if (ecx == 0x6C65746E) return kVendorIntel;  // "ntel" of GenuineIntel
    return kVendorOther;
}

uint32_t GetCpuField(int kind, char* out, CpuidSource& cpuid) {
    if (!out) return 0;
    out[0] = '\0';
    CpuidWords basic = cpuid.Execute(1);
    uint32_t extendedEdx = 0;
    if (cpuid.Execute(0x80000000).eax >= 0x80000000) extendedEdx = cpuid.Execute(0x80000001).edx;
    const uint32_t signature = basic.eax;
    const uint32_t words[] = {basic.edx, basic.ecx, extendedEdx};

    switch (kind) {
        case kCpuInstructions: {
            for (const Extension& e : kExtensions)
                if (words[e.word] >> e.bit & 1) std::strcat(out, e.text);
            // The ", " after the last entry goes; index 0 always stays.
            for (size_t i = std::strlen(out); i > 1 && (out[i - 1] == ',' || out[i - 1] == ' ');
                 --i)
                out[i - 1] = '\0';
            break;
        }
        case kCpuStepping:
            std::sprintf(out, "%X", signature & 0xF);
            break;
        case kCpuModel:
            std::sprintf(out, "%X", signature >> 4 & 0xF);
            break;
        case kCpuFamily:
            std::sprintf(out, "%X", signature >> 8 & 0xF);
            break;
        case kCpuExtendedModel:
            std::sprintf(out, "%X", (signature >> 16 & 0xF) << 4 | (signature >> 4 & 0xF));
            break;
        case kCpuExtendedFamily:
            std::sprintf(out, "%X", (signature >> 20 & 0xFF) << 4 | (signature >> 8 & 0xF));
            break;
        default:
            break;
    }
    return basic.edx;
}

void FormatCpuFamily(char* out, CpuidSource& cpuid) {
    JoinFields(kCpuFamily, kCpuExtendedFamily, out, cpuid);
}

void FormatCpuModel(char* out, CpuidSource& cpuid) {
    JoinFields(kCpuModel, kCpuExtendedModel, out, cpuid);
}

void FormatCpuStepping(char* out, CpuidSource& cpuid) {
    GetCpuField(kCpuStepping, out, cpuid);
}

void FormatInstructions(char* out, CpuidSource& cpuid) {
    GetCpuField(kCpuInstructions, out, cpuid);
    ReplaceAll(out, kFieldTextSize, ", Thermal Monitoring", "");
}

void ReadVendorString(char* out, CpuidSource& cpuid) {
    VendorSignatureBytes(cpuid.Execute(0), out);
    out[12] = '\0';
}

const char* ShortVendorName(const char* vendorString) {
    static const struct {
        const char* vendor;
        const char* name;
    } kNames[] = {
        {"GenuineIntel", "Intel"},   {"AuthenticAMD", "AMD"},       {"HygonGenuine", "Hygon"},
        {"CentaurHauls", "Centaur"}, {"  Shanghai  ", "Zhaoxin"},   {"VIA VIA VIA ", "VIA"},
        {"CyrixInstead", "Cyrix"},   {"GenuineTMx86", "Transmeta"}, {"TransmetaCPU", "Transmeta"},
        {"NexGenDriven", "NexGen"},  {"RiseRiseRise", "Rise"},      {"SiS SiS SiS ", "SiS"},
        {"UMC UMC UMC ", "UMC"},     {"Geode by NSC", "NSC"},       {"Vortex86 SoC", "Vortex86"},
    };
    for (const auto& entry : kNames)
        if (std::strcmp(vendorString, entry.vendor) == 0) return entry.name;
    return "Other";
}

void FormatVendor(char* out, CpuidSource& cpuid) {
    switch (GetCpuVendor(cpuid)) {
        case kVendorIntel:
            std::strcpy(out, "Intel");
            break;
        case kVendorAmd:
            std::strcpy(out, "AMD");
            break;
        default: {
            // Neither tail matched: name the vendor rather than call it AMD.
            char vendor[13];
            ReadVendorString(vendor, cpuid);
            std::strcpy(out, ShortVendorName(vendor));
            break;
        }
    }
}

CpuSignature DecodeCpuSignature(uint32_t eax) {
    CpuSignature signature = {eax >> 8 & 0xF, eax >> 4 & 0xF, eax & 0xF};
    const uint32_t base = signature.family;
    if (base == 0xF) signature.family += eax >> 20 & 0xFF;
    if (base >= 0x6) signature.model |= (eax >> 16 & 0xF) << 4;
    return signature;
}

CpuSignature ReadCpuSignature(CpuidSource& cpuid) {
    return DecodeCpuSignature(cpuid.Execute(0).eax >= 1 ? cpuid.Execute(1).eax : 0);
}

void ReadBrandString(char* out, CpuidSource& cpuid) {
    out[0] = '\0';
    if (cpuid.Execute(0x80000000).eax < 0x80000004) return;
    char brand[49] = "";
    for (uint32_t leaf = 0; leaf < 3; ++leaf) {
        CpuidWords words = cpuid.Execute(0x80000002 + leaf);
        char* at = brand + size_t{16} * leaf;
        std::memcpy(at, &words.eax, 4);
        std::memcpy(at + 4, &words.ebx, 4);
        std::memcpy(at + 8, &words.ecx, 4);
        std::memcpy(at + 12, &words.edx, 4);
    }
    brand[48] = '\0';
    const char* start = brand;
    while (*start == ' ') ++start;
    size_t length = std::strlen(start);
    while (length > 0 && start[length - 1] == ' ') --length;
    std::memcpy(out, start, length);
    out[length] = '\0';
}
