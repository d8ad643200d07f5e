// kelvane-cli: the probes and benchmarks on a console.
#pragma once

#include <cstdio>

#include "app/cli/cli_options.h"

// Runs the tool; results go to `out`, progress and errors to `err`. Returns the exit status.
int RunCli(int argc, const char* const* argv, std::FILE* out, std::FILE* err);
// Flushes `out`: where it or an earlier write failed, one line on `err` (none for a
// reader that went away) and status 1; else `status`.
int FinishOutput(std::FILE* out, std::FILE* err, int status);

// The commands, each in a file of its own.
int RunInfoCommand(const CliOptions& options, std::FILE* out, std::FILE* err);
// Writes this processor's CPUID leaves (or the installed dump's) in the text form.
int RunCpuidCommand(const CliOptions& options, std::FILE* out, std::FILE* err);
// For info and cpuid, before the first probe: puts the dump of --cpuid, else the machine
// tree's cpuid.txt, in this processor's place. A status other than kExitOk, with the reason
// on `err`, where the dump cannot be read.
int InstallCpuidDump(const CliOptions& options, std::FILE* err);
// The System Information fields as label lines, or as the "info" member of a JSON object.
void WriteSummaryLines(const struct SystemSummary& summary, std::FILE* out);
void WriteSummaryJson(const struct SystemSummary& summary, class JsonWriter& json);

// The drive of --drive, or the one the dialog preselects.
void ChooseDrive(const CliOptions& options, char* out, size_t capacity);
// kelvane-cli bench: each benchmark next to an independent reference.
int RunBenchMode(const CliOptions& options, std::FILE* out, std::FILE* err);

int RunBenchmarkCommand(const CliOptions& options, std::FILE* out, std::FILE* err);
// --threads as a count: "all" is the processors this process may use.
int ThreadCount(const CliOptions& options);

// The JSON documents' schema (docs/kelvane-cli.schema.json): a new version only when a key
// is removed or changes its meaning; added keys keep it.
constexpr int kJsonSchemaVersion = 1;
// Opens the document's object with kelvane_version, schema_version, time (UTC) and command.
void BeginJsonDocument(class JsonWriter& json, const char* command);
// The machine a run measured: processor, processor count, memory, OS.
void WriteMachineJson(const struct SystemSummary& summary, class JsonWriter& json);
// The processor's numbers (family, model, stepping as decimal integers), vendor and brand
// strings, and the OS as fields: what the display texts hold, for scripts.
void WriteIdentityJson(class JsonWriter& json);
