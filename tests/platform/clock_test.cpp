// The real clock of this build: plausible, steady, and the tick in milliseconds.
#include "platform/clock.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemClock, CountersAdvanceWithSleep) {
    Clock& clock = SystemClock();
    uint64_t frequency = 0;
    ASSERT_TRUE(clock.CounterFrequency(&frequency));
    ASSERT_GT(frequency, 0u);

    uint32_t tick0 = clock.TickCount();
    uint64_t count0 = clock.Counter();
    uint64_t tsc0 = clock.TimeStampCounter();
    clock.Sleep(60);
    uint64_t count1 = clock.Counter();
    uint32_t tick1 = clock.TickCount();
    uint64_t tsc1 = clock.TimeStampCounter();

    double seconds = static_cast<double>(count1 - count0) / static_cast<double>(frequency);
    EXPECT_GE(seconds, 0.055);
    EXPECT_LT(seconds, 30.0);
    uint32_t ticks = tick1 - tick0;  // modulo 2^32
    EXPECT_GE(ticks, 40u);
    EXPECT_LT(ticks, 30000u);
    EXPECT_GT(tsc1, tsc0);
}

TEST(SystemClock, CounterNeverGoesBack) {
    Clock& clock = SystemClock();
    uint64_t last = clock.Counter();
    for (int i = 0; i < 100000; ++i) {
        uint64_t now = clock.Counter();
        ASSERT_GE(now, last);
        last = now;
    }
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
