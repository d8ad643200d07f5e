#include "bench/benchmarks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "bench/cpu_clock.h"
#include "bench/memory_bandwidth.h"
#include "bench/whetstone.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_system.h"

namespace {

class RecordingProgress final : public ProgressTarget {
public:
    std::vector<std::string> shown, set;
    void Show(const char* text) override { shown.push_back(text); }
    void Set(const char* text) override { set.push_back(text); }
};

TEST(CpuClockTest, CountsTicksOverOneSecond) {
    FakeClock clock;
    clock.frequency = 1000000;
    clock.counterStep = 1000;
    clock.tscPerCount = 2993;  // 2993 MHz
    double mhz = MeasureCpuClock(clock);
    EXPECT_NEAR(mhz, 2993, 3);
    RecordingProgress progress;
    BenchmarkResult result;
    RunCpuClockBenchmark(progress, &result, clock);
    EXPECT_EQ(progress.shown, std::vector<std::string>{"Emitting RdTSC..."});
    EXPECT_EQ(clock.sleptMs, 500u);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(std::string(result.text).substr(0, 3), "2.9");
}

TEST(CpuClockTest, NoCounterShowsZeroAtOnce) {
    FakeClock clock;
    clock.frequency = 0;
    RecordingProgress progress;
    BenchmarkResult result;
    RunCpuClockBenchmark(progress, &result, clock);
    EXPECT_STREQ(result.text, "0.00 GHz");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(clock.sleptMs, 0u);
    EXPECT_EQ(clock.timeStampReads, 0) << "nothing is measured";
    EXPECT_EQ(MeasureCpuClock(clock), 0.0);
}

TEST(CpuClockTest, TextChain) {
    const struct {
        double mhz;
        const char* text;
    } cases[] = {{2992.5432187, "2.9925432 GHz"}, {3100, "3.10 GHz"}, {2993, "2.993 GHz"},
                 {3000, "3.00 GHz"},          {500, "0.50 GHz"},  {100.0, "0.10 GHz"}, {0, "0.00 GHz"}};
    for (const auto& c : cases) {
        char out[260];
        FormatCpuClock(c.mhz, out);
        EXPECT_STREQ(out, c.text);
    }
}

TEST(CpuClockTest, FallbackTakesTheBestWindowAndAbsorbsAWrap) {
    FakeClock clock;
    clock.frequency = 1000000;
    clock.counterStep = 1000;  // 1 ms per counter read
    clock.tscPerCount = 3100;
    clock.counter = (1ull << 32) / 3100 - 5;  // the low word wraps in the first trial
    uint32_t mhz = MeasureCpuClockFallback(clock);
    // The window's reads run ahead of the counter by one step: within 10%, not 10^5.
    EXPECT_GT(mhz, 2700u);
    EXPECT_LT(mhz, 3500u);
}

TEST(WhetstoneTest, ScoreExamples) {
    const struct {
        int processors;
        uint32_t score;
        const char* text;
    } cases[] = {{2, 38540, "38 Gigaflops"}, {8, 77080, "77 Gigaflops"}, {16, 308320, "308 Gigaflops"},
                 {0, 0, "0 Megaflops"},      {1, 19270, "19 Gigaflops"}};
    for (const auto& c : cases) {
        uint32_t score = WhetstoneScore(131072, 4000, c.processors);
        EXPECT_EQ(score, c.score);
        char out[260];
        FormatFlops(score, out);
        EXPECT_STREQ(out, c.text);
    }
    const struct {
        uint32_t score;
        const char* text;
    } texts[] = {{999, "999 Megaflops"}, {1000, "1 Gigaflops"}, {999999, "999 Gigaflops"},
                 {1000000, "1 Teraflops"}, {2500000, "2 Teraflops"}};
    for (const auto& t : texts) {
        char out[260];
        FormatFlops(t.score, out);
        EXPECT_STREQ(out, t.text);
    }
}

TEST(WhetstoneTest, StopRule) {
    const struct {
        int32_t iterations;
        uint32_t elapsed, limit;
        bool last;
    } cases[] = {
        {1, 2999, 3000, false}, {1, 3000, 3000, true}, {64, 9999, 10000, false}, {64, 10000, 10000, true},
        {1048576, 0, 3000, false}, {2097152, 0, 3000, true},  // the cap ends a run whose clock stands
    };
    for (const auto& c : cases) EXPECT_EQ(WhetstonePassesEnd(c.iterations, c.elapsed, c.limit), c.last);
    // Doubling from 1 reaches the cap after 21 steps; its module counts stay in 32 bits.
    int32_t n = 1;
    for (int pass = 0; !WhetstonePassesEnd(n, 0, 3000); ++pass) n *= 2;
    EXPECT_EQ(n, 2097152);
    EXPECT_LT(899LL * n, 2147483647LL);
}

TEST(WhetstoneTest, APassLastingTheLimitEndsTheRun) {
    for (uint32_t duration : {0u, 3000u}) {
        FakeClock clock;
        clock.tickStep = 3000;  // start and finish of a pass lie 3000 ms apart
        RecordingProgress progress;
        uint32_t score = RunWhetstone(duration, &progress, 2, clock);
        EXPECT_EQ(progress.set, std::vector<std::string>{"Whetstone 1 iterations...\n"});
        EXPECT_TRUE(progress.shown.empty()) << "the Whetstone text is set without a repaint";
        EXPECT_EQ(score, WhetstoneScore(1, 3000, 2));
    }
}

TEST(MemoryBandwidthTest, AllocationHalvesAndProgressTexts) {
    const struct {
        uint64_t available;
        const char* text;  // nullptr: no result
    } cases[] = {{(2ull << 20) - 1, nullptr}, {2ull << 20, "2 MB memory copy test..."},
                 {(7ull << 20) / 2, "3 MB memory copy test..."}};
    for (const auto& c : cases) {
        FakeClock clock;
        clock.tickStep = 300;
        FakeMemoryStatus memory;
        memory.status.availPhys = c.available;
        RecordingProgress progress;
        uint32_t figure = MeasureMemoryBandwidth(500, &progress, clock, memory);
        EXPECT_EQ(progress.shown.front(), "Checking Allocation Limit...");
        EXPECT_EQ(clock.sleptMs, 1000u);
        if (!c.text) {
            EXPECT_EQ(figure, 0u);
            EXPECT_EQ(progress.shown.size(), 1u);
            continue;
        }
        ASSERT_EQ(progress.shown.size(), 2u);
        EXPECT_EQ(progress.shown[1], c.text);
        EXPECT_GT(figure, 0u) << "a short duration still runs a whole second";
    }
}

TEST(MemoryBandwidthTest, TickWrapDoesNotEndTheLoopEarly) {
    FakeClock clock;
    clock.tickStep = 100;
    clock.tickStart = 0xFFFFFFFFu - 1500;  // the tick wraps during the loop
    FakeMemoryStatus memory;
    memory.status.availPhys = 4ull << 20;
    uint32_t figure = MeasureMemoryBandwidth(6000, nullptr, clock, memory);
    // Batches of 10 cycles of 2 MiB x 3, one tick step each: 60 batches for 6000 ms.
    EXPECT_EQ(figure, 60u * 30 * 2 / 6);
}

TEST(MemoryBandwidthTest, ReserveOnLargeMachinesAndThirtyTwoBitCut) {
    FakeMemoryStatus memory;
    memory.status.availPhys = 40ull << 30;
    EXPECT_EQ(GetAvailablePhysicalMemory(memory), UINT32_MAX);
    memory.status.availPhys = 1ull << 30;
    EXPECT_EQ(GetAvailablePhysicalMemory(memory), (1u << 30) - (1u << 27));
    memory.status.availPhys = 2ull << 20;
    EXPECT_EQ(GetAvailablePhysicalMemory(memory), 2u << 20) << "small figures stay exact";
    memory.extended = false;
    memory.basicAvailable = 0;
    EXPECT_EQ(GetAvailablePhysicalMemory(memory), 0u) << "zero totals: no result, no division";
}

}  // namespace
