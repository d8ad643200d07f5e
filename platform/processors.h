// How many processors the machine has, and how many of them this process may use.
#pragma once

#include <cstdint>

// The processors this process may run on, where that narrows the machine's count: on Linux
// its affinity within its cpuset (Cpus_allowed_list); on Windows only a process whose
// affinity was narrowed (CountNarrowedProcessors). 0 where the system does not say.
int CountAllowedProcessors();

// Windows' affinity masks, apart from the call that reads them: `processMask` and
// `systemMask` as GetProcessAffinityMask gives them. They cover one processor group, and in
// a 32-bit process at most 32 processors of it, so they count only a process that was
// narrowed (its mask differs from the system's): then the processors it may use, else 0
// and the registry's processor count stands. A mask of 0 (a process spread over several
// groups) says nothing either.
inline int CountNarrowedProcessors(uint64_t processMask, uint64_t systemMask) {
    if (processMask == 0 || processMask == systemMask) return 0;
    int count = 0;
    for (; processMask; processMask &= processMask - 1) ++count;
    return count;
}

// The processors the system has online; 0 where the system does not say.
int CountOnlineProcessors();

// Which source gave the nominal clock ("~MHz"): "cppc", "base_frequency", "model_name",
// "cpuinfo_max_freq", "cpu_mhz" or "none" on Linux, "registry" or "none" on Windows.
const char* NominalClockSource();
