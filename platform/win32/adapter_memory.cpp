#include "platform/win32/adapter_memory.h"

#include <cctype>
#include <cstdlib>

namespace {

// The hexadecimal number after `key` ("ven_"), case-insensitively; false when absent.
bool FindHexAfter(const char* text, const char* key, uint32_t* value) {
    for (const char* at = text; *at; ++at) {
        const char* k = key;
        const char* t = at;
        while (*k && std::tolower(static_cast<unsigned char>(*t)) == *k) ++k, ++t;
        if (*k || !std::isxdigit(static_cast<unsigned char>(*t))) continue;
        *value = static_cast<uint32_t>(std::strtoul(t, nullptr, 16));
        return true;
    }
    return false;
}

}  // namespace

bool ParseDeviceIds(const char* text, uint32_t* vendor, uint32_t* device) {
    return text && FindHexAfter(text, "ven_", vendor) && FindHexAfter(text, "dev_", device);
}

uint64_t ChooseVideoMemory(uint64_t counted, const AdapterRecord* measured,
                           const AdapterRecord* records, int count) {
    if (!measured) return counted;
    // Two keys for one device (identical cards, a card reinstalled) hold the same model.
    uint64_t recorded = 0;
    for (int i = 0; i < count; ++i) {
        const AdapterRecord& record = records[i];
        if (record.vendor == measured->vendor && record.device == measured->device &&
            record.memoryBytes > recorded)
            recorded = record.memoryBytes;
    }
    return counted <= 0xFFFFFFFFull && recorded > 0xFFFFFFFFull ? recorded : counted;
}

bool IsSoftwareAdapter(uint32_t flags, uint32_t vendor, uint32_t device) {
    return (flags & kDxgiSoftwareAdapterFlag) != 0 || (vendor == 0x1414 && device == 0x8c);
}
