#include "app/cli/cli_options.h"

#include <cstdio>
#include <cstring>

#include "app/duration.h"

namespace {

struct CommandName {
    const char* name;
    CliCommand command;
};

const CommandName kCommands[] = {
    {"info", CliCommand::kInfo},     {"cpu", CliCommand::kCpu},   {"flops", CliCommand::kFlops},
    {"memory", CliCommand::kMemory}, {"disk", CliCommand::kDisk}, {"all", CliCommand::kAll},
    {"bench", CliCommand::kBench},
};

bool Fail(char* error, size_t errorSize, const char* format, const char* detail) {
    if (error && errorSize > 0) std::snprintf(error, errorSize, format, detail);
    return false;
}

// "--name VALUE" or "--name=VALUE"; advances *index past what it used.
bool TakeValue(const char* name, int argc, const char* const* argv, int* index,
               const char** value) {
    const char* argument = argv[*index];
    size_t length = std::strlen(name);
    if (std::strncmp(argument, name, length) != 0) return false;
    if (argument[length] == '=') {
        *value = argument + length + 1;
        return true;
    }
    if (argument[length] != '\0') return false;
    *value = *index + 1 < argc ? argv[++*index] : nullptr;
    return true;
}

}  // namespace

const char* CliCommandName(CliCommand command) {
    for (const CommandName& known : kCommands)
        if (known.command == command) return known.name;
    return "";
}

bool ParseDurationOption(const char* text, int32_t* durationMs, char* error, size_t errorSize) {
    int64_t value = 0;
    bool digits = text && *text;
    for (const char* c = text; digits && *c; ++c) {
        if (*c < '0' || *c > '9') {
            digits = false;
            break;
        }
        value = value * 10 + (*c - '0');
        if (value > kMaxTestDuration) break;  // no overflow on absurdly long inputs
    }
    if (!digits || value > kMaxTestDuration) {
        if (error && errorSize > 0)
            std::snprintf(error, errorSize,
                          "--duration takes a whole number of milliseconds from 0 to %ld, not '%.40s'",
                          static_cast<long>(kMaxTestDuration), text ? text : "");
        return false;
    }
    *durationMs = static_cast<int32_t>(value);
    return true;
}

bool ParseCliArguments(int argc, const char* const* argv, CliOptions* options, char* error,
                       size_t errorSize) {
    *options = CliOptions();
    bool help = false;
    bool version = false;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        const char* value = nullptr;
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            help = true;
        } else if (std::strcmp(argument, "--version") == 0) {
            version = true;
        } else if (std::strcmp(argument, "--json") == 0) {
            options->json = true;
        } else if (std::strcmp(argument, "--quiet") == 0 || std::strcmp(argument, "-q") == 0) {
            options->quiet = true;
        } else if (TakeValue("--duration", argc, argv, &i, &value)) {
            if (!value || value[0] == '\0')
                return Fail(error, errorSize, "%s needs a number of milliseconds", "--duration");
            if (!ParseDurationOption(value, &options->durationMs, error, errorSize)) return false;
            options->hasDuration = true;
        } else if (TakeValue("--threads", argc, argv, &i, &value)) {
            if (!value || value[0] == '\0')
                return Fail(error, errorSize, "%s needs a number of threads or 'all'", "--threads");
            if (std::strcmp(value, "all") == 0) {
                options->threads = kAllThreads;
            } else {
                int count = 0;
                for (const char* c = value; *c; ++c) {
                    if (*c < '0' || *c > '9' || count > 256) {
                        count = -1;
                        break;
                    }
                    count = count * 10 + (*c - '0');
                }
                if (count < 1 || count > 256)
                    return Fail(error, errorSize, "--threads takes 'all' or a whole number from 1 to 256, not '%.40s'",
                                value);
                options->threads = count;
            }
        } else if (TakeValue("--drive", argc, argv, &i, &value)) {
            if (!value || value[0] == '\0')
                return Fail(error, errorSize, "%s needs a drive", "--drive");
            options->drive = value;
        } else if (TakeValue("--sysroot", argc, argv, &i, &value)) {
            if (!value || value[0] == '\0')
                return Fail(error, errorSize, "%s needs a directory", "--sysroot");
            options->sysroot = value;
        } else if (argument[0] == '-') {
            return Fail(error, errorSize, "unknown option '%s'", argument);
        } else {
            if (options->command != CliCommand::kNone)
                return Fail(error, errorSize, "more than one command: '%s'", argument);
            for (const CommandName& known : kCommands) {
                if (std::strcmp(argument, known.name) == 0) options->command = known.command;
            }
            if (options->command == CliCommand::kNone)
                return Fail(error, errorSize, "unknown command '%s'", argument);
        }
    }
    if (help) {
        options->command = CliCommand::kHelp;
        return true;
    }
    if (version) {
        options->command = CliCommand::kVersion;
        return true;
    }
    if (options->command == CliCommand::kNone)
        return Fail(error, errorSize, "%s", "no command given");
    if (options->hasDuration && options->command == CliCommand::kInfo)
        return Fail(error, errorSize, "%s applies only to the benchmarks", "--duration");
    if (options->threads && options->command != CliCommand::kFlops && options->command != CliCommand::kMemory &&
        options->command != CliCommand::kAll && options->command != CliCommand::kBench)
        return Fail(error, errorSize, "%s applies only to flops, memory, all and bench", "--threads");
    if (options->drive && options->command != CliCommand::kDisk &&
        options->command != CliCommand::kAll && options->command != CliCommand::kBench)
        return Fail(error, errorSize, "%s applies only to disk, all and bench", "--drive");
    if (options->sysroot && options->command != CliCommand::kInfo)
        return Fail(error, errorSize, "%s applies only to info", "--sysroot");
    return true;
}

const char* CliUsage() {
    return "Usage: kelvane-cli COMMAND [--json] [--duration MS] [--drive D] [--sysroot DIR]\n"
           "\n"
           "Commands:\n"
           "  info      what the machine is: processor, memory, video memory, OS, drives\n"
           "  cpu       measure the processor clock\n"
           "  flops     Whetstone floating-point benchmark\n"
           "  memory    memory bandwidth benchmark\n"
           "  disk      disk write benchmark (--drive picks the drive)\n"
           "  all       the four benchmarks in turn\n"
           "  bench     each benchmark beside an independent reference\n"
           "\n"
           "Options:\n"
           "  --json          one JSON object on standard output\n"
           "  --duration MS   test duration, a whole number of milliseconds from 0 to 3600000\n"
           "                  (default 3000)\n"
           "  --quiet, -q     no progress on standard error, only errors\n"
           "  --threads N|all flops and memory also on N threads at once (all: one per\n"
           "                  processor this process may use)\n"
           "  --drive D       drive for the disk benchmark (default: the preselected one)\n"
           "  --sysroot DIR   info: read /proc, /sys and /etc of a machine tree in DIR\n"
           "                  instead of this machine's (Linux; CPUID still comes from\n"
           "                  this processor)\n"
           "  --version       print the version\n"
           "  --help          print this text\n";
}
