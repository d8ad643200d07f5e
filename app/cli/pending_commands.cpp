// Commands whose probes and benchmarks are not in this build yet.
#include "app/cli/cli.h"

int RunInfoCommand(const CliOptions&, std::FILE*, std::FILE* err) {
    std::fputs("kelvane-cli: info is not available in this build\n", err);
    return kExitNoResult;
}

int RunBenchmarkCommand(const CliOptions&, std::FILE*, std::FILE* err) {
    std::fputs("kelvane-cli: the benchmarks are not available in this build\n", err);
    return kExitNoResult;
}
