// Stand-ins until the system probes land; they keep the programs linkable.
#include <cstdio>
#include <cstring>
#include <thread>

#include "sysinfo/processor_count.h"
#include "sysinfo/system_summary.h"

int CountProcessors() {
    unsigned n = std::thread::hardware_concurrency();
    return n ? static_cast<int>(n) : 1;
}

void ReadSystemSummary(SystemSummary* summary) {
    std::memset(summary, 0, sizeof *summary);
    summary->processorCount = CountProcessors();
    std::snprintf(summary->cores, sizeof summary->cores, "%d", summary->processorCount);
#ifdef _WIN32
    std::strcpy(summary->drives.names[0], "C:");
#else
    std::strcpy(summary->drives.names[0], "/");
#endif
    summary->drives.count = 1;
    summary->drives.selected = 0;
}
