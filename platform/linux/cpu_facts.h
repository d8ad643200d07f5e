// Processor facts of Linux sources, shared by the registry stand-in and the environment.
#pragma once

#include <cstdint>

#include "platform/linux/proc_text.h"

// /proc/cpuinfo, parsed.
bool ReadCpuinfo(CpuinfoFacts* facts);
// The first processor's facts only: the kernel writes /proc/cpuinfo one processor at a
// time, so reading its start costs the same on 2 processors as on 256.
bool ReadFirstProcessor(CpuinfoFacts* facts);

// The online processors (/sys/devices/system/cpu/online, else /proc/cpuinfo).
int CountOnlineProcessors();

// The nominal clock in MHz from the first source that exists: ACPI CPPC nominal_freq,
// cpufreq base_frequency, the "@ x.xxGHz" of the model name, then "cpu MHz" (a current
// figure, the last resort). `sysRoot` is "" for the real system or a fixture tree.
uint32_t ReadNominalMhz(const char* sysRoot, const CpuinfoFacts& facts);

// PROCESSOR_IDENTIFIER as Windows writes it on x86-64, from the CPUID signature:
// "Intel64 Family 6 Model 158 Stepping 10, GenuineIntel" or "AMD64 Family ...".
void SynthesizeProcessorIdentifier(uint32_t signature, const char* vendor, char* out, uint32_t capacity);
