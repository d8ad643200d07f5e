#include "text/decimal.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>
#include <utility>

#include "support/scoped_locale.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kTiny = std::numeric_limits<double>::denorm_min();

TEST(CutToDecimals, CutsTowardZero) {
    // 1.15 is held as 1.1499999999999999...; counts whose scale overflows leave the value.
    const std::tuple<double, int16_t, double> cases[] = {
        {0.0, 3, 0.0},        {2.5, 0, 2.0},       {1.23456789, 7, 1.2345678},
        {-1.239, 2, -1.23},   {-1.239, -2, -1.23}, {2.9925432187, 7, 2.9925432},
        {2.999, 2, 2.99},     {1.15, 2, 1.14},     {1.5, 400, 1.5},
        {-1.5, -32768, -1.5}, {1e308, 2, 1e308}};
    for (const auto& [x, decimals, expected] : cases)
        EXPECT_EQ(CutToDecimals(x, decimals), expected) << x << " " << decimals;
}

std::string Format(double x, int significant) {
    char out[kFormatNumberMax + 1 + 8];
    std::memset(out, 'X', sizeof out);
    FormatNumber(out, x, significant);
    // Nothing beyond the 31 bytes the caller is promised to need.
    for (size_t i = kFormatNumberMax + 1; i < sizeof out; ++i) EXPECT_EQ(out[i], 'X');
    return out;
}

// The same text in every locale, one with a decimal comma among them.
TEST(FormatNumber, FifteenSignificantDigitsOneSpellingInEveryLocale) {
    const std::pair<double, const char*> cases[] = {
        {0.0, "0"},     {2.99, "2.99"},           {2.0 / 3.0, "0.66666666666667"},
        {100.0, "100"}, {123.5, "123.5"},         {123456789012345.0, "123456789012345"},
        {1e-20, "0"},   {-3.25, "-3.25"},         {1e15, "1.00000000000000e+015"},
        {DBL_MIN, "0"}, {0.001, "0.001"},         {1e20, "1.00000000000000e+020"},
        {kTiny, "0"},   {23.54, "23.54"},         {-1e308, "-1.00000000000000e+308"},
        {-kTiny, "-0"}, {2.9925432, "2.9925432"}, {1e100, "1.00000000000000e+100"},
        {kNaN, "nan"},  {2.5999987, "2.5999987"}, {-kInf, "-inf"},
        {kInf, "inf"}};
    for (const char* locale : {"C", kTestLocales[0], kTestLocales[1]}) {
        ScopedLocale numbers(LC_NUMERIC, locale);
        ASSERT_TRUE(numbers.ok()) << locale
                                  << " is not installed: scripts/install-deps.sh generates it";
        for (const auto& [x, expected] : cases)
            EXPECT_EQ(Format(x, 15), expected) << x << " " << locale;
        EXPECT_EQ(Format(2.59, 1), "2.6") << locale;
    }
}

TEST(FormatNumber, SmallCountsActAsTwo) {
    for (int count : {1, 0, -1, -5, -2147483647 - 1}) {
        EXPECT_EQ(Format(56.7, count), "57") << count;
        EXPECT_EQ(Format(123.5, count), "1.2e+002") << count;
    }
}

TEST(FormatNumber, AnyCountStaysInsideTheBuffers) {
    const double values[] = {1e308, -1e308, 1.0 / 3.0, 123456.789, 5e-324, -2.5, 1e15, 9.99e72};
    const int counts[] = {-2147483647 - 1, 0, 16, 40, 72, 73, 74, 80, 1000, 2147483647};
    for (double x : values) {
        for (int count : counts) {
            std::string text = Format(x, count);
            EXPECT_LE(text.size(), kFormatNumberMax) << x << " " << count;
            EXPECT_FALSE(text.empty());
        }
    }
}

// An absent text is a caller's slip: each routine returns without touching memory. A
// decimal comma, so that no routine returns early for want of a separator to replace.
TEST(DecimalTexts, AbsentTextsAreIgnored) {
    ScopedLocale numbers(LC_NUMERIC, kTestLocales[0]);
    FormatNumber(nullptr, 1.0, 15);
    TrimNumber(nullptr, 2, 10);
    UsePeriodForDecimalPoint(nullptr);
    const char* end = "x";
    EXPECT_EQ(ReadDecimal(nullptr, &end), 0);
    EXPECT_EQ(end, nullptr);
}

