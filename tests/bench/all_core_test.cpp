#include "bench/all_core.h"

#include <gtest/gtest.h>

#include "fakes/fake_system.h"

namespace {

// Two threads share the single run's budget: 8 MiB available (kept exact below 64 MiB)
// gives each thread two blocks of 2 MiB; every thread moves data and the sum is the whole.
TEST(AllCoreMemoryTest, ThreadsShareTheBudgetAndAllMoveData) {
    FakeMemoryStatus memory;
    memory.status.availPhys = 8ull << 20;
    ThreadedMemoryRun run = {};
    ASSERT_TRUE(MeasureMemoryBandwidthThreads(2, 0, nullptr, &run, memory));
    EXPECT_EQ(run.threads, 2);
    EXPECT_EQ(run.blockBytes, 2u << 20);
    EXPECT_GE(run.elapsedMs, 1000u) << "a short duration still runs a whole second";
    EXPECT_GT(run.threadMibPerSecond[0], 0u);
    EXPECT_GT(run.threadMibPerSecond[1], 0u);
    EXPECT_EQ(run.mibPerSecond, run.movedMiB * 1000 / run.elapsedMs);
    EXPECT_EQ(run.movedMiB % 6, 0u) << "whole cycles of three 2 MiB transfers";
}

TEST(AllCoreMemoryTest, TooLittleMemoryForEachThreadIsNoResult) {
    FakeMemoryStatus memory;
    memory.status.availPhys = 3ull << 20;  // less than 1 MiB a block for two threads
    ThreadedMemoryRun run = {};
    EXPECT_FALSE(MeasureMemoryBandwidthThreads(2, 0, nullptr, &run, memory));
    EXPECT_EQ(run.mibPerSecond, 0u);
}

}  // namespace
