#include "app/cli/cli_options.h"
#include "app/cli/console_progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The parse as one line: the command, then each option that differs from its default; or
// "error: " and the reason.
std::string Outcome(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "kelvane-cli");
    CliOptions o;
    char error[256] = "";
    if (!ParseCliArguments(static_cast<int>(arguments.size()), arguments.data(), &o, error,
                           sizeof error))
        return error[0] ? std::string("error: ") + error : "error";
    // In the enum's order, not through the parser's own table of names.
    const char* const names[] = {"none",  "help",   "version", "info", "cpuid", "cpu",
                                 "flops", "memory", "disk",    "all",  "bench"};
    std::string s = names[static_cast<int>(o.command)];
    if (o.helpFor != CliCommand::kNone) s += std::string(" ") + names[static_cast<int>(o.helpFor)];
    if (o.json) s += " json";
    if (o.quiet) s += " quiet";
    if (o.hasDuration) s += " duration=" + std::to_string(o.durationMs);
    if (o.drive) s += std::string(" drive=") + o.drive;
    if (o.threads)
        s += " threads=" + (o.threads == kAllThreads ? "all" : std::to_string(o.threads));
    if (o.repeat != 1) s += " repeat=" + std::to_string(o.repeat);
    if (o.sysroot) s += std::string(" sysroot=") + o.sysroot;
    if (o.cpuidDump) s += std::string(" cpuid=") + o.cpuidDump;
    return s;
}

// Options before or after the command, as GNU tools take them. An expected outcome that
// starts with "error" is a usage error whose reason starts with the rest.
TEST(CliArguments, EachCommandLineParsesToItsOptionsOrAUsageError) {
    const struct {
        std::vector<const char*> arguments;
        const char* outcome;
    } cases[] = {
        {{"--json", "disk", "--drive", "/home", "--duration=500"},
         "disk json duration=500 drive=/home"},
        {{"all", "-q"}, "all quiet"},
        {{"flops", "--threads", "all"}, "flops threads=all"},
        {{"memory", "--threads=4"}, "memory threads=4"},
        {{"bench", "--threads", "256"}, "bench threads=256"},
        {{"info", "--sysroot=machines/wsl2/tree"}, "info sysroot=machines/wsl2/tree"},
        {{"info", "--cpuid", "dump.txt", "--sysroot=tree"}, "info sysroot=tree cpuid=dump.txt"},
        {{"cpuid", "--cpuid=other.txt"}, "cpuid cpuid=other.txt"},
        {{"-qjd500", "-r", "3", "memory", "-t2"},
         "memory json quiet duration=500 threads=2 repeat=3"},
        {{"cpu"}, "cpu"},  // the parser starts afresh on every call
        {{"cpu", "--repeat=100"}, "cpu repeat=100"},
        // "--" ends the options: what follows is an operand even where it looks like one.
        {{"--", "info"}, "info"},
        {{"info", "--", "--json"}, "error: unknown command '--json'"},
        // Help and version win over the rest.
        {{"info", "--help"}, "help info"},
        {{"help", "disk"}, "help disk"},
        {{"help"}, "help"},
        {{"-h"}, "help"},
        {{"/?"}, "help"},
        {{"-V"}, "version"},
        {{"--version", "--help"}, "help"},
        {{}, "error: no command"},
        {{"frobnicate"}, "error: unknown command"},
        {{"help", "frobnicate"}, "error: unknown command"},
        {{"info", "cpu"}, "error: more than one command"},
        {{"--frobnicate"}, "error: unknown option"},
        {{"-x"}, "error: unknown option"},
        {{"-qx", "cpu"}, "error: unknown option"},
        {{"cpu", "--duration"}, "error: --duration"},
        {{"cpu", "--duration="}, "error: --duration"},
        // --duration: a whole number of milliseconds within bounds, and nothing else.
        {{"cpu", "--duration", "0"}, "cpu duration=0"},
        {{"cpu", "--duration", "3600000"}, "cpu duration=3600000"},
        {{"cpu", "--duration", "0003000"}, "cpu duration=3000"},
        {{"cpu", "--duration", "3600001"}, "error: --duration"},
        {{"cpu", "--duration", "99999999999"}, "error: --duration"},
        {{"cpu", "--duration", "abc"}, "error: --duration"},
        {{"cpu", "--duration", "1e4"}, "error: --duration"},
        {{"cpu", "--duration", "5s"}, "error: --duration"},
        {{"cpu", "--duration", "-5"}, "error: --duration"},
        {{"cpu", "--duration", "+5"}, "error: --duration"},
        {{"cpu", "--duration", " 5"}, "error: --duration"},
        {{"cpu", "--duration", "5.0"}, "error: --duration"},
        {{"cpu", "--duration", ""}, "error: --duration"},
        {{"info", "--duration", "100"}, "error: --duration"},
        {{"disk", "--drive"}, "error: --drive"},
        {{"info", "--drive", "/"}, "error: --drive"},
        {{"memory", "--threads"}, "error: --threads"},
        {{"flops", "--threads", "0"}, "error: --threads"},
        {{"flops", "--threads", "257"}, "error: --threads"},
        {{"flops", "--threads", "two"}, "error: --threads"},
        {{"cpu", "--threads", "2"}, "error: --threads"},
        {{"cpu", "--repeat", "0"}, "error: --repeat"},
        {{"cpu", "--repeat", "101"}, "error: --repeat"},
        {{"bench", "--repeat", "2"}, "error: --repeat"},
        {{"info", "--sysroot="}, "error: --sysroot"},
        {{"cpuid", "--sysroot", "/"}, "error: --sysroot"},
        {{"info", "--cpuid="}, "error: --cpuid"},
        {{"cpu", "--cpuid", "dump.txt"}, "error: --cpuid"},
        {{"cpuid", "--json"}, "error: --json"},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const char* argument : c.arguments) line += std::string(argument) + " ";
        const std::string outcome = Outcome(c.arguments);
        const bool error = std::strncmp(c.outcome, "error", 5) == 0;
        EXPECT_EQ(error ? outcome.substr(0, std::strlen(c.outcome)) : outcome, c.outcome)
            << line << "-> " << outcome;
    }
}

