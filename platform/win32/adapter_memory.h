// Which display adapter's 64-bit memory record stands for DirectDraw's figure. Plain data,
// so the choice is tested without a registry.
#pragma once

#include <cstdint>

// One display adapter key: the device it was installed for and its memory record.
struct AdapterRecord {
    uint32_t vendor, device;  // PCI ids from the key's MatchingDeviceId
    uint64_t memoryBytes;     // HardwareInformation.qwMemorySize, 0 when absent
};

// The vendor and device ids of a device id text such as "PCI\VEN_10DE&DEV_2684&SUBSYS_...";
// false when it names neither.
bool ParseDeviceIds(const char* text, uint32_t* vendor, uint32_t* device);

// DirectDraw counts memory in 32 bits, and so does DXGI in a 32-bit process. Where such a
// count fits 32 bits and the adapter it measured (by its ids; nullptr when the count names
// none) records a size beyond that, the record is the figure; otherwise the count stays.
// Records of other adapters never count.
uint64_t ChooseVideoMemory(uint64_t counted, const AdapterRecord* measured,
                           const AdapterRecord* records, int count);

// DXGI's flag of an adapter that renders in software.
constexpr uint32_t kDxgiSoftwareAdapterFlag = 2;

// A software renderer, which DXGI lists beside the real adapters: flagged so, or the
// system's own Basic Render Driver, which older systems do not flag.
bool IsSoftwareAdapter(uint32_t flags, uint32_t vendor, uint32_t device);
