// How many processors the machine has, and how many of them this process may use.
#pragma once

// The processors this process may run on: its affinity within its cpuset (Linux
// Cpus_allowed_list, Windows the process affinity mask); 0 where the system does not say.
int CountAllowedProcessors();

// The processors the system has online; 0 where the system does not say.
int CountOnlineProcessors();

// Which source gave the nominal clock ("~MHz"): "cppc", "base_frequency", "model_name",
// "cpuinfo_max_freq", "cpu_mhz" or "none" on Linux, "registry" or "none" on Windows.
const char* NominalClockSource();
