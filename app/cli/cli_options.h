// Command line of kelvane-cli.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class CliCommand {
    kNone,
    kHelp,
    kVersion,
    kInfo,
    kCpuid,
    kCpu,
    kFlops,
    kMemory,
    kDisk,
    kAll,
    kBench
};

struct CliOptions {
    CliCommand command = CliCommand::kNone;
    // With kHelp: the command whose usage is asked for ("help disk", "disk --help"), or
    // kNone for the whole tool's.
    CliCommand helpFor = CliCommand::kNone;
    bool json = false;
    bool quiet = false;  // nothing on stderr but errors
    // --duration, checked: a whole number of milliseconds from 0 to kMaxTestDuration.
    bool hasDuration = false;
    int32_t durationMs = 0;
    const char* drive = nullptr;
    // --threads: 0 when not given, kAllThreads for "all", else the count.
    int threads = 0;
    // --repeat: how many times each benchmark runs, 1 to kMaxRepeat.
    int repeat = 1;
    // A machine tree read in place of this machine's /proc, /sys and /etc (info only).
    const char* sysroot = nullptr;
    // A CPUID dump read in place of this processor (info and cpuid).
    const char* cpuidDump = nullptr;
};

constexpr int kAllThreads = -1;
constexpr int kMaxRepeat = 100;

// Exit statuses of the tool.
constexpr int kExitOk = 0;
constexpr int kExitNoResult = 1;
constexpr int kExitUsage = 2;

// Reads argv[1..argc-1] as GNU tools do: options before or after the command,
// "--opt=value" and "--opt value", short options bundled ("-qj", "-d500"), "--" ends
// the options. On Windows "/?" asks for the help. On a usage error returns false with a
// one-line reason in `error`.
bool ParseCliArguments(int argc, const char* const* argv, CliOptions* options, char* error,
                       size_t errorSize);

// --duration's value: digits only, 0 to kMaxTestDuration. False, with the reason in
// `error`, for anything else ("abc", "1e4", "5s", "-5", "", "99999999999").
bool ParseDurationOption(const char* text, int32_t* durationMs, char* error, size_t errorSize);

// The command's word on the command line: "info", "cpu", ...
const char* CliCommandName(CliCommand command);

// The usage text of the tool (kNone) or of one command, ending in a line feed.
std::string CliUsage(CliCommand command = CliCommand::kNone);