// A command's usage names the options it takes and no other, in lines that fit a terminal.
TEST(CliUsage, NamesTheCommandsOptionsWithinTheWidth) {
    const std::string disk = CliUsage(CliCommand::kDisk);
    EXPECT_NE(disk.find("--drive"), std::string::npos);
    EXPECT_EQ(disk.find("--sysroot"), std::string::npos);
    for (const std::string& usage : {CliUsage(), disk}) {
        for (size_t at = 0, end; at < usage.size(); at = end + 1) {
            end = usage.find('\n', at);
            EXPECT_LE(end - at, 79u) << usage.substr(at, end - at);
        }
    }
}

TEST(ConsoleProgress, BarLineShowsStepTimesAndTextWithinTheWidth) {
    const struct {
        uint32_t elapsed;
        const char* bar;
    } cases[] = {{0, "....................]   0.0"},
                 {3000, "##########..........]   3.0"},
                 {9000, "####################]   9.0"}};
    for (const auto& c : cases) {
        char out[80];
        FormatProgressLine("CPU FLOPS:", c.elapsed, 6000, "Whetstone 1 iterations...", 79, out);
        EXPECT_EQ(std::string(out),
                  std::string("CPU FLOPS:     [") + c.bar + " s / ~6.0 s  Whetstone 1 iterations.");
    }
    // The terminal's width, else $COLUMNS, else 80; a column short of the edge.
    EXPECT_EQ(ProgressLineWidth(40, "200"), 39);
    EXPECT_EQ(ProgressLineWidth(0, "132"), 131);
    EXPECT_EQ(ProgressLineWidth(0, "wide"), 79);
    EXPECT_EQ(ProgressLineWidth(0, nullptr), 79);
    EXPECT_EQ(ProgressLineWidth(8, nullptr), 20);
    EXPECT_EQ(ProgressLineWidth(5000, nullptr), 511);
    char narrow[21];
    FormatProgressLine("Mem Bandwidth:", 1000, 0, "4094 MB memory copy test...", 20, narrow);
    EXPECT_STREQ(narrow, "Mem Bandwidth: [....") << "cut to the width";
}

TEST(ConsoleProgress, LinesForPipesAndNothingWhenQuiet) {
    const char* lines = "CPU FLOPS:\n  Whetstone 1 iterations...\n  Whetstone 2 iterations...\n";
    for (ProgressStyle style : {ProgressStyle::kLines, ProgressStyle::kQuiet}) {
        std::FILE* err = std::tmpfile();
        ASSERT_NE(err, nullptr);
        {
            ConsoleProgress progress(err, style);
            progress.BeginStep("CPU FLOPS:", 6000);
            progress.Set("Whetstone 1 iterations...\n");
            progress.Show("Whetstone 2 iterations...\n");
            progress.EndStep();
        }
        std::rewind(err);
        char text[256] = "";
        text[std::fread(text, 1, sizeof text - 1, err)] = '\0';
        std::fclose(err);
        EXPECT_STREQ(text, style == ProgressStyle::kQuiet ? "" : lines);
    }
}

}  // namespace
