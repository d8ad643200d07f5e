#include "sysinfo/cpu_topology.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

#include "text/decimal.h"

namespace {

typedef CpuTopology::CacheLevel CacheLevel;

// The distinct instances of one level (with their sizes), by sharing processor.
void CountLevel(const std::vector<CacheRecord>& caches, int level, char type1, char type2,
                CacheLevel* out) {
    std::vector<std::pair<std::pair<char, int>, uint64_t>> keyed;
    for (const CacheRecord& cache : caches)
        if (cache.level == level && (cache.type == type1 || cache.type == type2))
            keyed.push_back({{cache.type, cache.shareKey}, cache.bytes});
    // Processor order, so a hybrid's groups come as its processors are numbered.
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return a.first.second != b.first.second ? a.first.second < b.first.second
                                                : a.first.first < b.first.first;
    });
    keyed.erase(std::unique(keyed.begin(), keyed.end(),
                            [](const auto& a, const auto& b) { return a.first == b.first; }),
                keyed.end());
    bool overflow = false;
    for (const auto& instance : keyed) {
        ++out->instances;
        out->totalBytes += instance.second;
        int g = 0;
        while (g < out->groupCount && out->groups[g].bytes != instance.second) ++g;
        if (g == out->groupCount) {
            if (g == 4) {
                overflow = true;
                continue;
            }
            out->groups[g].bytes = instance.second;
            ++out->groupCount;
        }
        ++out->groups[g].instances;
    }
    // More sizes than groups: only the total stays true.
    if (overflow) out->groupCount = 0;
    out->bytes = out->groupCount == 1 ? out->groups[0].bytes : 0;
}

template <typename T>
int CountDistinct(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return static_cast<int>(std::unique(values.begin(), values.end()) - values.begin());
}

// Appends printf-style text at `*used`, never past `size`.
// NOLINTNEXTLINE(cert-dcl50-cpp): as below
void Append(char* out, size_t size, size_t* used, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// printf's own formats into a fixed buffer, checked by the attribute.
// NOLINTNEXTLINE(cert-dcl50-cpp)
void Append(char* out, size_t size, size_t* used, const char* format, ...) {
    if (*used >= size) return;
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(out + *used, size - *used, format, args);
    va_end(args);
    if (n > 0) *used = std::min(size - 1, *used + static_cast<size_t>(n));
}

}  // namespace

void BuildCpuTopology(const std::vector<LogicalCpuRecord>& cpus,
                      const std::vector<CacheRecord>& caches, CpuTopology* out) {
    std::memset(out, 0, sizeof *out);
    if (cpus.empty()) return;
    std::vector<int> logical, packages;
    std::vector<std::pair<int, int>> cores, performance, efficiency;
    for (const LogicalCpuRecord& cpu : cpus) {
        logical.push_back(cpu.cpu);
        packages.push_back(cpu.package);
        cores.push_back({cpu.package, cpu.core});
        if (cpu.coreType == 1) performance.push_back({cpu.package, cpu.core});
        if (cpu.coreType == 2) efficiency.push_back({cpu.package, cpu.core});
    }
    out->logical = CountDistinct(logical);
    out->packages = CountDistinct(packages);
    out->cores = CountDistinct(cores);
    // One kind alone is no hybrid (a part whose efficiency cores are switched off).
    if (!performance.empty() && !efficiency.empty()) {
        out->performanceCores = CountDistinct(performance);
        out->efficiencyCores = CountDistinct(efficiency);
    }
    CountLevel(caches, 1, 'D', 'D', &out->l1d);
    CountLevel(caches, 1, 'I', 'I', &out->l1i);
    CountLevel(caches, 2, 'U', 'D', &out->l2);
    CountLevel(caches, 3, 'U', 'D', &out->l3);
    out->known = true;
}

int CountCacheInstances(const std::vector<LogicalCpuRecord>& cpus, int sharing) {
    int shift = 0;
    while (shift < 31 && (1 << shift) < sharing) ++shift;
    std::vector<std::pair<int, uint32_t>> instances;
    for (const LogicalCpuRecord& cpu : cpus) {
        if (cpu.apicId < 0) return 0;
        instances.push_back({cpu.package, static_cast<uint32_t>(cpu.apicId) >> shift});
    }
    return CountDistinct(instances);
}

