// Registry and environment probes: the processor's name, nominal clock and count.
#pragma once

#include <cstdint>

#include "platform/registry.h"

constexpr char kProcessorZeroKey[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
constexpr int kRegistryStringLimit = 255;  // bytes, terminator included
constexpr int kMaxProcessorKeys = 256;

// A 4-byte value; 0 when the key or value cannot be read.
uint32_t RegReadDword(RegistryRoot root, const char* subKey, const char* valueName,
                      RegistrySource& registry = SystemRegistry());
// A text value into `out` (at least 255 bytes): 1 when read, else 0. `out` is untouched
// when the key cannot be opened and empty when the value cannot be read.
int RegReadString(RegistryRoot root, const char* subKey, const char* valueName, char* out,
                  RegistrySource& registry = SystemRegistry());
// The value's size in bytes, 4 when it reports nothing; 0 when the key cannot be opened.
uint32_t RegValueSize(RegistryRoot root, const char* subKey, const char* valueName,
                      RegistrySource& registry = SystemRegistry());

int CountProcessorsIn(RegistrySource& registry);
// The "Cores" count: `allowed`, the processors this process may use where the system
// narrows them (CountAllowedProcessors), at most 256; else the registry's keys.
int CountProcessorsFrom(int allowed, RegistrySource& registry);

// Field texts; `out` holds 260 bytes.
void FormatCpuDetails(char* out, RegistrySource& registry = SystemRegistry());
void FormatNominalSpeed(uint32_t mhz, char* out);
