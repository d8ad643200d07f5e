// Month names for the time stamp: the user's language, the stand-alone form.
#include "platform/month_name.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "support/scoped_locale.h"

namespace {

std::string Month(int month, size_t capacity = 32) {
    char out[32];
    GetMonthName(month, out, capacity);
    return out;
}

TEST(MonthNameTest, StandAloneFormInTheUsersLanguage) {
    // %B would give the genitive of a date ("марта", "мая"); the stand-alone names are
    // capitalised, as Windows writes them for the picture "MMMM". A short buffer keeps whole
    // characters: three bytes of "Март" are "М" and half of "а".
    const struct {
        const char *locale, *march, *may, *september, *marchIn4;
    } cases[] = {{"C", "March", "May", "September", "Mar"},
                 {"de_DE.UTF-8", "März", "Mai", "September", "Mä"},
                 {"ru_RU.UTF-8", "Март", "Май", "Сентябрь", "М"}};
    for (const auto& c : cases) {
        ScopedLocale time(LC_TIME, c.locale);
        ASSERT_TRUE(time.ok()) << c.locale << " is not installed: scripts/install-deps.sh makes it";
        EXPECT_EQ(Month(3), c.march) << c.locale;
        EXPECT_EQ(Month(5), c.may) << c.locale;
        EXPECT_EQ(Month(9), c.september) << c.locale;
        EXPECT_EQ(Month(3, 4), c.marchIn4) << c.locale;
        EXPECT_EQ(Month(3, 1) + Month(0) + Month(13), "") << c.locale << ": none, or out of range";
    }
}

}  // namespace
