// The memory status of the platform seam, 64-bit throughout.
#pragma once

#include <cstdint>

struct MemoryStatus {
    uint32_t memoryLoad;  // percentage of physical memory in use
    uint64_t totalPhys;
    uint64_t availPhys;
    uint64_t totalPageFile;
    uint64_t availPageFile;
    uint64_t totalVirtual;
    uint64_t availVirtual;
};

class MemoryStatusSource {
public:
    // The full status (GlobalMemoryStatusEx, looked up at run time; on Linux
    // /proc/meminfo within the cgroup's limit). False when it is missing or fails.
    virtual bool QueryExtended(MemoryStatus* status) = 0;
    // The older query: total and available physical memory only.
    virtual void QueryBasic(uint64_t* totalPhys, uint64_t* availPhys) = 0;

protected:
    ~MemoryStatusSource() = default;
};

MemoryStatusSource& SystemMemoryStatus();
