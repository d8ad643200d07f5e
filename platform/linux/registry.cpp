// The registry's processor keys, answered from /proc/cpuinfo and sysfs.
#include "platform/registry.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/cpu_instructions.h"
#include "platform/linux/cpu_facts.h"
#include "text/bounded_copy.h"

namespace {

constexpr char kProcessorKeys[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\";

// The 12 characters of leaf 0 (EBX, EDX, ECX); empty where CPUID is missing.
void ReadCpuidVendor(char* out) {
    CpuidWords words = ExecuteCpuid(0);
    std::memcpy(out, &words.ebx, 4);
    std::memcpy(out + 4, &words.edx, 4);
    std::memcpy(out + 8, &words.ecx, 4);
    out[12] = '\0';
}

bool CopyValue(const void* value, uint32_t valueSize, void* data, uint32_t* size) {
    uint32_t room = *size;
    *size = valueSize;
    if (!data) return true;
    if (valueSize > room) return false;
    std::memcpy(data, value, valueSize);
    return true;
}

class LinuxRegistry final : public RegistrySource {
  public:
    // The handle is the processor's index + 1.
    uintptr_t OpenKey(RegistryRoot root, const char* subKey) override {
        const size_t prefix = sizeof kProcessorKeys - 1;
        if (root != RegistryRoot::kLocalMachine || !subKey ||
            strncasecmp(subKey, kProcessorKeys, prefix) != 0)
            return 0;
        char* end = nullptr;
        long index = std::strtol(subKey + prefix, &end, 10);
        if (end == subKey + prefix || *end != '\0' || index < 0) return 0;
        // One key per processor this process may run on, as Windows lists them for a
        // machine of that size.
        int allowed = CountAllowedProcessors();
        if (index >= (allowed > 0 ? allowed : CountOnlineProcessors())) return 0;
        return static_cast<uintptr_t>(index) + 1;
    }

    bool QueryValue(uintptr_t, const char* valueName, void* data, uint32_t* size) override {
        if (std::strcmp(valueName, "VendorIdentifier") == 0) {
            // What Windows stores there is the CPUID vendor string; /proc/cpuinfo only
            // where there is no CPUID.
            char vendor[32];
            ReadCpuidVendor(vendor);
            if (!vendor[0]) {
                CpuinfoFacts facts;
                ReadFirstProcessor(&facts);
                CopyBounded(vendor, facts.vendorId, sizeof vendor);
            }
            return vendor[0] && CopyValue(vendor, std::strlen(vendor) + 1, data, size);
        }
        CpuinfoFacts facts;
        ReadFirstProcessor(&facts);
        if (std::strcmp(valueName, "ProcessorNameString") == 0) {
            return facts.modelName[0] &&
                   CopyValue(facts.modelName, std::strlen(facts.modelName) + 1, data, size);
        }
        if (std::strcmp(valueName, "~MHz") == 0) {
            const char* source = nullptr;
            uint32_t mhz = ReadNominalMhz(facts, &source);
            return CopyValue(&mhz, sizeof mhz, data, size);
        }
        return false;
    }

    void CloseKey(uintptr_t) override {}

    uint32_t ReadEnvironment(const char* name, char* out, uint32_t capacity) override {
        char synthesized[128];
        const char* value = std::getenv(name);
        if (!value && std::strcmp(name, "PROCESSOR_IDENTIFIER") == 0) {
            char vendor[13];
            ReadCpuidVendor(vendor);
            SynthesizeProcessorIdentifier(ExecuteCpuid(1).eax, vendor, synthesized,
                                          sizeof synthesized);
            value = synthesized;
        }
        if (!value) return 0;
        size_t length = std::strlen(value);
        if (length + 1 > capacity) return static_cast<uint32_t>(length + 1);
        CopyBounded(out, value, capacity);
        return static_cast<uint32_t>(length);
    }
};

}  // namespace

RegistrySource& SystemRegistry() {
    static LinuxRegistry source;
    return source;
}
