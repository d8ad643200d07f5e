#include "platform/linux/cpu_facts.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/linux/read_file.h"
#include "text/decimal.h"

namespace {

bool ReadCpuinfoPrefix(size_t size, CpuinfoFacts* facts) {
    std::unique_ptr<char[]> text(new char[size]);
    long length = ReadSmallFile("/proc/cpuinfo", text.get(), size);
    ParseCpuinfo(text.get(), length > 0 ? static_cast<size_t>(length) : 0, facts);
    return length > 0;
}

}  // namespace

// A 256-processor machine writes about 400 KB.
bool ReadCpuinfo(CpuinfoFacts* facts) {
    return ReadCpuinfoPrefix(1 << 20, facts);
}

// One processor's lines are about 2 KB, its flags line included.
bool ReadFirstProcessor(CpuinfoFacts* facts) {
    return ReadCpuinfoPrefix(16 << 10, facts);
}

int CountOnlineProcessors() {
    char text[4096];
    long length = ReadSmallFile("/sys/devices/system/cpu/online", text, sizeof text);
    int count = length > 0 ? ParseCpuList(text, static_cast<size_t>(length)) : 0;
    if (count > 0) return count;
    CpuinfoFacts facts;
    ReadCpuinfo(&facts);
    return facts.processors;
}

namespace {

// A sysfs file holding one whole number.
double ReadNumberFile(const char* path) {
    char text[64];
    if (ReadSmallFile(path, text, sizeof text) <= 0) return 0;
    const char* end = nullptr;
    double x = ReadDecimal(text, &end);
    return x > 0 && x < 1e12 ? x : 0;
}

// "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz" → 3200.
double MhzFromModelName(const char* name) {
    const char* at = std::strrchr(name, '@');
    if (!at) return 0;
    const char* end = nullptr;
    double x = ReadDecimal(at + 1, &end);
    if (x <= 0) return 0;
    while (*end == ' ') ++end;
    if (std::strncmp(end, "GHz", 3) == 0) return x < 100 ? x * 1000 : 0;
    if (std::strncmp(end, "MHz", 3) == 0) return x < 100000 ? x : 0;
    return 0;
}

}  // namespace

uint32_t ReadNominalMhz(const CpuinfoFacts& facts, const char** source) {
    const char* cpu0 = "/sys/devices/system/cpu/cpu0";
    char path[128];
    std::snprintf(path, sizeof path, "%s/acpi_cppc/nominal_freq", cpu0);  // MHz
    double mhz = ReadNumberFile(path);
    *source = "cppc";
    // The name's figure before base_frequency: on parts with configurable TDP the driver may
    // give the lowered level's base (1.20 GHz on an i7-1165G7 named "@ 2.80GHz").
    if (mhz == 0) {
        mhz = MhzFromModelName(facts.modelName);
        *source = "model_name";
    }
    if (mhz == 0) {
        std::snprintf(path, sizeof path, "%s/cpufreq/base_frequency", cpu0);  // kHz
        mhz = ReadNumberFile(path) / 1000;
        *source = "base_frequency";
    }
    if (mhz == 0) {
        // The highest clock the driver may set: nominal on most machines, the boost
        // clock on some, but never a reading that changes between runs.
        std::snprintf(path, sizeof path, "%s/cpufreq/cpuinfo_max_freq", cpu0);  // kHz
        mhz = ReadNumberFile(path) / 1000;
        *source = "cpuinfo_max_freq";
    }
    if (mhz == 0) {
        mhz = facts.mhz;
        *source = "cpu_mhz";
    }
    if (mhz > 0 && mhz < 4294967295.0) return static_cast<uint32_t>(mhz + 0.5);
    *source = "none";
    return 0;
}

void SynthesizeProcessorIdentifier(uint32_t signature, const char* vendor, char* out,
                                   uint32_t capacity) {
    const uint32_t base = (signature >> 8) & 0xF;
    uint32_t family = base, model = (signature >> 4) & 0xF;
    if (base == 0xF) family += (signature >> 20) & 0xFF;
    // From family 6 up, as Windows does: Zhaoxin's and Centaur's family 7 use it too.
    if (base >= 0x6) model += ((signature >> 16) & 0xF) << 4;
    bool amd = std::strcmp(vendor, "AuthenticAMD") == 0 || std::strcmp(vendor, "HygonGenuine") == 0;
    std::snprintf(out, capacity, "%s Family %u Model %u Stepping %u, %s", amd ? "AMD64" : "Intel64",
                  family, model, signature & 0xF, vendor);
}
