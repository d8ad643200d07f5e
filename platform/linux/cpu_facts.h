// Processor facts of Linux sources, shared by the registry stand-in and the environment.
#pragma once

#include <cstdint>

#include "platform/linux/proc_text.h"
#include "platform/processors.h"

// /proc/cpuinfo, parsed.
bool ReadCpuinfo(CpuinfoFacts* facts);
// The first processor's facts only: the kernel writes /proc/cpuinfo one processor at a
// time, so reading its start costs the same on 2 processors as on 256.
bool ReadFirstProcessor(CpuinfoFacts* facts);

// The nominal clock in MHz from the first source that exists: ACPI CPPC nominal_freq,
// the "@ x.xxGHz" of the model name, cpufreq base_frequency, cpufreq cpuinfo_max_freq,
// then "cpu MHz" (a current figure, the last resort). `source` receives the name of the
// one that gave it, "none" for 0.
uint32_t ReadNominalMhz(const CpuinfoFacts& facts, const char** source);

// PROCESSOR_IDENTIFIER as Windows writes it on x86-64, from the CPUID signature:
// "Intel64 Family 6 Model 158 Stepping 10, GenuineIntel" or "AMD64 Family ...".
void SynthesizeProcessorIdentifier(uint32_t signature, const char* vendor, char* out,
                                   uint32_t capacity);
