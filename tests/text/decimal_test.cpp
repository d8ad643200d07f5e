#include "text/decimal.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "support/scoped_locale.h"

namespace {

struct CutCase {
    double x;
    int16_t decimals;
    double expected;
};

TEST(CutToDecimals, CutsTowardZero) {
    const CutCase cases[] = {
        {0.0, 3, 0.0},
        {2.5, 0, 2.0},
        {1.23456789, 7, 1.2345678},
        {-1.239, 2, -1.23},
        {-1.239, -2, -1.23},
        {2.999, 2, 2.99},
        // 1.15 is held as 1.1499999999999999...
        {1.15, 2, 1.14},
        {2.9925432187, 7, 2.9925432},
    };
    for (const CutCase& c : cases) {
        EXPECT_DOUBLE_EQ(CutToDecimals(c.x, c.decimals), c.expected) << c.x << " " << c.decimals;
    }
}

TEST(CutToDecimals, HugeDecimalCountsLeaveTheValue) {
    EXPECT_EQ(CutToDecimals(1.5, 400), 1.5);
    EXPECT_EQ(CutToDecimals(-1.5, -32768), -1.5);
    EXPECT_EQ(CutToDecimals(1e308, 2), 1e308);
}

struct FormatCase {
    double x;
    int significant;
    const char* expected;
};

std::string Format(double x, int significant) {
    char out[kFormatNumberMax + 1 + 8];
    std::memset(out, 'X', sizeof out);
    FormatNumber(out, x, significant);
    // Nothing beyond the 31 bytes the caller is promised to need.
    for (size_t i = kFormatNumberMax + 1; i < sizeof out; ++i) EXPECT_EQ(out[i], 'X');
    return out;
}

TEST(FormatNumber, FifteenSignificantDigits) {
    const FormatCase cases[] = {
        {0.0, 15, "0"},
        {2.99, 15, "2.99"},
        {123.5, 15, "123.5"},
        {-3.25, 15, "-3.25"},
        {0.001, 15, "0.001"},
        {100.0, 15, "100"},
        {2.0 / 3.0, 15, "0.66666666666667"},
        {123456789012345.0, 15, "123456789012345"},
        {1e15, 15, "1.00000000000000e+015"},
        {1e20, 15, "1.00000000000000e+020"},
        {-1e308, 15, "-1.00000000000000e+308"},
        {1e100, 15, "1.00000000000000e+100"},
        {2.9925432, 15, "2.9925432"},
        {1e-20, 15, "0"},
        {DBL_MIN, 15, "0"},
        {std::numeric_limits<double>::denorm_min(), 15, "0"},
        {-std::numeric_limits<double>::denorm_min(), 15, "-0"},
    };
    for (const FormatCase& c : cases) EXPECT_EQ(Format(c.x, c.significant), c.expected) << c.x;
}

TEST(FormatNumber, SmallCountsActAsTwo) {
    const FormatCase cases[] = {
        {56.7, 1, "57"},         {123.5, 1, "1.2e+002"}, {56.7, -5, "57"},
        {123.5, -1, "1.2e+002"}, {56.7, 0, "57"},        {123.5, 0, "1.2e+002"},
    };
    for (const FormatCase& c : cases) {
        EXPECT_EQ(Format(c.x, c.significant), c.expected) << c.x << " " << c.significant;
    }
}

TEST(FormatNumber, NonFiniteValuesHaveOneSpelling) {
    EXPECT_EQ(Format(std::numeric_limits<double>::quiet_NaN(), 15), "nan");
    EXPECT_EQ(Format(std::numeric_limits<double>::infinity(), 15), "inf");
    EXPECT_EQ(Format(-std::numeric_limits<double>::infinity(), 15), "-inf");
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

TEST(FormatNumber, SameTextInEveryLocale) {
    const double values[] = {2.99, 2.5999987, -3.25, 0.001, 23.54, 1e15, 1e-3, 123.5};
    std::vector<std::string> inC;
    {
        ScopedLocale numbers(LC_NUMERIC, "C");
        for (double x : values) inC.push_back(Format(x, 15));
    }
    for (const char* locale : kTestLocales) {
        ScopedLocale numbers(LC_NUMERIC, locale);
        ASSERT_TRUE(numbers.ok()) << locale
                                  << " is not installed: scripts/install-deps.sh generates it";
        for (size_t i = 0; i < inC.size(); ++i) EXPECT_EQ(Format(values[i], 15), inC[i]) << locale;
        EXPECT_EQ(Format(2.59, 1), "2.6") << locale;
    }
}

TEST(FormatNumber, AbsentBufferIsIgnored) {
    FormatNumber(nullptr, 1.0, 15);
}

struct TrimCase {
    const char* text;
    int decimals;
    const char* expected;
};

TEST(TrimNumber, TidiesAndExtends) {
    const TrimCase cases[] = {
        {"2.50", 0, "2.5"},   {"2.000", 0, "2"},    {"0.0", 0, "0"},     {".5", 0, "0.5"},
        {"-0.50", 0, "-0.5"}, {"10", 0, "10"},      {".", 0, ""},        {"", 0, ""},
        {"10", 2, "10.00"},   {"960", 2, "960.00"}, {"2.0", 2, "2.00"},  {"2.4", 2, "2.4"},
        {"1.50", 2, "1.5"},   {"7", -3, "7."},      {"100.0", 0, "100"},
    };
    for (const TrimCase& c : cases) {
        char text[32];
        std::strcpy(text, c.text);
        TrimNumber(text, c.decimals, sizeof text);
        EXPECT_STREQ(text, c.expected) << '"' << c.text << "\" " << c.decimals;
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
    TrimNumber(nullptr, 2, 10);
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
    UsePeriodForDecimalPoint(nullptr);
}

TEST(ReadDecimal, PointInEveryLocale) {
    const struct {
        const char* text;
        double value;
        size_t used;  // characters read
    } cases[] = {
        {"2599.998", 2599.998, 8},
        {" 4300.112\n", 4300.112, 9},
        {"3.20GHz", 3.2, 4},
        {"-12", -12, 3},
        {"+0.5", 0.5, 4},
        {".5", 0.5, 2},
        {"7.", 7, 2},
        {"2600000\n", 2600000, 7},
        {"0.000123", 0.000123, 8},
        {"12345678901234567890123", 12345678901234567890123.0, 23},
        {"2,5", 2, 1},  // a comma ends the number, as in "C"
        {"", 0, 0},
        {".", 0, 0},
        {"-", 0, 0},
        {"GHz", 0, 0},
    };
    for (const char* locale : {"C", kTestLocales[0], kTestLocales[1]}) {
        ScopedLocale numbers(LC_NUMERIC, locale);
        ASSERT_TRUE(numbers.ok()) << locale;
        for (const auto& c : cases) {
            const char* end = nullptr;
            EXPECT_DOUBLE_EQ(ReadDecimal(c.text, &end), c.value)
                << '"' << c.text << "\" " << locale;
            EXPECT_EQ(static_cast<size_t>(end - c.text), c.used) << '"' << c.text << '"';
        }
    }
    // One rounding, as strtod in "C" gives.
    EXPECT_EQ(ReadDecimal("2599.998"), 2599.998);
    EXPECT_EQ(ReadDecimal("0.1"), 0.1);
    EXPECT_EQ(ReadDecimal(nullptr), 0);
}

}  // namespace
