// Command line of kelvane-cli.
#pragma once

#include <cstddef>
#include <cstdint>

enum class CliCommand { kNone, kHelp, kVersion, kInfo, kCpu, kFlops, kMemory, kDisk, kAll, kBench };

struct CliOptions {
    CliCommand command = CliCommand::kNone;
    bool json = false;
    // Raw text after --duration; the duration itself follows the GUI's rule.
    const char* durationText = nullptr;
    const char* drive = nullptr;
    // A machine tree read in place of this machine's /proc, /sys and /etc (info only).
    const char* sysroot = nullptr;
};

// Exit statuses of the tool.
constexpr int kExitOk = 0;
constexpr int kExitNoResult = 1;
constexpr int kExitUsage = 2;

// Reads argv[1..argc-1]. Options may stand before or after the command. On a usage
// error returns false with a one-line reason in `error`.
bool ParseCliArguments(int argc, const char* const* argv, CliOptions* options, char* error,
                       size_t errorSize);

// The usage text, ending in a line feed.
const char* CliUsage();
