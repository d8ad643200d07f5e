// Every compiler and architecture question about CPUID and RDTSC is answered here, once.
#include "platform/cpu_instructions.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>
#define KELVANE_HAS_X86 1
#else
#define KELVANE_HAS_X86 0
#endif

CpuidWords ExecuteCpuid(uint32_t leaf) {
    CpuidWords words = {0, 0, 0, 0};
#if KELVANE_HAS_X86
    // On i386 this also tests the EFLAGS ID bit: a processor without CPUID reports 0.
    if (__get_cpuid_max(0, nullptr) == 0) return words;
    __cpuid(leaf, words.eax, words.ebx, words.ecx, words.edx);
#else
    (void)leaf;
#endif
    return words;
}

uint64_t ReadTimeStampCounter() {
#if KELVANE_HAS_X86
    return __rdtsc();
#else
    return 0;
#endif
}

namespace {
class ProcessorCpuid final : public CpuidSource {
public:
    CpuidWords Execute(uint32_t leaf) override { return ExecuteCpuid(leaf); }
};
}  // namespace

CpuidSource& SystemCpuid() {
    static ProcessorCpuid source;
    return source;
}
