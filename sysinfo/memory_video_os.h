// Memory, video memory, operating system and drives: the probes and their field texts.
#pragma once

#include <cstdint>

#include "platform/drives.h"
#include "platform/library.h"
#include "platform/memory_status.h"
#include "platform/os_version.h"
#include "platform/video_memory.h"
#include "sysinfo/system_summary.h"

enum MemoryWhat { kMemoryTotal = 1, kMemoryAvailable = 2, kMemoryUsed = 3, kMemoryPercent = 4 };
enum MemoryWhich { kPhysicalMemory = 1, kPageFile = 2, kVirtualMemory = 3 };

// One figure of the memory status; 0 for unknown combinations and for a percentage of
// a total of 0.
uint64_t GetMemoryFigure(int what, int which, MemoryStatusSource& memory = SystemMemoryStatus());

// Bytes, with OLE started around the query as DirectDraw wants it.
uint64_t GetVideoMemory(VideoMemorySource& video = SystemVideoMemory(),
                        LibraryLoader& libraries = SystemLibraries());

// Field texts; `out` holds 260 bytes.
void FormatMemorySize(uint64_t totalBytes, char* out);
void FormatVideoMemory(uint64_t bytes, char* out);
const char* WindowsVersionName(uint32_t major, uint32_t minor, uint32_t build);
void FormatOsVersion(const OsVersion& version, char* out);

// The drives of the list in the system's order, CD-ROM drives left out, with "C:" (or
// "/") preselected, else the first one.
void BuildDriveList(DriveSource& drives, DriveList* list);
