#include "app/cli/cli_options.h"

#include <getopt.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/duration.h"

namespace {

// Which commands take an option.
enum OptionUse : unsigned {
    kInfo = 1u << 0,
    kCpu = 1u << 1,
    kFlops = 1u << 2,
    kMemory = 1u << 3,
    kDisk = 1u << 4,
    kAll = 1u << 5,
    kBench = 1u << 6,
    kCpuid = 1u << 7,
    kBenchmarks = kCpu | kFlops | kMemory | kDisk | kAll,
    kEvery = kInfo | kCpuid | kBenchmarks | kBench,
};

struct CommandInfo {
    const char* name;
    CliCommand command;
    unsigned use;
    const char* summary;
};

const CommandInfo kCommands[] = {
    {"info", CliCommand::kInfo, kInfo,
     "what the machine is: processor, memory, video memory, OS, drives"},
    {"cpuid", CliCommand::kCpuid, kCpuid,
     "this processor's CPUID leaves as text, which info --cpuid reads"},
    {"cpu", CliCommand::kCpu, kCpu, "measure the processor clock"},
    {"flops", CliCommand::kFlops, kFlops, "Whetstone floating-point benchmark"},
    {"memory", CliCommand::kMemory, kMemory, "memory bandwidth benchmark"},
    {"disk", CliCommand::kDisk, kDisk, "disk write benchmark (--drive picks the drive)"},
    {"all", CliCommand::kAll, kAll, "the four benchmarks in turn"},
    {"bench", CliCommand::kBench, kBench, "each benchmark beside an independent reference"},
};

enum LongOnly { kDriveOption = 256, kSysrootOption, kCpuidOption };

struct OptionInfo {
    option long_;
    unsigned use;
    const char* argument;  // as the usage names it; nullptr for a flag
    const char* help;
};

const OptionInfo kOptions[] = {
    {{"json", no_argument, nullptr, 'j'},
     kEvery & ~kCpuid,
     nullptr,
     "one JSON object on standard output"},
    {{"duration", required_argument, nullptr, 'd'},
     kBenchmarks | kBench,
     "MS",
     "test duration, a whole number of milliseconds from 0 to 3600000 (default 3000)"},
    {{"quiet", no_argument, nullptr, 'q'},
     kEvery,
     nullptr,
     "no progress on standard error, only errors"},
    {{"threads", required_argument, nullptr, 't'},
     kFlops | kMemory | kAll | kBench,
     "N|all",
     "flops and memory also on N threads at once (all: one per processor this process may "
     "use)"},
    {{"repeat", required_argument, nullptr, 'r'},
     kBenchmarks,
     "N",
     "run each benchmark N times (1 to 100); report every sample, the median, the minimum, "
     "the maximum and their spread"},
    {{"drive", required_argument, nullptr, kDriveOption},
     kDisk | kAll | kBench,
     "D",
     "drive for the disk benchmark (default: the preselected one)"},
    {{"sysroot", required_argument, nullptr, kSysrootOption},
     kInfo,
     "DIR",
     "read /proc, /sys and /etc of a machine tree in DIR instead of this machine's (Linux; "
     "CPUID from DIR/cpuid.txt where the tree has one, else from this processor)"},
    {{"cpuid", required_argument, nullptr, kCpuidOption},
     kInfo | kCpuid,
     "FILE",
     "take CPUID from a dump in FILE (as the cpuid command writes it, and two other text "
     "forms) instead of from this processor"},
    {{"version", no_argument, nullptr, 'V'}, kEvery, nullptr, "print the version and exit"},
    {{"help", no_argument, nullptr, 'h'}, kEvery, nullptr, "print this text and exit"},
};

bool Fail(char* error, size_t errorSize, const char* format, const char* detail) {
    if (error && errorSize > 0) std::snprintf(error, errorSize, format, detail);
    return false;
}

const CommandInfo* FindCommand(const char* name) {
    for (const CommandInfo& known : kCommands)
        if (std::strcmp(name, known.name) == 0) return &known;
    return nullptr;
}

const CommandInfo* InfoOf(CliCommand command) {
    for (const CommandInfo& known : kCommands)
        if (known.command == command) return &known;
    return nullptr;
}

const OptionInfo* OptionOf(int value) {
    for (const OptionInfo& known : kOptions)
        if (known.long_.val == value) return &known;
    return nullptr;
}

// A whole number from `low` to `high`, digits only.
bool ParseCount(const char* text, int low, int high, int* count) {
    long value = 0;
    if (!text || !*text) return false;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
        value = value * 10 + (*c - '0');
        if (value > high) return false;
    }
    if (value < low) return false;
    *count = static_cast<int>(value);
    return true;
}

