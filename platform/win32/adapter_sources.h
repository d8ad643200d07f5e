// The older sources of display adapter facts, which the video memory figure and the
// adapter list share: DirectDraw, and the display adapters' registry keys.
#pragma once

#include <cstdint>

#include "platform/win32/adapter_memory.h"

enum { kMaxAdapterRecords = 64 };

// Every display adapter key that names its device, with its 64-bit memory record;
// returns how many were read.
int ReadAdapterRecords(AdapterRecord* records, int capacity);

// What DirectDraw tells of the primary display's adapter.
struct DirectDrawAdapter {
    uint64_t countedBytes;  // local video memory, a 32-bit count
    bool named;             // the ids and description below are known
    AdapterRecord ids;      // vendor and device (memoryBytes unused)
    char description[512];
};

// False where DirectDraw is missing or gives no answer.
bool QueryDirectDraw(DirectDrawAdapter* adapter);
