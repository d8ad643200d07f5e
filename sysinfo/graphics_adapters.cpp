#include "sysinfo/graphics_adapters.h"

#include <cstdio>
#include <cstring>

#include "text/decimal.h"

namespace {

const struct {
    uint32_t id;
    const char* name;
} kGpuVendors[] = {
    {0x1002, "AMD"},           {0x1022, "AMD"},
    {0x10de, "NVIDIA"},        {0x8086, "Intel"},
    {0x1af4, "virtio"},        {0x1b36, "QEMU"},
    {0x1234, "QEMU/Bochs"},    {0x15ad, "VMware"},
    {0x80ee, "VirtualBox"},    {0x1414, "Microsoft"},
    {0x5143, "Qualcomm"},      {0x1a03, "ASPEED"},
    {0x102b, "Matrox"},        {0x1013, "Cirrus Logic"},
    {0x5333, "S3 Graphics"},   {0x1106, "VIA"},
    {0x1d17, "Zhaoxin"},       {0x126f, "Silicon Motion"},
    {0x13b5, "Arm"},           {0x1010, "Imagination Technologies"},
    {0x1ed5, "Moore Threads"}, {0x19e5, "Huawei"},
    {0x14e4, "Broadcom"},      {0x1ae0, "Google"},
};

}  // namespace

const char* KnownGpuVendorName(uint32_t vendorId) {
    for (const auto& vendor : kGpuVendors)
        if (vendor.id == vendorId) return vendor.name;
    return nullptr;
}

void CompleteAdapterNames(GraphicsAdapter* adapter) {
    if (!adapter->vendorName[0] && adapter->vendorId) {
        const char* known = KnownGpuVendorName(adapter->vendorId);
        if (known)
            std::snprintf(adapter->vendorName, sizeof adapter->vendorName, "%s", known);
        else
            std::snprintf(adapter->vendorName, sizeof adapter->vendorName, "vendor 0x%04x",
                          static_cast<unsigned>(adapter->vendorId));
    }
    if (!adapter->name[0]) {
        if (adapter->vendorId)
            std::snprintf(adapter->name, sizeof adapter->name, "device 0x%04x",
                          static_cast<unsigned>(adapter->deviceId));
        else
            std::snprintf(adapter->name, sizeof adapter->name, "display device");
    }
}

int ReadGraphicsAdapters(GraphicsAdapter* out, int capacity) {
    int count = ListGraphicsAdapters(out, capacity);
    for (int i = 0; i < count; ++i) CompleteAdapterNames(&out[i]);
    return count;
}

void FormatAdapterMemory(uint64_t bytes, char* out, size_t size) {
    const uint64_t kMiB = uint64_t{1} << 20, kGiB = kMiB * 1024;
    FormatScaledBytes(bytes, bytes >= kGiB ? kGiB : kMiB, bytes >= kGiB ? "GiB" : "MiB", out, size);
}

void FormatGraphicsAdapter(const GraphicsAdapter& adapter, char* out, size_t size) {
    char ids[128] = "";
    if (adapter.vendorId)
        std::snprintf(ids, sizeof ids, " (%s, %04x:%04x)", adapter.vendorName,
                      static_cast<unsigned>(adapter.vendorId),
                      static_cast<unsigned>(adapter.deviceId));
    else if (adapter.vendorName[0])
        std::snprintf(ids, sizeof ids, " (%s)", adapter.vendorName);
    char memory[32] = "no dedicated memory reported";
    if (adapter.dedicatedBytes) {
        FormatAdapterMemory(adapter.dedicatedBytes, memory, sizeof memory);
        std::snprintf(memory + std::strlen(memory), sizeof memory - std::strlen(memory),
                      " dedicated");
    }
    std::snprintf(out, size, "%s%s, %s%s", adapter.name, ids, memory,
                  adapter.primary ? ", primary display" : "");
}
