#include "app/duration.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* text;
    int32_t expected;
};

// The digits wrap in 32 bits.
TEST(ParseLeadingNumber, FirstNumberWithTheSignBeforeIt) {
    const TextCase cases[] = {
        {"/t 5000", 5000}, {"-250", -250},    {"x-7y", -7},      {"2147483647", 2147483647},
        {"--9", -9},       {"abc", 0},        {"12ab34", 12},    {"2147483648", -2147483647 - 1},
        {"", 0},           {"7", 7},          {"0", 0},          {"99999999999", 1215752191},
        {"- 5", 5},        {"4294967296", 0}, {"4294967301", 5}, {"-99999999999", -1215752191}};
    for (const auto& c : cases) EXPECT_EQ(ParseLeadingNumber(c.text), c.expected) << c.text;
    EXPECT_EQ(ParseLeadingNumber(nullptr), 0);
}

// A number that wraps to a negative one is ignored.
TEST(TestDuration, CommandLineSetsItWithinBounds) {
    const TextCase cases[] = {{nullptr, 3000},      {"-250", 3000},       {"3600001", 3600000},
                              {"", 3000},           {"/t 5000", 5000},    {"99999999999", 3600000},
                              {"3600000", 3600000}, {"2147483648", 3000}, {"abc", 0}};
    for (const auto& c : cases) {
        g_TestDuration = kDefaultTestDuration;
        SetTestDurationFromCommandLine(c.text);
        EXPECT_EQ(g_TestDuration, c.expected) << (c.text ? c.text : "(none)");
    }
    g_TestDuration = kDefaultTestDuration;
}

}  // namespace
