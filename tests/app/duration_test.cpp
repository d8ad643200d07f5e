#include "app/duration.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseLeadingNumber, FirstNumberWithTheSignBeforeIt) {
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"/t 5000", 5000}, {"-250", -250}, {"x-7y", -7},  {"--9", -9},   {"abc", 0},
        {"12ab34", 12},    {"", 0},        {"7", 7},      {"0", 0},      {"- 5", 5},
        {"2147483647", 2147483647},
        {"2147483648", -2147483647 - 1},   // wraps in 32 bits
        {"4294967296", 0},
        {"4294967301", 5},
        {"99999999999", 1215752191},
        {"-99999999999", -1215752191},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseLeadingNumber(c.text), c.expected) << c.text;
    EXPECT_EQ(ParseLeadingNumber(nullptr), 0);
}

TEST(TestDuration, CommandLineSetsItWithinBounds) {
    const struct {
        const char* commandLine;
        int32_t expected;
    } cases[] = {
        {nullptr, 3000},     {"", 3000},          {"10000", 10000},  {"abc", 0},
        {"-250", 3000},      {"/t 5000", 5000},   {"3600000", 3600000},
        {"3600001", 3600000}, {"99999999999", 3600000},
        {"2147483648", 3000},  // wraps to a negative number: ignored
    };
    for (const auto& c : cases) {
        g_TestDuration = kDefaultTestDuration;
        SetTestDurationFromCommandLine(c.commandLine);
        EXPECT_EQ(g_TestDuration, c.expected) << (c.commandLine ? c.commandLine : "(none)");
    }
    g_TestDuration = kDefaultTestDuration;
}

}  // namespace
