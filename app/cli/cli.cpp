#include "app/cli/cli.h"

#include "app/duration.h"
#include "platform/system_root.h"
#include "res/version.h"

int RunCli(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    CliOptions options;
    char error[256];
    if (!ParseCliArguments(argc, argv, &options, error, sizeof error)) {
        std::fprintf(err, "kelvane-cli: %s\n\n%s", error, CliUsage());
        return kExitUsage;
    }
    // Before any probe: every Linux source reads under the root from its first read.
    if (options.sysroot && !SetSystemRoot(options.sysroot)) {
        std::fprintf(err,
                     "kelvane-cli: --sysroot '%s': not a directory, or this system reads no "
                     "machine tree\n\n%s",
                     options.sysroot, CliUsage());
        return kExitUsage;
    }
    if (options.hasDuration) g_TestDuration = options.durationMs;
    switch (options.command) {
        case CliCommand::kHelp:
            std::fputs(CliUsage(), out);
            return kExitOk;
        case CliCommand::kVersion:
            std::fprintf(out, "%s\n", KELVANE_VERSION_TEXT);
            return kExitOk;
        case CliCommand::kInfo:
            return RunInfoCommand(options, out, err);
        default:
            return RunBenchmarkCommand(options, out, err);
    }
}