void AppendOptionLines(unsigned use, std::string* text) {
    for (const OptionInfo& option : kOptions) {
        if (use && !(option.use & use)) continue;
        char head[48];
        const char shortName = option.long_.val < 256 ? static_cast<char>(option.long_.val) : 0;
        std::snprintf(head, sizeof head, "  %c%c%c --%s%s%s", shortName ? '-' : ' ',
                      shortName ? shortName : ' ', shortName ? ',' : ' ', option.long_.name,
                      option.argument ? "=" : "", option.argument ? option.argument : "");
        // The help in a column of its own, broken at blanks to stay within 79 columns.
        constexpr size_t kColumn = 24, kWidth = 79 - kColumn;
        char line[64];
        std::snprintf(line, sizeof line, "%-*s", static_cast<int>(kColumn), head);
        *text += line;
        std::string rest = option.help;
        while (rest.size() > kWidth) {
            size_t cut = rest.rfind(' ', kWidth);
            if (cut == std::string::npos || cut == 0) cut = kWidth;
            *text += rest.substr(0, cut) + "\n" + std::string(kColumn, ' ');
            rest.erase(0, rest[cut] == ' ' ? cut + 1 : cut);
        }
        *text += rest + "\n";
    }
}

}  // namespace

const char* CliCommandName(CliCommand command) {
    const CommandInfo* info = InfoOf(command);
    return info ? info->name : "";
}

bool ParseDurationOption(const char* text, int32_t* durationMs, char* error, size_t errorSize) {
    int count = 0;
    if (!ParseCount(text, 0, kMaxTestDuration, &count)) {
        if (error && errorSize > 0)
            std::snprintf(error, errorSize,
                          "--duration takes a whole number of milliseconds from 0 to %ld, not "
                          "'%.40s'",
                          static_cast<long>(kMaxTestDuration), text ? text : "");
        return false;
    }
    *durationMs = count;
    return true;
}

