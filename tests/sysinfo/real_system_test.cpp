// The probes on this machine, natively and under Wine, against what Linux itself says.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// The text after "key:" on its line, blanks trimmed.
std::string StatusValue(const std::string& text, const std::string& key) {
    size_t at = text.find("\n" + key + ":");
    if (at == std::string::npos) return "";
    at = text.find_first_not_of(" \t", at + key.size() + 2);
    return at == std::string::npos ? "" : text.substr(at, text.find('\n', at) - at);
}

// How many processors a list such as "0-3,8" names; 0 for an empty or odd one.
int CountCpuList(const std::string& list) {
    int count = 0;
    std::istringstream ranges(list);
    for (std::string range; std::getline(ranges, range, ',');) {
        int first = 0, last = -1;
        int fields = std::sscanf(range.c_str(), "%d-%d", &first, &last);
        if (fields < 1) return 0;
        count += fields == 2 ? last - first + 1 : 1;
    }
    return count;
}

// The lowest memory limit of this process's cgroup and the cgroups above it, v2 or v1
// (as the product reads them); infinity where there is none.
double CgroupMemoryLimit() {
    const std::string own = ReadLinuxFile("/proc/self/cgroup");
    double limit = INFINITY;
    const struct {
        const char* line;  // the hierarchy's entry in /proc/self/cgroup
        const char* root;
        const char* file;
    } kinds[] = {{"0::", "/sys/fs/cgroup", "memory.max"},
                 {":memory:", "/sys/fs/cgroup/memory", "memory.limit_in_bytes"}};
    for (const auto& kind : kinds) {
        size_t at = own.find(kind.line);
        if (at == std::string::npos) continue;
        at += std::strlen(kind.line);
        for (std::string path = own.substr(at, own.find('\n', at) - at);;) {
            std::string text = ReadLinuxFile((kind.root + path + "/" + kind.file).c_str());
            if (!text.empty() && text[0] >= '0' && text[0] <= '9')
                limit = std::min(limit, std::strtod(text.c_str(), nullptr));
            if (path.empty() || path == "/") break;
            path = path.substr(0, path.find_last_of('/'));
        }
    }
    return limit;
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
    EXPECT_EQ(std::stoul(model.substr(model.find('/') + 1), nullptr, 16),
              FirstValue(cpuinfo, "model"))
        << model;
    EXPECT_EQ(std::stoul(summary->cpuStepping, nullptr, 16), FirstValue(cpuinfo, "stepping"));

    // Cores counts the processors this process may run on (taskset, a cpuset); Wine may
    // count them all.
    int online = 0;
    for (size_t at = 0; (at = cpuinfo.find("processor\t", at)) != std::string::npos; ++at) ++online;
    const int allowed =
        CountCpuList(StatusValue(ReadLinuxFile("/proc/self/status"), "Cpus_allowed_list"));
    EXPECT_EQ(std::string(summary->cores), std::to_string(summary->processorCount));
#ifdef _WIN32
    EXPECT_GE(summary->processorCount, allowed > 0 ? allowed : 1);
    EXPECT_LE(summary->processorCount, online);
#else
    EXPECT_EQ(summary->processorCount, allowed > 0 ? allowed : online);
#endif

    // Within 1% of MemTotal, or of a lower cgroup limit.
    double total = static_cast<double>(FirstValue(meminfo, "MemTotal")) * 1024;
    double limit = std::min(total, CgroupMemoryLimit());
    EXPECT_LE(static_cast<double>(summary->totalPhysicalBytes), total * 1.01);
    EXPECT_GE(static_cast<double>(summary->totalPhysicalBytes), limit * 0.99);

    EXPECT_GE(summary->drives.count, 1);
    EXPECT_GE(summary->drives.selected, 0);
    EXPECT_NE(summary->osVersion[0], '\0');
}

}  // namespace
