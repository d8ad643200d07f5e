// The two x86 instructions the probes and the clock need, behind plain functions.
#pragma once

#include <cstdint>

struct CpuidWords {
    uint32_t eax;
    uint32_t ebx;
    uint32_t ecx;
    uint32_t edx;
};

// CPUID with `leaf` in EAX and no sub-leaf; all zeros where CPUID is missing.
CpuidWords ExecuteCpuid(uint32_t leaf);

// RDTSC; 0 where the instruction is missing.
uint64_t ReadTimeStampCounter();

// CPUID as a seam, so the identification rules can be tested with any processor's words.
class CpuidSource {
public:
    virtual CpuidWords Execute(uint32_t leaf) = 0;

protected:
    ~CpuidSource() = default;
};

CpuidSource& SystemCpuid();
