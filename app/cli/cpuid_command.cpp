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
    std::FILE* treeDump = nullptr;
    if (!file && options.sysroot) {
        // A machine tree may hold its processor's dump; without one, this processor's CPUID.
        // It is opened as the tree's other files are: a regular file inside the tree.
        if (!SystemPath("/cpuid.txt", treeFile, sizeof treeFile)) return kExitOk;
        if (!(treeDump = OpenSystemFileStream("/cpuid.txt"))) return kExitOk;
        file = treeFile;
    }
    if (!file) return kExitOk;
    static std::unique_ptr<InstalledDump> installed;
    std::unique_ptr<InstalledDump> read(new InstalledDump());
    char error[1300];
    const bool readOk = treeDump
                            ? ReadCpuidDumpStream(treeDump, file, &read->dump, error, sizeof error)
                            : ReadCpuidDumpFile(file, &read->dump, error, sizeof error);
    if (treeDump) std::fclose(treeDump);
    if (!readOk) {
        std::fprintf(err, "kelvane-cli: %s\n", error);
        return kExitUsage;
    }
    if (!SetSystemCpuid(&read->source)) {
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
