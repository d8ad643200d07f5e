// The probes on this machine, natively and under Wine, against what Linux itself says.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "fakes/linux_file.h"
#include "sysinfo/system_summary.h"

namespace {

// The first value of `key` in a "key : value" file, or -1.
long long FirstValue(const std::string& text, const std::string& key) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string name = line.substr(0, colon);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
        if (name == key) return std::atoll(line.c_str() + colon + 1);
    }
    return -1;
}

TEST(RealSystemTest, ProcessorMemoryAndDrivesArePlausible) {
    std::string cpuinfo = ReadLinuxFile("/proc/cpuinfo");
    std::string meminfo = ReadLinuxFile("/proc/meminfo");
    if (cpuinfo.empty() || meminfo.empty()) GTEST_SKIP() << "no /proc here";
    std::unique_ptr<SystemSummary> summary(new SystemSummary());
    ReadSystemSummary(summary.get());

    // "F/BF": the second half is extended family << 4 | family, as hexadecimal.
    std::string family = summary->cpuFamily;
    ASSERT_NE(family.find('/'), std::string::npos) << family;
    unsigned composed = std::stoul(family.substr(family.find('/') + 1), nullptr, 16);
    unsigned base = composed & 0xF, extended = composed >> 4;
    EXPECT_EQ(base == 0xF ? base + extended : base, FirstValue(cpuinfo, "cpu family")) << family;
    std::string model = summary->cpuModel;
    EXPECT_EQ(std::stoul(model.substr(model.find('/') + 1), nullptr, 16), FirstValue(cpuinfo, "model")) << model;
    EXPECT_EQ(std::stoul(summary->cpuStepping, nullptr, 16), FirstValue(cpuinfo, "stepping"));

    int processors = 0;
    for (size_t at = 0; (at = cpuinfo.find("processor\t", at)) != std::string::npos; ++at) ++processors;
    EXPECT_EQ(summary->processorCount, processors);
    EXPECT_EQ(std::string(summary->cores), std::to_string(processors));

    // Within 1% of MemTotal, unless a cgroup limit is lower.
    double total = static_cast<double>(FirstValue(meminfo, "MemTotal")) * 1024;
    EXPECT_LE(static_cast<double>(summary->totalPhysicalBytes), total * 1.01);
    if (!std::getenv("KELVANE_IN_LIMITED_CGROUP")) {
        EXPECT_GE(static_cast<double>(summary->totalPhysicalBytes), total * 0.99);
    }

    EXPECT_GE(summary->drives.count, 1);
    EXPECT_GE(summary->drives.selected, 0);
    EXPECT_NE(summary->osVersion[0], '\0');
}

}  // namespace
