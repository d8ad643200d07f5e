// kelvane-cli info: the System Information fields.
#include "app/cli/cli.h"

int RunInfoCommand(const CliOptions&, std::FILE*, std::FILE* err) {
    std::fputs("kelvane-cli: info is not available in this build\n", err);
    return kExitNoResult;
}
