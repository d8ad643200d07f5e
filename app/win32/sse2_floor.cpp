// Linked into Kelvane.exe and kelvane-cli.exe as an object of their own, so that its
// start-up check is always there. Nothing in this file may use SSE or SSE2: it runs before
// anything that does, on the processors that lack them.
#include "app/win32/sse2_floor.h"

#include <windows.h>

#if defined(__i386__)
#pragma GCC push_options
#pragma GCC target("no-mmx,no-sse,fpmath=387")
#endif

#include <cpuid.h>

namespace {

constexpr uint32_t kSse2Bit = 1u << 26;

// This processor, through the compiler's CPUID, which first checks on i386 that the
// instruction exists (a processor before CPUID answers zeros: no SSE2).
class ThisProcessor final : public CpuidSource {
  public:
    CpuidWords Execute(uint32_t leaf, uint32_t subleaf) override {
        CpuidWords words = {0, 0, 0, 0};
        const unsigned highest = __get_cpuid_max(0, nullptr);  // 0: no CPUID
        if (highest != 0 && leaf <= highest)
            __cpuid_count(leaf, subleaf, words.eax, words.ebx, words.ecx, words.edx);
        return words;
    }
    uint64_t ReadXcr0() override { return 0; }
};

bool IsGuiProgram() {
    const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI;
}

// Before the programs' own constructors (priority 101 runs first of them) and their main;
// all that runs earlier is the MinGW runtime's start-up, which is built for any i686.
__attribute__((constructor(101))) void RequireSse2() {
    ThisProcessor processor;
    if (HasSse2(processor)) return;
    if (IsGuiProgram()) {
        MessageBoxA(nullptr,
                    "Kelvane needs a processor with the SSE2 instructions, which this one "
                    "lacks.",
                    "Kelvane", MB_OK | MB_ICONERROR | MB_TASKMODAL);
        ExitProcess(0);  // as when the dialog cannot be made
    }
    static const char kMessage[] =
        "kelvane-cli: this processor lacks the SSE2 instructions this program needs\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), kMessage, sizeof kMessage - 1, &written, nullptr);
    ExitProcess(1);
}

}  // namespace

bool HasSse2(CpuidSource& cpuid) {
    // The two-argument call: the one-argument form is an inline that another file, built
    // with SSE2, may be the copy of.
    if (cpuid.Execute(0, 0).eax < 1) return false;
    return (cpuid.Execute(1, 0).edx & kSse2Bit) != 0;
}

#if defined(__i386__)
#pragma GCC pop_options
#endif
