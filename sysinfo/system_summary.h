// Everything the "System Information" box shows, read once when a front-end opens.
#pragma once

#include <cstdint>

constexpr int kFieldTextSize = 260;  // 259 characters and the terminator
constexpr int kMaxDrives = 64;

// The drives the disk benchmark may write to, in the order the list shows them.
struct DriveList {
    int count;
    char names[kMaxDrives][kFieldTextSize];  // "C:" on Windows, a mount point on Linux
    int selected;                            // preselected index, -1 for an empty list
    int unlisted;                            // drives beyond the list's room
};

struct SystemSummary {
    // The field texts, in the order the dialog fills them.
    char cpuDetails[kFieldTextSize];
    char cpuFamily[kFieldTextSize];
    char cpuModel[kFieldTextSize];
    char cpuStepping[kFieldTextSize];
    char instructions[kFieldTextSize];
    char nominalSpeed[kFieldTextSize];
    char cores[kFieldTextSize];
    char vendor[kFieldTextSize];
    char memory[kFieldTextSize];
    char videoMemory[kFieldTextSize];
    char osVersion[kFieldTextSize];
    DriveList drives;

    // The raw figures behind the texts, for the command-line tool's JSON.
    uint32_t nominalMhz;
    const char* nominalSource;  // which source gave nominalMhz (NominalClockSource)
    int processorCount;         // the processors this process may run on
    int onlineProcessorCount;   // the machine's
    uint64_t totalPhysicalBytes;
    uint64_t videoMemoryBytes;
};

// Runs the probes in the dialog's order and fills every field of `summary`.
void ReadSystemSummary(SystemSummary* summary);
