#include "bench/disk_transfer.h"

#include <gtest/gtest.h>

#include "bench/benchmarks.h"
#include "fakes/fake_disk_ops.h"

namespace {

class DiskTest : public ::testing::Test {
protected:
    FakeClock clock;
    FakeDiskOps disk;
    void SetUp() override {
        clock.tickStep = 0;
        clock.tickStart = 123456;
        disk.clock = &clock;
    }
    DiskRun Run(uint32_t durationMs = 6000) { return MeasureDiskTransfer("C:", durationMs, nullptr, disk, clock); }
    void ExpectNothingLeft() {
        EXPECT_TRUE(disk.present.empty()) << "a temporary file was left behind";
        EXPECT_EQ(disk.buffersHeld, 0);
    }
};

TEST_F(DiskTest, ChunksDoubleToTheBufferAndTheFigureIsTwelveTenths) {
    DiskRun run = Run();
    ASSERT_GE(disk.writes.size(), 10u);
    const std::vector<uint32_t> start = {1, 2, 4, 8, 16, 32, 64, 128, 256, 256};
    EXPECT_EQ(std::vector<uint32_t>(disk.writes.begin(), disk.writes.begin() + 10), start);
    EXPECT_GE(run.elapsedMs, 6000u);
    EXPECT_EQ(run.figure, run.totalMiB * 1200 / run.elapsedMs);
    // Named from the tick after the 100 ms wait.
    EXPECT_EQ(disk.created.front(), "C:\\123556.bin");
    ExpectNothingLeft();
}

TEST_F(DiskTest, ExistingFileIsNeverTouchedAndTheNextNumberIsUsed) {
    disk.existing = {"C:\\123556.bin", "C:\\123557.bin"};
    DiskRun run = Run(1000);
    EXPECT_GT(run.figure, 0u);
    for (const std::string& name : disk.created) EXPECT_EQ(name, "C:\\123558.bin");
    for (const std::string& name : disk.removed) EXPECT_EQ(name, "C:\\123558.bin");
    ExpectNothingLeft();
}

TEST_F(DiskTest, FailuresNeverReportSuccess) {
    const struct {
        const char* what;
        uint32_t refuseDrive;
        uint64_t freeBytes;
        bool queryFails;
        uint32_t createError;
        size_t largestBuffer;
        uint32_t error;
    } cases[] = {
        {"drive in memory", FakeDiskOps::kNotADisk, 1ull << 30, false, 0, SIZE_MAX,
         FakeDiskOps::kNotADisk},
        {"31 MiB free", 0, 31ull << 20, false, 0, SIZE_MAX, FakeDiskOps::kFull},
        {"free space unknown", 0, 0, true, 0, SIZE_MAX, FakeDiskOps::kNoDrive},
        {"file cannot be made", 0, 1ull << 30, false, FakeDiskOps::kDenied, SIZE_MAX,
         FakeDiskOps::kDenied},
        {"buffer below 1 MiB", 0, 1ull << 30, false, 0, 1u << 19, FakeDiskOps::kNoMemory},
        {"no buffer at all", 0, 1ull << 30, false, 0, 0, FakeDiskOps::kNoMemory},
    };
    for (const auto& c : cases) {
        FakeDiskOps fresh;
        fresh.clock = &clock;
        fresh.refuseDrive = c.refuseDrive;
        fresh.freeBytes = c.freeBytes;
        fresh.freeQueryFails = c.queryFails;
        fresh.createError = c.createError;
        fresh.largestBuffer = c.largestBuffer;
        DiskRun run = MeasureDiskTransfer("C:", 6000, nullptr, fresh, clock);
        EXPECT_EQ(run.figure, 0u) << c.what;
        EXPECT_EQ(run.errorCode, c.error) << c.what;
        EXPECT_TRUE(fresh.writes.empty()) << c.what;
        if (c.refuseDrive) {
            EXPECT_TRUE(fresh.created.empty()) << c.what;
            EXPECT_TRUE(fresh.freeQueriedFor.empty()) << "refused before anything else";
        }
        EXPECT_TRUE(fresh.present.empty()) << c.what;
        EXPECT_EQ(fresh.buffersHeld, 0) << c.what;

        NullProgress progress;
        BenchmarkResult result;
        RunDiskBenchmark("C:", 6000, progress, &result, fresh, clock);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.showErrorBox);
        EXPECT_EQ(std::string(result.text), "system text " + std::to_string(c.error)) << c.what;
    }
}

TEST_F(DiskTest, AFileWrittenElsewhereSaysWhere) {
    // The mount point is root's: the ops write in the user's home on the same disk.
    disk.writeElsewhere = "/home/u";
    NullProgress progress;
    BenchmarkResult result;
    RunDiskBenchmark("/", 1000, progress, &result, disk, clock);
    EXPECT_TRUE(result.ok);
    EXPECT_STREQ(result.writtenIn, "/home/u");
    EXPECT_EQ(disk.freeQueriedFor, "/home/u") << "the free space of the place written to";
    ASSERT_FALSE(disk.created.empty());
    for (const std::string& name : disk.created) EXPECT_EQ(name.rfind("/home/u\\", 0), 0u) << name;
    ExpectNothingLeft();
}

TEST_F(DiskTest, FullDiskHalvesTheChunkAndKeepsItDown) {
    disk.fillsAfterMiB = 255;  // 1+2+...+128 = 255 fit; the first 256 MiB write does not
    DiskRun run = Run(3000);
    ASSERT_GE(disk.writes.size(), 11u);
    EXPECT_EQ(disk.writes[8], 256u);
    EXPECT_EQ(disk.writes[9], 128u);
    for (size_t i = 10; i < disk.writes.size(); ++i) EXPECT_LE(disk.writes[i], disk.writes[i - 1]);
    EXPECT_EQ(run.totalMiB, 255u);
    ExpectNothingLeft();
}

TEST_F(DiskTest, TooSlowToMeasureHasATrueText) {
    disk.msPerMiB = 7000;  // one MiB written in a 7 s pass: 1200 / 7000 is 0
    DiskRun run = Run(1000);
    EXPECT_EQ(run.figure, 0u);
    EXPECT_EQ(run.errorCode, kDiskTooSlowToMeasure);
    NullProgress progress;
    BenchmarkResult result;
    char text[260];
    DescribeDiskError(run.errorCode, disk, text);
    EXPECT_NE(std::string(text).find("too little"), std::string::npos) << text;
    RunDiskBenchmark("C:", 1000, progress, &result, disk, clock);
    EXPECT_FALSE(result.ok);
}

TEST_F(DiskTest, TotalsAreSixtyFourBit) {
    // 3,579,140 MiB at 1 ms per 256 MiB would wrap 32 bits in T x 1200.
    disk.msPerMiB = 0;
    clock.tickStep = 1;
    DiskRun run = Run(60000);
    ASSERT_GT(run.totalMiB, 3579139u);
    EXPECT_EQ(run.figure, run.totalMiB * 1200 / run.elapsedMs);
}

TEST(DiskDisplayTest, RateTexts) {
    const struct {
        uint32_t figure;
        const char* text;
    } cases[] = {{120, "120 MB/second"}, {999, "999 MB/second"}, {1000, "1 GB/second"}, {1999, "1 GB/second"},
                 {0, "0 MB/second"}};
    for (const auto& c : cases) {
        char out[260];
        FormatRate(c.figure, out);
        EXPECT_STREQ(out, c.text);
    }
}

}  // namespace
