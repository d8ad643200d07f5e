// Every compiler and architecture question about CPUID, XGETBV and RDTSC is answered here, once.
#include "platform/cpu_instructions.h"

#include <atomic>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>
#define KELVANE_HAS_X86 1
#else
#define KELVANE_HAS_X86 0
#endif

namespace {

#if KELVANE_HAS_X86
// Every x86-64 processor has CPUID. On i386 a processor has it when software can flip the
// EFLAGS ID bit (21); testing that costs no CPUID, which in a virtual machine is an exit to
// the hypervisor of a few microseconds.
bool HasCpuid() {
#if defined(__x86_64__)
    return true;
#else
    uint32_t original, flipped;
    __asm__ __volatile__(
        "pushfl\n\t"
        "pushfl\n\t"
        "popl %0\n\t"
        "movl %0, %1\n\t"
        "xorl $0x200000, %1\n\t"
        "pushl %1\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %1\n\t"
        "popfl"
        : "=&r"(original), "=&r"(flipped)
        :
        : "cc");
    return ((original ^ flipped) & 0x200000) != 0;
#endif
}
#endif

// The instruction itself; the public functions answer as SystemCpuid() does.
CpuidWords ProcessorCpuid(uint32_t leaf, uint32_t subleaf) {
    CpuidWords words = {0, 0, 0, 0};
#if KELVANE_HAS_X86
    if (!HasCpuid()) return words;
    __cpuid_count(leaf, subleaf, words.eax, words.ebx, words.ecx, words.edx);
#else
    (void)leaf;
    (void)subleaf;
#endif
    return words;
}

uint64_t ProcessorXcr0() {
#if KELVANE_HAS_X86
    if (ProcessorCpuid(0, 0).eax < 1) return 0;
    // XGETBV raises #UD unless the operating system has set CR4.OSXSAVE, which leaf 1 mirrors.
    if (!(ProcessorCpuid(1, 0).ecx >> 27 & 1)) return 0;
    uint32_t low, high;
    __asm__ __volatile__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return static_cast<uint64_t>(high) << 32 | low;
#else
    return 0;
#endif
}

class Processor final : public CpuidSource {
  public:
    CpuidWords Execute(uint32_t leaf, uint32_t subleaf) override {
        return ProcessorCpuid(leaf, subleaf);
    }
    uint64_t ReadXcr0() override { return ProcessorXcr0(); }
};

std::atomic<CpuidSource*> s_installed{nullptr};
std::atomic<bool> s_asked{false};  // SystemCpuid() has answered: too late to install

}  // namespace

CpuidWords ExecuteCpuid(uint32_t leaf, uint32_t subleaf) {
    return SystemCpuid().Execute(leaf, subleaf);
}

uint64_t ReadTimeStampCounter() {
#if KELVANE_HAS_X86
    return __rdtsc();
#else
    return 0;
#endif
}

CpuidSource& SystemCpuid() {
    if (!s_asked.load(std::memory_order_relaxed)) s_asked.store(true);
    if (CpuidSource* installed = s_installed.load()) return *installed;
    static Processor processor;
    return processor;
}

bool SetSystemCpuid(CpuidSource* source) {
    CpuidSource* none = nullptr;
    return source && !s_asked.load() && s_installed.compare_exchange_strong(none, source);
}
