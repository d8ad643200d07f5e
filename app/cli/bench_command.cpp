// kelvane-cli cpu|flops|memory|disk|all|bench: the benchmarks on a console.
#include "app/cli/cli.h"

int RunBenchmarkCommand(const CliOptions&, std::FILE*, std::FILE* err) {
    std::fputs("kelvane-cli: the benchmarks are not available in this build\n", err);
    return kExitNoResult;
}
