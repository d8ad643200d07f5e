// kelvane-cli cpuid, and the CPUID dumps info --cpuid and --sysroot read instead of this
// processor.
#include <cstdio>
#include <memory>

#include "app/cli/cli.h"
#include "platform/cpu_instructions.h"
#include "platform/system_root.h"
#include "platform/thread_affinity.h"
#include "sysinfo/cpuid_dump.h"

namespace {

// The dump and the source that answers from it, kept to the end of the run: the probes
// read them until the process exits.
struct InstalledDump {
    CpuidDump dump;
    DumpCpuid source{dump};
};

}  // namespace

int InstallCpuidDump(const CliOptions& options, std::FILE* err) {
    if (options.command != CliCommand::kInfo && options.command != CliCommand::kCpuid)
        return kExitOk;
    const char* file = options.cpuidDump;
    char treeFile[1100];
    if (!file && options.sysroot) {
        // A machine tree may hold its processor's dump; without one, this processor's CPUID.
        if (!SystemPath("/cpuid.txt", treeFile, sizeof treeFile)) return kExitOk;
        std::FILE* probe = std::fopen(treeFile, "rb");
        if (!probe) return kExitOk;
        std::fclose(probe);
        file = treeFile;
    }
    if (!file) return kExitOk;
    static std::unique_ptr<InstalledDump> installed;
    std::unique_ptr<InstalledDump> read(new InstalledDump());
    char error[1300];
    if (!ReadCpuidDumpFile(file, &read->dump, error, sizeof error)) {
        std::fprintf(err, "kelvane-cli: %s\n", error);
        return kExitUsage;
    }
    if (installed || !SetSystemCpuid(&read->source)) {
        std::fprintf(err, "kelvane-cli: %s: CPUID was read before the dump could stand in\n", file);
        return kExitNoResult;
    }
    installed = std::move(read);
    return kExitOk;
}

int RunCpuidCommand(const CliOptions& options, std::FILE* out, std::FILE*) {
    // One processor's leaves throughout: on a hybrid processor the caches and the core
    // type leaf differ between cores.
    if (!options.cpuidDump) PinThreadToProcessor(0);
    std::fputs(FormatCpuidDump(SystemCpuid()).c_str(), out);
    return kExitOk;
}
