#include "app/cli/cli_options.h"
#include "app/cli/console_progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Parsed {
    bool ok;
    CliOptions options;
    std::string error;
};

Parsed Parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "kelvane-cli");
    Parsed parsed;
    char error[256] = "";
    parsed.ok = ParseCliArguments(static_cast<int>(arguments.size()), arguments.data(),
                                  &parsed.options, error, sizeof error);
    parsed.error = error;
    return parsed;
}

TEST(CliArguments, CommandsAndOptionsInAnyOrder) {
    Parsed p = Parse({"--json", "disk", "--drive", "/home", "--duration=500"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.command, CliCommand::kDisk);
    EXPECT_TRUE(p.options.json);
    EXPECT_STREQ(p.options.drive, "/home");
    EXPECT_TRUE(p.options.hasDuration);
    EXPECT_EQ(p.options.durationMs, 500);
    EXPECT_FALSE(Parse({"all"}).options.hasDuration);
    EXPECT_TRUE(Parse({"all", "-q"}).options.quiet);
    EXPECT_EQ(Parse({"flops", "--threads", "all"}).options.threads, kAllThreads);
    EXPECT_EQ(Parse({"memory", "--threads=4"}).options.threads, 4);
    EXPECT_EQ(Parse({"bench", "--threads", "256"}).options.threads, 256);

    p = Parse({"info", "--sysroot=tests/data/machines/wsl2/tree"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_STREQ(p.options.sysroot, "tests/data/machines/wsl2/tree");
    p = Parse({"info", "--cpuid", "dump.txt", "--sysroot=tree"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_STREQ(p.options.cpuidDump, "dump.txt");
    EXPECT_STREQ(Parse({"cpuid", "--cpuid=other.txt"}).options.cpuidDump, "other.txt");

    const struct {
        const char* word;
        CliCommand command;
    } commands[] = {{"info", CliCommand::kInfo},   {"cpu", CliCommand::kCpu},
                    {"flops", CliCommand::kFlops}, {"memory", CliCommand::kMemory},
                    {"disk", CliCommand::kDisk},   {"all", CliCommand::kAll},
                    {"bench", CliCommand::kBench}, {"cpuid", CliCommand::kCpuid}};
    for (const auto& c : commands) {
        p = Parse({c.word});
        EXPECT_TRUE(p.ok) << c.word;
        EXPECT_EQ(p.options.command, c.command) << c.word;
    }
}

TEST(CliArguments, AsGnuToolsTakeThem) {
    Parsed p = Parse({"-qjd500", "-r", "3", "memory", "-t2"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(p.options.quiet && p.options.json);
    EXPECT_EQ(p.options.durationMs, 500);
    EXPECT_EQ(p.options.repeat, 3);
    EXPECT_EQ(p.options.threads, 2);
    EXPECT_EQ(Parse({"cpu", "--repeat=100"}).options.repeat, 100);
    EXPECT_EQ(Parse({"cpu"}).options.repeat, 1);
    // "--" ends the options: what follows is an operand even where it looks like one.
    EXPECT_EQ(Parse({"--", "info"}).options.command, CliCommand::kInfo);
    EXPECT_FALSE(Parse({"info", "--", "--json"}).ok);
    // The parser starts afresh on every call.
    EXPECT_FALSE(Parse({"info"}).options.json);
}

TEST(CliArguments, HelpAndVersionWinOverTheRest) {
    const struct {
        std::vector<const char*> arguments;
        CliCommand command, helpFor;
    } cases[] = {{{"info", "--help"}, CliCommand::kHelp, CliCommand::kInfo},
                 {{"help", "disk"}, CliCommand::kHelp, CliCommand::kDisk},
                 {{"help"}, CliCommand::kHelp, CliCommand::kNone},
                 {{"-h"}, CliCommand::kHelp, CliCommand::kNone},
                 {{"/?"}, CliCommand::kHelp, CliCommand::kNone},
                 {{"-V"}, CliCommand::kVersion, CliCommand::kNone},
                 {{"--version", "--help"}, CliCommand::kHelp, CliCommand::kNone}};
    for (const auto& c : cases) {
        Parsed p = Parse(c.arguments);
        EXPECT_TRUE(p.ok) << c.arguments[0] << ": " << p.error;
        EXPECT_EQ(p.options.command, c.command) << c.arguments[0];
        EXPECT_EQ(p.options.helpFor, c.helpFor) << c.arguments[0];
    }
    // A command's usage names the options it takes and no other.
    const std::string disk = CliUsage(CliCommand::kDisk);
    EXPECT_EQ(disk.rfind("Usage: kelvane-cli disk", 0), 0u) << disk;
    EXPECT_NE(disk.find("--drive"), std::string::npos);
    EXPECT_EQ(disk.find("--sysroot"), std::string::npos);
    for (const std::string& usage : {CliUsage(), disk}) {
        for (size_t at = 0, end; at < usage.size(); at = end + 1) {
            end = usage.find('\n', at);
            EXPECT_LE(end - at, 79u) << usage.substr(at, end - at);
        }
    }
}

TEST(CliArguments, UsageErrors) {
    const std::vector<std::vector<const char*>> bad = {
        {"cpu", "--duration"},
        {"info", "--duration", "100"},
        {},
        {"cpu", "--duration="},
        {"flops", "--threads", "0"},
        {"frobnicate"},
        {"disk", "--drive"},
        {"flops", "--threads", "257"},
        {"--frobnicate"},
        {"info", "--drive", "/"},
        {"flops", "--threads", "two"},
        {"info", "cpu"},
        {"memory", "--threads"},
        {"cpu", "--threads", "2"},
        {"-x"},
        {"cpu", "--repeat", "0"},
        {"cpu", "--repeat", "101"},
        {"bench", "--repeat", "2"},
        {"help", "frobnicate"},
        {"-qx", "cpu"},
        {"info", "--sysroot="},
        {"info", "--cpuid="},
        {"cpu", "--cpuid", "dump.txt"},
        {"cpuid", "--json"},
        {"cpuid", "--sysroot", "/"},
    };
    for (const auto& arguments : bad) {
        Parsed p = Parse(arguments);
        EXPECT_FALSE(p.ok) << (arguments.empty() ? "(nothing)" : arguments[0]);
        EXPECT_FALSE(p.error.empty());
    }
}

TEST(CliArguments, DurationIsAWholeNumberOfMillisecondsWithinBounds) {
    const struct {
        const char* text;
        bool ok;
        int32_t ms;
    } cases[] = {{"0", true, 0},          {"500", true, 500},    {"3600000", true, 3600000},
                 {"0003000", true, 3000}, {"3600001", false, 0}, {"99999999999", false, 0},
                 {"abc", false, 0},       {"1e4", false, 0},     {"5s", false, 0},
                 {"-5", false, 0},        {"+5", false, 0},      {" 5", false, 0},
                 {"5.0", false, 0},       {"", false, 0}};
    for (const auto& c : cases) {
        Parsed p = Parse({"cpu", "--duration", c.text});
        EXPECT_EQ(p.ok, c.ok) << "'" << c.text << "'";
        if (c.ok) {
            EXPECT_EQ(p.options.durationMs, c.ms) << c.text;
        } else {
            EXPECT_NE(p.error.find("--duration"), std::string::npos) << p.error;
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