TEST(TrimNumber, TidiesAndExtends) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"2.50", 0, "2.5"},   {"2.000", 0, "2"},    {"0.0", 0, "0"},    {".5", 0, "0.5"},
        {"-0.50", 0, "-0.5"}, {"10", 0, "10"},      {".", 0, ""},       {"", 0, ""},
        {"10", 2, "10.00"},   {"960", 2, "960.00"}, {"2.0", 2, "2.00"}, {"2.4", 2, "2.4"},
        {"1.50", 2, "1.5"},   {"7", -3, "7."},      {"100.0", 0, "100"}};
    for (const auto& [in, decimals, expected] : cases) {
        char text[32];
        std::strcpy(text, in);
        TrimNumber(text, decimals, sizeof text);
        EXPECT_STREQ(text, expected) << '"' << in << "\" " << decimals;
    }
}

TEST(TrimNumber, NeverWritesPastItsCapacity) {
    char text[8] = {'1', '2', '3', '\0', 'X', 'X', 'X', 'X'};
    TrimNumber(text, 1000000, 6);  // room for "123.0" and the terminator only
    EXPECT_STREQ(text, "123.0");
    EXPECT_EQ(text[6], 'X');

    char full[4] = {'.', '5', '\0', 'X'};
    TrimNumber(full, 0, 3);  // no room for the leading zero: left as it is
    EXPECT_STREQ(full, ".5");
    EXPECT_EQ(full[3], 'X');

    char unterminated[3] = {'1', '.', '0'};
    TrimNumber(unterminated, 0, sizeof unterminated);
    EXPECT_EQ(std::memcmp(unterminated, "1.0", 3), 0);
}

TEST(UsePeriodForDecimalPoint, ReplacesTheLocalesSeparatorOnly) {
    char text[32];
    {
        ScopedLocale numbers(LC_NUMERIC, kTestLocales[0]);
        ASSERT_TRUE(numbers.ok());
        std::snprintf(text, sizeof text, "%.2f", 2.5);
        UsePeriodForDecimalPoint(text);
        EXPECT_STREQ(text, "2.50");
        std::strcpy(text, "1,5, 2,5");  // only the one printf wrote
        UsePeriodForDecimalPoint(text);
        EXPECT_STREQ(text, "1.5, 2,5");
    }
    ScopedLocale numbers(LC_NUMERIC, "C");
    std::strcpy(text, "1,5");  // in "C" a comma is no decimal point
    UsePeriodForDecimalPoint(text);
    EXPECT_STREQ(text, "1,5");
}

TEST(ReadDecimal, PointInEveryLocale) {
    // Text, value, characters read; a comma ends the number, as in "C".
    const std::tuple<const char*, double, size_t> cases[] = {
        {"", 0, 0},    {"-12", -12, 3},     {"2599.998", 2599.998, 8},
        {".", 0, 0},   {"+0.5", 0.5, 4},    {" 4300.112\n", 4300.112, 9},
        {"-", 0, 0},   {".5", 0.5, 2},      {"2600000\n", 2600000, 7},
        {"GHz", 0, 0}, {"7.", 7, 2},        {"0.000123", 0.000123, 8},
        {"2,5", 2, 1}, {"3.20GHz", 3.2, 4}, {"123456789012345678901", 123456789012345678901.0, 21}};
    for (const char* locale : {"C", kTestLocales[0], kTestLocales[1]}) {
        ScopedLocale numbers(LC_NUMERIC, locale);
        ASSERT_TRUE(numbers.ok()) << locale;
        for (const auto& [text, value, used] : cases) {
            const char* end = nullptr;
            EXPECT_DOUBLE_EQ(ReadDecimal(text, &end), value) << '"' << text << "\" " << locale;
            EXPECT_EQ(static_cast<size_t>(end - text), used) << '"' << text << '"';
        }
    }
    // One rounding, as strtod in "C" gives.
    EXPECT_EQ(ReadDecimal("2599.998"), 2599.998);
    EXPECT_EQ(ReadDecimal("0.1"), 0.1);
}

}  // namespace
