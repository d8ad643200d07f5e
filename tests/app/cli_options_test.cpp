#include "app/cli/cli_options.h"

#include <gtest/gtest.h>

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
    EXPECT_STREQ(p.options.durationText, "500");

    p = Parse({"info", "--sysroot=tests/data/machines/wsl2/tree"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_STREQ(p.options.sysroot, "tests/data/machines/wsl2/tree");

    p = Parse({"flops", "--duration", "-5"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.command, CliCommand::kFlops);
    EXPECT_STREQ(p.options.durationText, "-5");

    const struct {
        const char* word;
        CliCommand command;
    } commands[] = {{"info", CliCommand::kInfo},   {"cpu", CliCommand::kCpu},
                    {"flops", CliCommand::kFlops}, {"memory", CliCommand::kMemory},
                    {"disk", CliCommand::kDisk},   {"all", CliCommand::kAll},
                    {"bench", CliCommand::kBench}};
    for (const auto& c : commands) {
        p = Parse({c.word});
        EXPECT_TRUE(p.ok) << c.word;
        EXPECT_EQ(p.options.command, c.command) << c.word;
    }
}

TEST(CliArguments, HelpAndVersionWinOverTheRest) {
    EXPECT_EQ(Parse({"info", "--help"}).options.command, CliCommand::kHelp);
    EXPECT_EQ(Parse({"-h"}).options.command, CliCommand::kHelp);
    EXPECT_EQ(Parse({"--version"}).options.command, CliCommand::kVersion);
    EXPECT_EQ(Parse({"--version", "--help"}).options.command, CliCommand::kHelp);
}

TEST(CliArguments, UsageErrors) {
    const std::vector<std::vector<const char*>> bad = {
        {},
        {"frobnicate"},
        {"--frobnicate"},
        {"info", "cpu"},
        {"cpu", "--duration"},
        {"cpu", "--duration="},
        {"disk", "--drive"},
        {"info", "--drive", "/"},
        {"-x"},
    };
    for (const auto& arguments : bad) {
        Parsed p = Parse(arguments);
        EXPECT_FALSE(p.ok) << (arguments.empty() ? "(nothing)" : arguments[0]);
        EXPECT_FALSE(p.error.empty());
    }
}

}  // namespace
