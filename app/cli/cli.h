// kelvane-cli: the probes and benchmarks on a console.
#pragma once

#include <cstdio>

#include "app/cli/cli_options.h"

// Runs the tool; results go to `out`, progress and errors to `err`. Returns the exit status.
int RunCli(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

// The commands, each in a file of its own.
int RunInfoCommand(const CliOptions& options, std::FILE* out, std::FILE* err);
int RunBenchmarkCommand(const CliOptions& options, std::FILE* out, std::FILE* err);
