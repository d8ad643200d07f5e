#include "text/replace.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "text/bounded_copy.h"

namespace {

// One pass halves a run of blanks, rounding up; three passes leave ceil(n/8).
TEST(ReplaceAll, LeftToRightWithoutRescanningReplacements) {
    const std::tuple<const char*, const char*, const char*, int, const char*> cases[] = {
        {"no match here", "xyz", "", 1, "no match here"},
        {"aa", "a", "aa", 1, "aaaa"},
        {"a,b,,c", ",", ";", 1, "a;b;;c"},
        {"abab", "ab", "", 1, ""},
        {"MMX, SSE, Thermal Monitoring", ", Thermal Monitoring", "", 1, "MMX, SSE"},
        {"Thermal Monitoring", ", Thermal Monitoring", "", 1, "Thermal Monitoring"},
        {"x, Thermal Monitoring, Thermal Monitoring", ", Thermal Monitoring", "", 1, "x"},
        {"", "  ", " ", 1, ""},
        {"a     b", "  ", " ", 1, "a   b"},
        {"a        b", "  ", " ", 3, "a b"},
        {"a         b", "  ", " ", 3, "a  b"},
        {"a                 b", "  ", " ", 3, "a   b"},
        {"a b c", "  ", " ", 3, "a b c"}};
    for (const auto& [in, pattern, replacement, passes, expected] : cases) {
        char text[260];
        std::strcpy(text, in);
        for (int i = 0; i < passes; ++i) ReplaceAll(text, sizeof text, pattern, replacement);
        EXPECT_STREQ(text, expected) << '"' << in << '"';
    }
}

TEST(ReplaceAll, EmptyOrAbsentArgumentsChangeNothing) {
    char text[8] = "abc";
    ReplaceAll(text, sizeof text, "", "x");
    EXPECT_STREQ(text, "abc");
    ReplaceAll(text, sizeof text, nullptr, "x");
    EXPECT_STREQ(text, "abc");
    ReplaceAll(nullptr, 10, "a", "b");
    ReplaceAll(text, sizeof text, "b", nullptr);  // absent replacement: removal
    EXPECT_STREQ(text, "ac");
}

TEST(ReplaceAll, GrowthStopsAtTheCapacity) {
    // Guards on both sides show any write outside the 8-byte text.
    char area[16];
    std::memset(area, '#', sizeof area);
    char* text = area + 4;
    std::strcpy(text, "aaaa");
    ReplaceAll(text, 8, "a", "aa");  // 7 characters fit: three doubled, the last left
    EXPECT_STREQ(text, "aaaaaaa");
    for (int i : {0, 1, 2, 3, 12, 13, 14, 15}) EXPECT_EQ(area[i], '#') << i;

    char exact[5] = "ab";
    ReplaceAll(exact, sizeof exact, "b", "xyz");  // "axyz" fills it exactly
    EXPECT_STREQ(exact, "axyz");

    char unterminated[3] = {'a', 'a', 'a'};
    ReplaceAll(unterminated, sizeof unterminated, "a", "");
    EXPECT_EQ(std::memcmp(unterminated, "aaa", 3), 0);
}

TEST(ReplaceTabs, OneBlankPerTabWithoutMerging) {
    char text[32] = "a\tb \tc\t";
    ReplaceTabs(text);
    EXPECT_STREQ(text, "a b  c ");
    ReplaceTabs(nullptr);
}

TEST(CopyBounded, LimitCountsTheTerminator) {
    char out[8];
    EXPECT_EQ(CopyBounded(out, "abcdefghij", 8), 7u);
    EXPECT_STREQ(out, "abcdefg");
    EXPECT_EQ(CopyBounded(out, nullptr, 8), 0u);
    EXPECT_STREQ(out, "");
    out[0] = 'Z';
    EXPECT_EQ(CopyBounded(out, "abc", 0), 0u);
    EXPECT_EQ(out[0], 'Z');

    char text[8] = "abc";
    EXPECT_EQ(AppendBounded(text, "defghij", sizeof text), 7u);
    EXPECT_STREQ(text, "abcdefg");
}

}  // namespace
