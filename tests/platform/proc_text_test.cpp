#include "platform/linux/proc_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/cpu_facts.h"

namespace {

std::string Fixture(const char* name) {
    std::ifstream file(std::string(KELVANE_TEST_DATA_DIR) + "/linux/" + name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(CpuinfoTest, Fixtures) {
    const struct {
        const char* file;
        int processors;
        const char* modelName;
        const char* vendor;
        double mhz;
        int family, model, stepping;
    } cases[] = {
        {"cpuinfo-intel.txt", 2, "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz", "GenuineIntel", 4300.112, 6, 158, 10},
        {"cpuinfo-amd.txt", 3, "AMD Ryzen 9 5950X 16-Core Processor", "AuthenticAMD", 3400, 25, 33, 0},
        {"cpuinfo-no-model-name.txt", 1, "", "CentaurHauls", 1600, 6, 15, 13},
    };
    for (const auto& c : cases) {
        std::string text = Fixture(c.file);
        CpuinfoFacts facts;
        ParseCpuinfo(text.data(), text.size(), &facts);
        EXPECT_EQ(facts.processors, c.processors) << c.file;
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
    SynthesizeProcessorIdentifier(0x00A20F10, "AuthenticAMD", out, sizeof out);
    EXPECT_STREQ(out, "AMD64 Family 25 Model 33 Stepping 0, AuthenticAMD");
    SynthesizeProcessorIdentifier(0x00B00F21, "AuthenticAMD", out, sizeof out);
    EXPECT_STREQ(out, "AMD64 Family 26 Model 2 Stepping 1, AuthenticAMD");
}

TEST(MeminfoTest, FiguresInBytes) {
    std::string text = Fixture("meminfo.txt");
    MeminfoFacts facts;
    ParseMeminfo(text.data(), text.size(), &facts);
    EXPECT_EQ(facts.memTotal, 24683772ull * 1024);
    EXPECT_EQ(facts.memAvailable, 20000000ull * 1024);
    EXPECT_TRUE(facts.hasMemAvailable);
    EXPECT_EQ(facts.swapFree, 2097148ull * 1024);
    text = Fixture("meminfo-old-kernel.txt");
    ParseMeminfo(text.data(), text.size(), &facts);
    EXPECT_FALSE(facts.hasMemAvailable);
    EXPECT_EQ(facts.cached, 400000ull * 1024);
    std::string huge = "MemTotal: 99999999999999999999999 kB\n";
    ParseMeminfo(huge.data(), huge.size(), &facts);
    EXPECT_EQ(facts.memTotal, UINT64_MAX) << "saturates, never wraps";
}

TEST(CgroupTest, LimitsAndPaths) {
    const struct {
        std::string text;
        bool ok;
        uint64_t value;
    } cases[] = {{"max\n", true, UINT64_MAX}, {"1073741824\n", true, 1ull << 30},
                 {"9223372036854771712", true, 9223372036854771712ull}, {"", false, 0}, {"garbage", false, 0}};
    for (const auto& c : cases) {
        uint64_t value = 7;
        EXPECT_EQ(ParseCgroupValue(c.text.data(), c.text.size(), &value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        }
    }
    std::string text = Fixture("proc-cgroup.txt");
    CgroupPaths paths;
    ParseProcCgroup(text.data(), text.size(), &paths);
    EXPECT_STREQ(paths.unified, "/user.slice/user-1000.slice/app.scope");
    EXPECT_STREQ(paths.memory, "/user.slice/app");
}

TEST(OsReleaseTest, PrettyNameOrName) {
    char out[64];
    std::string text = Fixture("os-release.txt");
    ParseOsRelease(text.data(), text.size(), out, sizeof out);
    EXPECT_STREQ(out, "Debian GNU/Linux 12 (bookworm)");
    text = Fixture("os-release-no-pretty.txt");
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
        {"0\n", 1},           {"0-1\n", 2},       {"0-63\n", 64},        {"0,2-3,8-11\n", 7},
        {"0-255", 256},       {" 0-3 \r\n", 4},    {"0-3,\n", 4},         {"", 0},
        {"\n", 0},            {"3-1", 0},          {"0-", 0},             {"-3", 0},
        {"0,,1", 0},          {"a-b", 0},          {"0-3x", 0},           {"0-9999999999", 0},
        {"0-999999999", 0},   {"0-3\n4-7\n", 4},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseCpuList(c.text, std::strlen(c.text)), c.count) << c.text;
}

// Truncated, oversized and binary input: every parser ends, stays in its buffers (the
// sanitizer build checks), and terminates what it returns.
TEST(ParserRobustnessTest, TruncatedOversizedAndBinaryInput) {
    std::vector<std::string> inputs;
    for (const char* file : {"cpuinfo-intel.txt", "meminfo.txt", "os-release.txt", "proc-cgroup.txt"}) {
        std::string text = Fixture(file);
        for (size_t cut = 0; cut < text.size(); cut += 7) inputs.push_back(text.substr(0, cut));
    }
    inputs.push_back("model name\t: " + std::string(100000, 'x') + "\n");
    inputs.push_back("1 2 3:4 " + std::string(5000, '/') + " /x - ext4 y\n");
    inputs.push_back(std::string("processor\t: 0\0model name\t: a\0b\n", 32));
    std::mt19937 random(42);
    for (int i = 0; i < 200; ++i) {
        std::string bytes(static_cast<size_t>(random() % 600), '\0');
        for (char& c : bytes) c = static_cast<char>(random() % 4 == 0 ? "\n: -\\"[random() % 5] : random());
        inputs.push_back(bytes);
    }
    for (const std::string& input : inputs) {
        // Exactly sized on the heap, no terminator: a read past the end is caught.
        std::vector<char> exact(input.begin(), input.end());
        const char* data = exact.empty() ? "" : exact.data();
        CpuinfoFacts cpu;
        ParseCpuinfo(data, exact.size(), &cpu);
        EXPECT_LT(std::strlen(cpu.modelName), sizeof cpu.modelName);
        MeminfoFacts memory;
        ParseMeminfo(data, exact.size(), &memory);
        uint64_t value;
        ParseCgroupValue(data, exact.size(), &value);
        CgroupPaths paths;
        ParseProcCgroup(data, exact.size(), &paths);
        EXPECT_GE(ParseCpuList(data, exact.size()), 0);
        char name[32];
        ParseOsRelease(data, exact.size(), name, sizeof name);
        EXPECT_LT(std::strlen(name), sizeof name);
    }
}

}  // namespace