void AddCpuidCaches(const CpuidCaches& caches, const std::vector<LogicalCpuRecord>& cpus,
                    CpuTopology* topology) {
    if (!topology->known || topology->l1d.instances || topology->l1i.instances ||
        topology->l2.instances || topology->l3.instances)
        return;
    // A hybrid's leaves describe the core that ran CPUID; the other kind's caches differ.
    std::vector<LogicalCpuRecord> described;
    for (const LogicalCpuRecord& cpu : cpus)
        if (caches.coreType == 0 || cpu.coreType == caches.coreType) described.push_back(cpu);
    if (described.empty()) described = cpus;
    std::vector<int> packageList;
    std::vector<std::pair<int, int>> coreList;
    for (const LogicalCpuRecord& cpu : described) {
        packageList.push_back(cpu.package);
        coreList.push_back({cpu.package, cpu.core});
    }
    const int logical = static_cast<int>(described.size());
    const int packages = std::max(1, CountDistinct(packageList));
    const int cores = std::max(packages, CountDistinct(coreList));
    for (int i = 0; i < caches.count; ++i) {
        const CpuidCache& cache = caches.caches[i];
        CacheLevel* level = cache.level == 1 && cache.type == 'D'   ? &topology->l1d
                            : cache.level == 1 && cache.type == 'I' ? &topology->l1i
                            : cache.level == 2 && cache.type != 'I' ? &topology->l2
                            : cache.level == 3 && cache.type != 'I' ? &topology->l3
                                                                    : nullptr;
        if (!level || level->instances || cache.bytes == 0) continue;
        int instances = cache.scope == CpuidCache::kPackage ? packages : cores;
        if (cache.scope == CpuidCache::kThreads && cache.sharingThreads > 0) {
            const int grouped = CountCacheInstances(described, cache.sharingThreads);
            // Without APIC IDs, a guess: the figure rounded up to a power of two (a 6-core
            // part's L3 says 16), hence the rounding up and the bounds.
            if (grouped > 0)
                instances = grouped;
            else if (cache.level > 1)
                instances = (logical + cache.sharingThreads - 1) / cache.sharingThreads;
            instances = std::min(cores, std::max(packages, instances));
        }
        level->bytes = cache.bytes;
        level->instances = instances;
        level->totalBytes = cache.bytes * static_cast<uint64_t>(instances);
        level->groups[0] = {cache.bytes, instances};
        level->groupCount = 1;
        topology->cachesFromCpuid = true;
    }
}

namespace {

void ReadRecords(std::vector<LogicalCpuRecord>* cpus, CpuTopology* out) {
    std::vector<CacheRecord> caches;
    if (!ReadCpuTopologyRecords(cpus, &caches)) cpus->clear();
    BuildCpuTopology(*cpus, caches, out);
}

}  // namespace

void ReadCpuTopology(CpuTopology* out) {
    std::vector<LogicalCpuRecord> cpus;
    ReadRecords(&cpus, out);
}

void ReadCpuTopology(const CpuidLeaves& leaves, CpuTopology* out) {
    std::vector<LogicalCpuRecord> cpus;
    ReadRecords(&cpus, out);
    CpuidCaches described;
    DecodeCpuidCaches(leaves, &described);
    AddCpuidCaches(described, cpus, out);
}

void FormatCacheSize(uint64_t bytes, char* out, size_t size) {
    const uint64_t kKiB = 1024, kMiB = kKiB * 1024, kGiB = kMiB * 1024;
    const char* unit;
    uint64_t scale;
    if (bytes >= kGiB && bytes % kGiB == 0) {
        scale = kGiB, unit = "GiB";
    } else if (bytes >= kMiB && (bytes % kMiB) * 100 % kMiB == 0) {
        scale = kMiB, unit = "MiB";  // 1.25 MiB is read more easily than 1280 KiB
    } else if (bytes % kKiB == 0) {
        scale = kKiB, unit = "KiB";
    } else {
        scale = 1, unit = "B";
    }
    FormatScaledBytes(bytes, scale, unit, out, size);
}

void FormatCpuTopology(const CpuTopology& topology, char* out, size_t size) {
    if (size == 0) return;
    out[0] = '\0';
    if (!topology.known) return;
    size_t used = 0;
    Append(out, size, &used, "%d package%s, %d core%s", topology.packages,
           topology.packages == 1 ? "" : "s", topology.cores, topology.cores == 1 ? "" : "s");
    if (topology.performanceCores > 0 && topology.efficiencyCores > 0)
        Append(out, size, &used, " (%d performance, %d efficiency)", topology.performanceCores,
               topology.efficiencyCores);
    Append(out, size, &used, ", %d thread%s", topology.logical, topology.logical == 1 ? "" : "s");
    const struct {
        const char* name;
        const CacheLevel* level;
    } levels[] = {
        {"L1d", &topology.l1d}, {"L1i", &topology.l1i}, {"L2", &topology.l2}, {"L3", &topology.l3}};
    bool first = true;
    for (const auto& entry : levels) {
        const CacheLevel& level = *entry.level;
        if (level.instances == 0) continue;
        Append(out, size, &used, "%s%s ", first ? "; " : ", ", entry.name);
        first = false;
        char text[32];
        if (level.groupCount == 0) {
            FormatCacheSize(level.totalBytes, text, sizeof text);
            Append(out, size, &used, "%s in %d", text, level.instances);
            continue;
        }
        for (int g = 0; g < level.groupCount; ++g) {
            FormatCacheSize(level.groups[g].bytes, text, sizeof text);
            Append(out, size, &used, "%s%s x %d", g ? " + " : "", text, level.groups[g].instances);
        }
    }
    if (topology.cachesFromCpuid && !first) Append(out, size, &used, " (caches from CPUID)");
}
