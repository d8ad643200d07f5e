// The graphics adapter that drives the primary display, and its dedicated memory, from
// the kernel's DRM cards (under the system root) and, for NVIDIA, its management library.
#pragma once

#include <cstdint>

struct DrmCard {
    int number;               // N of /sys/class/drm/cardN
    bool hasDevice;           // cardN/device exists
    bool bootVga;             // the firmware's display adapter (device/boot_vga = 1)
    char driver[32];          // basename of device/driver, "" when unbound
    char busId[32];           // basename of device: "0000:01:00.0" on PCI, "virtio0" on virtio
    uint32_t vendor, device;  // PCI ids (a virtio card's are its PCI parent's); 0 unknown
};

enum { kMaxDrmCards = 16 };

// The cards in /sys/class/drm, lowest number first; returns how many (at most `capacity`).
int ListDrmCards(DrmCard* cards, int capacity);

// Index of the card that drives the primary display: the boot_vga one, else the first card
// that has a device; -1 when there is none.
int ChoosePrimaryCard(const DrmCard* cards, int count);

// Bytes of memory dedicated to `card`, from what its driver offers; 0 for integrated
// graphics and drivers that give no figure. NVIDIA cards are asked through `nvmlLibrary`
// (a library name or path), matched by their PCI bus.
uint64_t ReadCardMemory(const DrmCard& card, const char* nvmlLibrary);

// Memory total of the NVIDIA device at `busId` through the management library, 0 when the
// library or the device is missing.
uint64_t ReadNvmlMemory(const char* nvmlLibrary, const char* busId);

// The management library to ask for NVIDIA cards: none for a machine tree, whose cards
// this machine's library would answer for wrongly.
const char* SystemNvmlLibrary();

// The primary display adapter's dedicated memory, 0 without one.
uint64_t ReadPrimaryAdapterMemory(const char* nvmlLibrary);
