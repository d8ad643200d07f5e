#include "sysinfo/registry_probes.h"

#include <cstdio>
#include <cstring>

#include "platform/processors.h"
#include "sysinfo/processor_count.h"
#include "sysinfo/system_summary.h"
#include "text/bounded_copy.h"
#include "text/decimal.h"
#include "text/replace.h"

uint32_t RegReadDword(RegistryRoot root, const char* subKey, const char* valueName,
                      RegistrySource& registry) {
    uintptr_t key = registry.OpenKey(root, subKey);
    if (!key) return 0;
    uint32_t value = 0;
    uint32_t size = sizeof value;
    if (!registry.QueryValue(key, valueName, &value, &size) || size != sizeof value) value = 0;
    registry.CloseKey(key);
    return value;
}

int RegReadString(RegistryRoot root, const char* subKey, const char* valueName, char* out,
                  RegistrySource& registry) {
    if (!out) return 0;
    uintptr_t key = registry.OpenKey(root, subKey);
    if (!key) return 0;
    out[0] = '\0';
    uint32_t size = kRegistryStringLimit;
    bool ok = registry.QueryValue(key, valueName, out, &size) && size <= kRegistryStringLimit;
    registry.CloseKey(key);
    // Registry texts need not be terminated, and may hold NULs: end them inside the limit.
    if (ok) out[size > 0 && size < kRegistryStringLimit ? size : kRegistryStringLimit - 1] = '\0';
    if (!ok) out[0] = '\0';
    return ok ? 1 : 0;
}

uint32_t RegValueSize(RegistryRoot root, const char* subKey, const char* valueName,
                      RegistrySource& registry) {
    uintptr_t key = registry.OpenKey(root, subKey);
    if (!key) return 0;
    uint32_t size = 4;
    registry.QueryValue(key, valueName, nullptr, &size);
    registry.CloseKey(key);
    return size;
}

int CountProcessorsIn(RegistrySource& registry) {
    int count = 0;
    for (; count < kMaxProcessorKeys; ++count) {
        char path[96];
        std::snprintf(path, sizeof path, "HARDWARE\\Description\\System\\CentralProcessor\\%d",
                      count);
        if (RegValueSize(RegistryRoot::kLocalMachine, path, "VendorIdentifier", registry) == 0)
            break;
    }
    return count;
}

int CountProcessorsFrom(int allowed, RegistrySource& registry) {
    if (allowed <= 0) return CountProcessorsIn(registry);
    return allowed < kMaxProcessorKeys ? allowed : kMaxProcessorKeys;
}

// The processors this process may run on, so a container limited to 2 of 64 counts 2;
// the registry's keys where the system does not narrow them.
int CountProcessors() {
    return CountProcessorsFrom(CountAllowedProcessors(), SystemRegistry());
}

void FormatCpuDetails(char* out, RegistrySource& registry) {
    char name[kFieldTextSize] = "";
    RegReadString(RegistryRoot::kLocalMachine, kProcessorZeroKey, "ProcessorNameString", name,
                  registry);
    char identifier[258] = "";
    uint32_t length =
        registry.ReadEnvironment("PROCESSOR_IDENTIFIER", identifier, sizeof identifier);
    if (length == 0 || length >= sizeof identifier) identifier[0] = '\0';

    // The identifier stays whole; a long name is cut to leave room for it.
    size_t keep = kFieldTextSize - 1 - std::strlen(identifier) - (name[0] ? 1 : 0);
    if (std::strlen(name) > keep) name[keep] = '\0';
    CopyBounded(out, name, kFieldTextSize);
    if (out[0]) AppendBounded(out, "\n", kFieldTextSize);
    AppendBounded(out, identifier, kFieldTextSize);
    for (int pass = 0; pass < 3; ++pass) ReplaceAll(out, kFieldTextSize, "  ", " ");
    ReplaceTabs(out);
}

void FormatNominalSpeed(uint32_t mhz, char* out) {
    FormatNumber(out, CutToDecimals(static_cast<double>(mhz) * 0.001, 2), 15);
    if (!std::strchr(out, '.')) std::strcat(out, ".");
    while (std::strlen(out) < 4) std::strcat(out, "0");
    std::strcat(out, " GHz");
}