bool ParseCliArguments(int argc, const char* const* argv, CliOptions* options, char* error,
                       size_t errorSize) {
    *options = CliOptions();
    // getopt_long reorders its array (options before operands): ours, not the caller's.
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) {
        // Windows users ask for help with "/?".
        if (i > 0 && std::strcmp(argv[i], "/?") == 0) {
            options->command = CliCommand::kHelp;
            return true;
        }
        arguments.push_back(const_cast<char*>(argv[i]));
    }
    arguments.push_back(nullptr);
    option longOptions[sizeof kOptions / sizeof kOptions[0] + 1] = {};
    for (size_t i = 0; i < sizeof kOptions / sizeof kOptions[0]; ++i)
        longOptions[i] = kOptions[i].long_;

    bool help = false, version = false;
    unsigned given = 0;  // the options met, by their OptionInfo index
    opterr = 0;          // the reasons are ours, in one line
    optind = 0;          // 0 starts getopt afresh: a test parses many command lines
    for (;;) {
        int index = -1;
        const int c = getopt_long(argc, arguments.data(), ":jd:qt:r:Vh", longOptions, &index);
        if (c == -1) break;
        const char* value = optarg;
        if (c == '?') {
            if (optopt && optopt < 256) {
                char name[2] = {static_cast<char>(optopt), '\0'};
                return Fail(error, errorSize, "unknown option '-%s'", name);
            }
            return Fail(error, errorSize, "unknown option '%s'", arguments[optind - 1]);
        }
        if (c == ':') {
            const OptionInfo* missing = OptionOf(optopt);
            return Fail(error, errorSize, "--%s needs a value",
                        missing ? missing->long_.name : "an option");
        }
        for (size_t i = 0; i < sizeof kOptions / sizeof kOptions[0]; ++i)
            if (kOptions[i].long_.val == c) given |= 1u << i;
        switch (c) {
            case 'h':
                help = true;
                break;
            case 'V':
                version = true;
                break;
            case 'j':
                options->json = true;
                break;
            case 'q':
                options->quiet = true;
                break;
            case 'd':
                if (!ParseDurationOption(value, &options->durationMs, error, errorSize))
                    return false;
                options->hasDuration = true;
                break;
            case 't':
                if (std::strcmp(value, "all") == 0)
                    options->threads = kAllThreads;
                else if (!ParseCount(value, 1, 256, &options->threads))
                    return Fail(error, errorSize,
                                "--threads takes 'all' or a whole number from 1 to 256, not "
                                "'%.40s'",
                                value);
                break;
            case 'r':
                if (!ParseCount(value, 1, kMaxRepeat, &options->repeat))
                    return Fail(error, errorSize,
                                "--repeat takes a whole number from 1 to 100, not '%.40s'", value);
                break;
            case kDriveOption:
                if (!*value) return Fail(error, errorSize, "%s needs a drive", "--drive");
                options->drive = value;
                break;
            case kSysrootOption:
                if (!*value) return Fail(error, errorSize, "%s needs a directory", "--sysroot");
                options->sysroot = value;
                break;
            case kCpuidOption:
                if (!*value) return Fail(error, errorSize, "%s needs a file", "--cpuid");
                options->cpuidDump = value;
                break;
            default:
                return Fail(error, errorSize, "%s", "unknown option");
        }
    }

    // The operands: a command, or "help" and perhaps a command.
    bool helpWord = false;
    for (int i = optind; i < argc; ++i) {
        const char* word = arguments[i];
        if (!helpWord && options->command == CliCommand::kNone && std::strcmp(word, "help") == 0) {
            helpWord = true;
            continue;
        }
        const CommandInfo* known = FindCommand(word);
        if (!known) return Fail(error, errorSize, "unknown command '%.60s'", word);
        if (options->command != CliCommand::kNone)
            return Fail(error, errorSize, "more than one command: '%.60s'", word);
        options->command = known->command;
    }
    if (help || helpWord) {
        options->helpFor = options->command;
        options->command = CliCommand::kHelp;
        return true;
    }
    if (version) {
        options->command = CliCommand::kVersion;
        return true;
    }
    if (options->command == CliCommand::kNone)
        return Fail(error, errorSize, "%s", "no command given");
    const unsigned use = InfoOf(options->command)->use;
    for (size_t i = 0; i < sizeof kOptions / sizeof kOptions[0]; ++i) {
        if (!(given & (1u << i)) || (kOptions[i].use & use)) continue;
        if (error && errorSize > 0)
            std::snprintf(error, errorSize, "--%s does not apply to %s", kOptions[i].long_.name,
                          CliCommandName(options->command));
        return false;
    }
    return true;
}

std::string CliUsage(CliCommand command) {
    std::string text;
    const CommandInfo* info = InfoOf(command);
    if (!info) {
        text =
            "Usage: kelvane-cli COMMAND [OPTION]...\n"
            "       kelvane-cli help [COMMAND]\n"
            "\n"
            "Commands:\n";
        for (const CommandInfo& known : kCommands) {
            char line[160];
            std::snprintf(line, sizeof line, "  %-10s%s\n", known.name, known.summary);
            text += line;
        }
        text += "\nOptions:\n";
        AppendOptionLines(0, &text);
        text += "\n'kelvane-cli help COMMAND' tells which options a command takes.\n";
        return text;
    }
    text = std::string("Usage: kelvane-cli ") + info->name + " [OPTION]...\n" + info->summary +
           "\n\nOptions:\n";
    AppendOptionLines(info->use, &text);
    return text;
}
