// Every graphics adapter the system lists, as plain records; sysinfo/graphics_adapters
// names the ones the system leaves unnamed and writes them as text.
#pragma once

#include <cstdint>

struct GraphicsAdapter {
    uint32_t vendorId, deviceId;  // PCI ids; 0 where the device has none (a platform device)
    char vendorName[80];          // "" where the system does not name it
    char name[128];               // "" where the system does not name it
    uint64_t dedicatedBytes;      // 0 where there is none or the driver gives no figure
    bool primary;                 // drives the primary display
};

enum { kMaxGraphicsAdapters = 16 };

// The adapters in the system's own order; returns how many were written (at most
// `capacity`). Software renderers are left out.
int ListGraphicsAdapters(GraphicsAdapter* out, int capacity);
