#include "platform/linux/cpu_facts.h"

#include <cstdio>
#include <cstdlib>
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

double ReadNumberFile(const char* sysRoot, const char* path) {
    char full[512];
    std::snprintf(full, sizeof full, "%s%s", sysRoot, path);
    char text[64];
    if (ReadSmallFile(full, text, sizeof text) <= 0) return 0;
    double x = ReadDecimal(text);
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

uint32_t ReadNominalMhz(const char* sysRoot, const CpuinfoFacts& facts) {
    double mhz = ReadNumberFile(sysRoot, "/sys/devices/system/cpu/cpu0/acpi_cppc/nominal_freq");
    if (mhz == 0)
        mhz = ReadNumberFile(sysRoot, "/sys/devices/system/cpu/cpu0/cpufreq/base_frequency") / 1000;
    if (mhz == 0) mhz = MhzFromModelName(facts.modelName);
    if (mhz == 0) mhz = facts.mhz;
    return mhz > 0 && mhz < 4294967295.0 ? static_cast<uint32_t>(mhz + 0.5) : 0;
}

void SynthesizeProcessorIdentifier(uint32_t signature, const char* vendor, char* out,
                                   uint32_t capacity) {
    uint32_t family = (signature >> 8) & 0xF;
    uint32_t model = (signature >> 4) & 0xF;
    if (family == 0xF) family += (signature >> 20) & 0xFF;
    if (family == 0x6 || family >= 0xF) model += ((signature >> 16) & 0xF) << 4;
    bool amd = std::strcmp(vendor, "AuthenticAMD") == 0 || std::strcmp(vendor, "HygonGenuine") == 0;
    std::snprintf(out, capacity, "%s Family %u Model %u Stepping %u, %s", amd ? "AMD64" : "Intel64",
                  family, model, signature & 0xF, vendor);
}
