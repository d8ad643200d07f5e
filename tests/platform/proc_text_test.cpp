// The Linux readers of /proc and /sys texts, against fixture files and trees. Truncated
// and binary input is the fuzzers' (tests/fuzz/proc_text_fuzzer.cpp).
#include "platform/linux/proc_text.h"

#include <cstring>
#include <string>

#include "platform/linux/cpu_facts.h"
#include "scratch_directory.h"

namespace {

TEST(CpuinfoTest, Fixtures) {
    const struct {
        const char* file;
        int processors;
        const char *modelName, *vendor;
        double mhz;
        int family, model, stepping;
    } cases[] = {
        {"cpuinfo-intel.txt", 2, "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz", "GenuineIntel",
         4300.112, 6, 158, 10},
        {"cpuinfo-amd.txt", 3, "AMD Ryzen 9 5950X 16-Core Processor", "AuthenticAMD", 3400, 25, 33,
         0},
        {"cpuinfo-no-model-name.txt", 1, "", "CentaurHauls", 1600, 6, 15, 13},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::string text = TestData(std::string("linux/") + c.file);
        CpuinfoFacts facts;
        ParseCpuinfo(text.data(), text.size(), &facts);
        EXPECT_EQ(facts.processors, c.processors);
        EXPECT_STREQ(facts.modelName, c.modelName);
        EXPECT_STREQ(facts.vendorId, c.vendor);
        EXPECT_DOUBLE_EQ(facts.mhz, c.mhz);
        EXPECT_EQ(facts.family, c.family);
        EXPECT_EQ(facts.model, c.model);
        EXPECT_EQ(facts.stepping, c.stepping);
    }
}

TEST(ProcessorIdentifierTest, AsWindowsWritesIt) {
    char out[128];
    SynthesizeProcessorIdentifier(0x000906EA, "GenuineIntel", out, sizeof out);
    EXPECT_STREQ(out, "Intel64 Family 6 Model 158 Stepping 10, GenuineIntel");
    SynthesizeProcessorIdentifier(0x00B00F21, "AuthenticAMD", out, sizeof out);
    EXPECT_STREQ(out, "AMD64 Family 26 Model 2 Stepping 1, AuthenticAMD");
    SynthesizeProcessorIdentifier(0x000307B0, "  Shanghai  ", out, sizeof out);  // Zhaoxin KX-6000
    EXPECT_STREQ(out, "Intel64 Family 7 Model 59 Stepping 0,   Shanghai  ");
}

TEST(MeminfoTest, FiguresInBytes) {
    std::string text = TestData("linux/meminfo.txt");
    MeminfoFacts facts;
    ParseMeminfo(text.data(), text.size(), &facts);
    EXPECT_EQ(facts.memTotal, 24683772ull * 1024);
    EXPECT_EQ(facts.memAvailable, 20000000ull * 1024);
    EXPECT_TRUE(facts.hasMemAvailable);
    EXPECT_EQ(facts.swapFree, 2097148ull * 1024);
    text = TestData("linux/meminfo-old-kernel.txt");
    ParseMeminfo(text.data(), text.size(), &facts);
    EXPECT_FALSE(facts.hasMemAvailable);
    EXPECT_EQ(facts.cached, 400000ull * 1024);
    // Beyond 2^60 bytes: no machine has it, so the figure is unreadable, not 16 EiB.
    std::string huge = "MemTotal: 99999999999999999999999 kB\nMemAvailable: 1125899906842625 kB\n";
    ParseMeminfo(huge.data(), huge.size(), &facts);
    EXPECT_EQ(facts.memTotal, 0u);
    EXPECT_FALSE(facts.hasMemAvailable);
    huge = "MemTotal: 1125899906842624 kB\n";
    ParseMeminfo(huge.data(), huge.size(), &facts);
    EXPECT_EQ(facts.memTotal, 1ull << 60) << "the largest figure still read";
}

TEST(CgroupTest, LimitsAndPaths) {
    const struct {
        std::string text;
        bool ok;
        uint64_t value;
    } cases[] = {{"max\n", true, UINT64_MAX},
                 {"1073741824\n", true, 1ull << 30},
                 {"9223372036854771712", true, 9223372036854771712ull},
                 {"", false, 0},
                 {"garbage", false, 0}};
    for (const auto& c : cases) {
        uint64_t value = 7;
        EXPECT_EQ(ParseCgroupValue(c.text.data(), c.text.size(), &value), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(value, c.value) << c.text;
    }
    std::string text = TestData("linux/proc-cgroup.txt");
    CgroupPaths paths;
    ParseProcCgroup(text.data(), text.size(), &paths);
    EXPECT_STREQ(paths.unified, "/user.slice/user-1000.slice/app.scope");
    EXPECT_STREQ(paths.memory, "/user.slice/app");
}

TEST(OsReleaseTest, PrettyNameOrName) {
    // PRETTY_NAME: the machine trees' OS lines.
    char out[64];
    std::string text = TestData("linux/os-release-no-pretty.txt");
    ParseOsRelease(text.data(), text.size(), out, sizeof out);
    EXPECT_STREQ(out, "Alpine");
    std::string longName = "PRETTY_NAME=\"" + std::string(500, 'x') + "\"\n";
    ParseOsRelease(longName.data(), longName.size(), out, sizeof out);
    EXPECT_EQ(std::strlen(out), 63u);
}

TEST(CpuListTest, CountsTheNamedProcessors) {
    const struct {
        const char* text;
        int count;
    } cases[] = {
        {"0\n", 1},          {"0,2-3,8-11\n", 7}, {"0-255", 256},
        {" 0-3 \r\n", 4},    {"0-3,\n", 4},       {"", 0},
        {"\n", 0},           {"3-1", 0},          {"0-", 0},
        {"-3", 0},           {"0,,1", 0},         {"0-3x", 0},
        {"0-9999999999", 0}, {"0-999999999", 0},  {"0-3\n4-7\n", 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseCpuList(c.text, std::strlen(c.text)), c.count) << c.text;
}

// CPPC, then the model name's figure before base_frequency (the configurable-TDP base of an
// i7-1165G7 is 1.20 GHz, its name says 2.80), then cpuinfo_max_freq: the machine trees.
TEST(NominalClockTest, FromTheFirstSourceThatExists) {
    CpuinfoFacts facts{};
    std::strcpy(facts.modelName, "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz");
    facts.mhz = 4300.112;
    const struct {
        const char* tree;
        const char* modelName;  // nullptr: the one before
        uint32_t mhz;
        const char* source;
    } cases[] = {
        {"linux/sys-cppc", nullptr, 2900, "cppc"},  // before base_frequency, which it has too
        {"machines/hybrid-laptop/tree", nullptr, 3200, "model_name"},  // base_frequency 2100
        {"machines/hybrid-laptop/tree", "12th Gen Intel(R) Core(TM) i7-1260P", 2100,
         "base_frequency"},
        {"linux/sys-none", "Some CPU @ 2400MHz", 2400, "model_name"},
        {"linux/sys-maxfreq", "AMD EPYC 7B13", 4700, "cpuinfo_max_freq"},  // before cpu MHz
        {"linux/sys-none", "Some CPU @ GHz", 4300, "cpu_mhz"},
    };
    for (const auto& c : cases) {
        TreeRoot root(c.tree);
        if (c.modelName) std::strcpy(facts.modelName, c.modelName);
        const char* source = nullptr;
        EXPECT_EQ(ReadNominalMhz(facts, &source), c.mhz) << c.tree << " " << facts.modelName;
        EXPECT_STREQ(source, c.source) << c.tree << " " << facts.modelName;
    }
    facts.mhz = 0;
    const char* source = nullptr;
    EXPECT_EQ(ReadNominalMhz(facts, &source), 0u);
    EXPECT_STREQ(source, "none");
}

}  // namespace
