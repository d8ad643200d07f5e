#include "bench/benchmarks.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/cpu_clock.h"
#include "bench/memory_bandwidth.h"
#include "bench/whetstone.h"
#include "bench/whetstone_kernel.h"
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
        WhetstoneRun run = RunWhetstone(duration, &progress, 2, clock);
        EXPECT_EQ(progress.set, std::vector<std::string>{"Whetstone 1 iterations...\n"});
        EXPECT_TRUE(progress.shown.empty()) << "the Whetstone text is set without a repaint";
        EXPECT_EQ(run.score, WhetstoneScore(1, 3000, 2));
        EXPECT_EQ(run.iterations, 1);
        EXPECT_EQ(run.elapsedMs, 3000u);
    }
}

// Sees the floating-point mode from inside a run: progress texts are set during it.
class SubnormalProbe final : public ProgressTarget {
public:
    bool flushedDuringRun = false;
    void Show(const char*) override {}
    void Set(const char*) override { flushedDuringRun = Halved(DBL_MIN) == 0.0; }
    static double Halved(double value) {
        volatile double v = value;
        return v / 2;
    }
};

TEST(WhetstoneTest, SubnormalsFlushedDuringTheRunOnly) {
    FakeClock clock;
    clock.tickStep = 3000;
    SubnormalProbe probe;
    ASSERT_NE(SubnormalProbe::Halved(DBL_MIN), 0.0);
    RunWhetstone(0, &probe, 1, clock);
    EXPECT_TRUE(probe.flushedDuringRun) << "later passes would slow down on subnormal values";
    EXPECT_NE(SubnormalProbe::Halved(DBL_MIN), 0.0) << "the caller's floating-point mode is restored";
}

// The modules' last values follow from their counts alone, so they show that each module
// ran the number of times the score counts.
TEST(WhetstoneTest, ModulesLeaveTheValuesTheirCountsGive) {
    for (int32_t loop : {1, 3}) {
        WhetstoneState s = {};
        StartWhetstonePass(s);
        RunWhetstoneModules(s, loop);
        // Module 9 swaps 1, 2, 3 an even number of times (616 x loop); module 10 sets J, K.
        EXPECT_EQ(s.E1[1], 3.0);
        EXPECT_EQ(s.E1[2], 2.0);
        EXPECT_EQ(s.E1[3], 3.0);
        EXPECT_EQ(s.J, 2);
        EXPECT_EQ(s.K, 3);
        EXPECT_EQ(s.L, 3);
        // Module 11: x <- x^(1 / (2 T1)), 93 x loop times.
        double expected = std::pow(0.75, std::pow(1.0 / (2 * 0.50025), 93.0 * loop));
        EXPECT_NEAR(s.X, expected, 1e-12) << "loop " << loop;
        // Module 8 with X = Y = 1: Z = (T x 2 + T x (T x 2 + 1)) / 2.
        const double T = 0.499975;
        EXPECT_DOUBLE_EQ(s.Z, (T * 2 + T * (T * 2 + 1)) / 2);
        EXPECT_EQ(s.X1, 1.0);
        EXPECT_EQ(s.X4, -1.0);
    }
}

// Every iteration of a pass starts the modules from the same values: run as one long
// module set, module 7's angles would decay to where sine and cosine are cheapest and long
// passes would score higher than short ones.
TEST(WhetstoneTest, EachIterationOfAPassRepeatsTheSameWork) {
    for (int32_t iterations : {1, 2, 7}) {
        WhetstoneState s = {};
        StartWhetstonePass(s);
        RunWhetstonePass(s, iterations);
        EXPECT_NEAR(s.X, std::pow(0.75, std::pow(1.0 / (2 * 0.50025), 93.0)), 1e-12)
            << iterations << " iterations";
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

TEST(MemoryBandwidthTest, DividesByTheMillisecondsOfTheTimedLoop) {
    FakeClock clock;
    clock.tickStep = 2333;  // three batches end the loop at 6999 ms
    FakeMemoryStatus memory;
    memory.status.availPhys = 4ull << 20;
    MemoryRun run = {};
    uint32_t figure = MeasureMemoryBandwidth(6000, nullptr, clock, memory, SystemBlockAllocator(), &run);
    EXPECT_EQ(run.blockBytes, 2u << 20);
    EXPECT_EQ(run.movedMiB, 3u * 30 * 2);
    EXPECT_EQ(run.elapsedMs, 6999u);
    EXPECT_EQ(figure, 180u * 1000 / 6999) << "whole seconds (6) would read 30";
}

// Hands out blocks and checks, when the clock is first read for the timed loop, that both
// have been written already: the page faults of their first touch are not timed.
class TouchCheckingAllocator final : public BlockAllocator {
public:
    std::vector<unsigned char*> blocks;
    size_t bytes = 0;
    void* Allocate(size_t size) override {
        bytes = size;
        blocks.push_back(static_cast<unsigned char*>(std::calloc(size, 1)));
        return blocks.back();
    }
    void Release(void* block) override { std::free(block); }
    bool AllWritten() const {
        for (unsigned char* block : blocks)
            if (block[0] != 0x18 || block[bytes / 2] != 0x18 || block[bytes - 1] != 0x18) return false;
        return !blocks.empty();
    }
};

class ClockCheckingTouch final : public Clock {
public:
    explicit ClockCheckingTouch(const TouchCheckingAllocator& allocator) : allocator_(allocator) {}
    bool touchedBeforeFirstTick = false;
    uint32_t TickCount() override {
        if (reads_++ == 0) touchedBeforeFirstTick = allocator_.AllWritten();
        return reads_ * 600;
    }
    void Sleep(uint32_t) override {}
    bool CounterFrequency(uint64_t*) override { return false; }
    uint64_t Counter() override { return 0; }
    uint64_t TimeStampCounter() override { return 0; }
    LocalTime Now() override { return LocalTime{}; }

private:
    const TouchCheckingAllocator& allocator_;
    uint32_t reads_ = 0;
};

TEST(MemoryBandwidthTest, BlocksAreTouchedBeforeTheClockStarts) {
    TouchCheckingAllocator allocator;
    ClockCheckingTouch clock(allocator);
    FakeMemoryStatus memory;
    memory.status.availPhys = 8ull << 20;
    EXPECT_GT(MeasureMemoryBandwidth(1000, nullptr, clock, memory, allocator), 0u);
    EXPECT_TRUE(clock.touchedBeforeFirstTick);
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
