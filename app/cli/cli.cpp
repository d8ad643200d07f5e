#include "app/cli/cli.h"

#include <cerrno>
#include <cstring>

#include "app/duration.h"
#include "platform/system_root.h"
#include "res/version.h"

namespace {

int UsageError(std::FILE* err, const char* reason) {
    std::fprintf(err, "kelvane-cli: %s\nTry 'kelvane-cli --help'.\n", reason);
    return kExitUsage;
}

int RunCommand(const CliOptions& options, std::FILE* out, std::FILE* err) {
    switch (options.command) {
        case CliCommand::kHelp:
            std::fputs(CliUsage(options.helpFor).c_str(), out);
            return kExitOk;
        case CliCommand::kVersion:
            std::fprintf(out, "kelvane-cli %s\nJSON schema version %d\n", KELVANE_VERSION_TEXT,
                         kJsonSchemaVersion);
            return kExitOk;
        case CliCommand::kInfo:
            return RunInfoCommand(options, out, err);
        case CliCommand::kCpuid:
            return RunCpuidCommand(options, out, err);
        default:
            return RunBenchmarkCommand(options, out, err);
    }
}

// A machine tree's files that exist but could not be read show as unknown figures: each is
// named once, so a zero is not taken for the machine's.
void WarnOfUnreadableFiles(std::FILE* err) {
    const char* files[kUnreadableFilesKept];
    const int count = UnreadableSystemFiles(files, kUnreadableFilesKept);
    for (int i = 0; i < count && i < kUnreadableFilesKept; ++i)
        std::fprintf(err, "kelvane-cli: warning: the tree's %s\n", files[i]);
    if (count > kUnreadableFilesKept)
        std::fprintf(err, "kelvane-cli: warning: and more files of the tree\n");
}

}  // namespace

int FinishOutput(std::FILE* out, std::FILE* err, int status) {
    errno = 0;
    if (std::fflush(out) == 0 && !std::ferror(out)) return status;
    const int code = errno;
    // A reader that went away (head, a closed pipe) is no error to tell of: the process
    // ends as quietly as SIGPIPE would have ended it where that is ignored.
    if (code == EPIPE) return kExitNoResult;
    if (code)
        std::fprintf(err, "kelvane-cli: write error: %s\n", std::strerror(code));
    else
        std::fprintf(err, "kelvane-cli: write error\n");
    return kExitNoResult;
}

int RunCli(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    CliOptions options;
    char error[256];
    if (!ParseCliArguments(argc, argv, &options, error, sizeof error))
        return UsageError(err, error);
    // Before any probe: every Linux source reads under the root from its first read.
    if (options.sysroot && !SetSystemRoot(options.sysroot)) {
        std::snprintf(error, sizeof error,
                      "--sysroot '%.160s': not a directory, or this system reads no machine tree",
                      options.sysroot);
        return UsageError(err, error);
    }
    // After the root, whose cpuid.txt it may read, and before any probe.
    const int installed = InstallCpuidDump(options, err);
    if (installed != kExitOk) return installed;
    if (options.hasDuration) g_TestDuration = options.durationMs;
    const int status = RunCommand(options, out, err);
    WarnOfUnreadableFiles(err);
    return FinishOutput(out, err, status);
}
