// The x86 instructions the probes and the clock need, behind plain functions.
#pragma once

#include <cstdint>

struct CpuidWords {
    uint32_t eax;
    uint32_t ebx;
    uint32_t ecx;
    uint32_t edx;
};

// CPUID with `leaf` in EAX and `subleaf` in ECX, as SystemCpuid() answers it; all zeros
// where CPUID is missing.
CpuidWords ExecuteCpuid(uint32_t leaf, uint32_t subleaf = 0);

// RDTSC; 0 where the instruction is missing.
uint64_t ReadTimeStampCounter();

// CPUID and XCR0 as a seam, so the identification rules and the instruction-set decoder
// can be tested with any processor's words.
class CpuidSource {
  public:
    // A leaf without sub-leaves; ECX 0 keeps the answer the same on every call.
    CpuidWords Execute(uint32_t leaf) { return Execute(leaf, 0); }
    virtual CpuidWords Execute(uint32_t leaf, uint32_t subleaf) = 0;
    virtual uint64_t ReadXcr0() = 0;

  protected:
    ~CpuidSource() = default;
};

// This processor, or the source SetSystemCpuid put in its place.
CpuidSource& SystemCpuid();

// Puts `source` (a dump of another processor) in this processor's place for the rest of the
// run: once, before anything has asked SystemCpuid(), so that no probe mixes the two. False
// after that. The source must outlive every probe.
bool SetSystemCpuid(CpuidSource* source);
