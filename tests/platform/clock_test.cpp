// The real clock of this build: plausible, steady, and the tick in milliseconds.
#include "platform/clock.h"

#include <gtest/gtest.h>

namespace {

// The bounds only tell the units apart: a sleep never ends early, and no machine is slow
// enough to take 30 s over 60 ms.
TEST(SystemClock, CountersAdvanceWithSleepAndNeverGoBack) {
    Clock& clock = SystemClock();
    uint64_t frequency = 0;
    ASSERT_TRUE(clock.CounterFrequency(&frequency));
    ASSERT_GT(frequency, 0u);
    const uint32_t tick0 = clock.TickCount();
    const uint64_t count0 = clock.Counter(), tsc0 = clock.TimeStampCounter();
    clock.Sleep(60);
    const uint64_t count1 = clock.Counter();
    const uint32_t ticks = clock.TickCount() - tick0;  // modulo 2^32
    EXPECT_GT(clock.TimeStampCounter(), tsc0);
    const double seconds = static_cast<double>(count1 - count0) / static_cast<double>(frequency);
    EXPECT_GE(seconds, 0.055);
    EXPECT_LT(seconds, 30.0);
    EXPECT_GE(ticks, 40u);
    EXPECT_LT(ticks, 30000u);
    for (uint64_t i = 0, last = clock.Counter(), now; i < 100000; ++i, last = now)
        ASSERT_GE(now = clock.Counter(), last);
}

TEST(SystemClock, LocalTimeIsACalendarDate) {
    LocalTime now = SystemClock().Now();
    EXPECT_GE(now.year, 2020);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12) << now.month;
    EXPECT_TRUE(now.day >= 1 && now.day <= 31) << now.day;
    EXPECT_TRUE(now.hour <= 23 && now.minute <= 59 && now.second <= 60)
        << now.hour << ":" << now.minute << ":" << now.second;
}

}  // namespace
