// The instruction sets a processor offers to programs, decoded from its CPUID leaves.
#pragma once

#include <cstddef>

#include "sysinfo/cpuid_leaves.h"

constexpr int kMaxInstructionSets = 64;
constexpr int kInstructionSetNameSize = 24;  // "AVX-512VP2INTERSECT" and its terminator fit
// Room for every name joined with ", ".
constexpr size_t kInstructionSetsTextSize = kMaxInstructionSets * (kInstructionSetNameSize + 2);

// The sets in a fixed order (the older and simpler first, families together). A set is
// listed when the processor reports it and, for the vector and tile sets, the operating
// system has enabled the registers it needs (XCR0): without that, the instructions fault.
struct InstructionSets {
    int count;
    char names[kMaxInstructionSets][kInstructionSetNameSize];  // "SSE4.2", "AVX-512F", "AVX10.1"
    int avx10Version;                                          // 0 when AVX10 is not listed
};

void DecodeInstructionSets(const CpuidLeaves& leaves, InstructionSets* out);

// The names joined with ", " into `out` (`size` bytes, always terminated); when a name does
// not fit, the text ends after the last whole one. Returns the length written.
size_t FormatInstructionSets(const InstructionSets& sets, char* out, size_t size);

// Whether `name` (exactly as listed) is among the sets.
bool HasInstructionSet(const InstructionSets& sets, const char* name);
