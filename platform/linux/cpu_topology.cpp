// Linux lists its processors' topology and caches in sysfs, one small file per fact. A
// read costs a few microseconds, so on 256 processors each set (a core, a package, a
// cache instance) is read once, from its first processor, and shared to its members.
#include "platform/cpu_topology.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

#include "platform/linux/cpu_list.h"
#include "platform/linux/read_file.h"

namespace {

// The largest processor count x86-64 kernels are built for.
const int kMaxCpus = 8192;
// cache/index0 ... : L1d, L1i, L2, L3 and a spare for an L4.
const int kMaxCacheIndices = 8;

bool ReadList(const char* path, int limit, std::vector<int>* cpus) {
    char text[4096];
    long n = ReadSmallFile(path, text, sizeof text);
    // A full buffer may hold a list cut short: better unknown than miscounted.
    if (n <= 0 || n >= static_cast<long>(sizeof text) - 1) return false;
    return ParseCpuMembers(text, static_cast<size_t>(n), limit, cpus);
}

bool ReadText(const char* path, char* text, size_t capacity) {
    long n = ReadSmallFile(path, text, capacity);
    if (n <= 0) return false;
    while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == ' ')) text[--n] = '\0';
    return n > 0;
}

bool ReadNumber(const char* path, long* value) {
    char text[32];
    if (!ReadText(path, text, sizeof text)) return false;
    char* end = nullptr;
    *value = std::strtol(text, &end, 10);
    return end != text && *end == '\0';
}

// "48K", "2048K" as the kernel writes cache sizes; "105M" and plain bytes just in case.
bool ReadSize(const char* path, uint64_t* bytes) {
    char text[32];
    if (!ReadText(path, text, sizeof text)) return false;
    char* end = nullptr;
    unsigned long long n = std::strtoull(text, &end, 10);
    if (end == text) return false;
    uint64_t scale = *end == 'K'   ? 1024
                     : *end == 'M' ? 1024 * 1024
                     : *end == 'G' ? 1024 * 1024 * 1024
                                   : 1;
    if (scale != 1) ++end;
    if (*end != '\0' || n == 0) return false;
    *bytes = n * scale;
    return true;
}

// Gives each online processor its set's lowest member in `key`, one list read per set:
// the newer list name first, then the older one, then the number file of kernels that
// have neither (numbered apart from processors: limit + number).
bool AssignSets(const std::vector<int>& online, const std::vector<char>& isOnline, int limit,
                const char* list, const char* olderList, const char* number,
                std::vector<int>* key) {
    key->assign(limit, -1);
    char path[128];
    std::vector<int> members;
    for (int cpu : online) {
        if ((*key)[cpu] >= 0) continue;
        bool listed = false;
        for (const char* name : {list, olderList}) {
            std::snprintf(path, sizeof path, "/sys/devices/system/cpu/cpu%d/topology/%s", cpu,
                          name);
            if (!ReadList(path, limit, &members) || members.empty()) continue;
            for (int m : members)
                if (isOnline[m] && (*key)[m] < 0) (*key)[m] = members[0];
            listed = (*key)[cpu] >= 0;
            if (listed) break;
        }
        if (listed) continue;
        long value = 0;
        std::snprintf(path, sizeof path, "/sys/devices/system/cpu/cpu%d/topology/%s", cpu, number);
        if (!ReadNumber(path, &value) || value < 0 || value > kMaxCpus * 64) return false;
        (*key)[cpu] = limit + static_cast<int>(value);
    }
    return true;
}

// Hybrid parts list their performance and efficiency processors as two PMUs.
void ReadCoreTypes(int limit, std::vector<int>* type) {
    type->assign(limit, 0);
    std::vector<int> members;
    if (ReadList("/sys/devices/cpu_core/cpus", limit, &members))
        for (int m : members) (*type)[m] = 1;
    if (ReadList("/sys/devices/cpu_atom/cpus", limit, &members))
        for (int m : members) (*type)[m] = 2;
}

// What one cache index is on one kind of core; read once, the same on every such core.
struct IndexKind {
    enum { kUnread, kAbsent, kShared, kPerCore } state;
    int level;
    char type;
    uint64_t bytes;
};

bool ReadIndexKind(int cpu, int index, IndexKind* kind) {
    char path[128], text[32];
    long level = 0;
    std::snprintf(path, sizeof path, "/sys/devices/system/cpu/cpu%d/cache/index%d/level", cpu,
                  index);
    if (!ReadNumber(path, &level) || level < 1 || level > 9) return false;
    std::snprintf(path, sizeof path, "/sys/devices/system/cpu/cpu%d/cache/index%d/type", cpu,
                  index);
    if (!ReadText(path, text, sizeof text)) return false;
    char type = text[0] == 'D' ? 'D' : text[0] == 'I' ? 'I' : text[0] == 'U' ? 'U' : 0;
    if (!type) return false;  // "Trace" or newer kinds: not a cache a user counts
    std::snprintf(path, sizeof path, "/sys/devices/system/cpu/cpu%d/cache/index%d/size", cpu,
                  index);
    if (!ReadSize(path, &kind->bytes)) return false;
    kind->level = static_cast<int>(level);
    kind->type = type;
    return true;
}

void ReadCaches(const std::vector<int>& online, const std::vector<char>& isOnline, int limit,
                const std::vector<int>& core, const std::vector<int>& type,
                std::vector<CacheRecord>* caches) {
    char path[128];
    std::vector<int> members, covered;
    for (int index = 0; index < kMaxCacheIndices; ++index) {
        IndexKind kinds[3] = {};
        covered.assign(limit, 0);
        bool any = false;
        for (int cpu : online) {
            if (covered[cpu]) continue;
            IndexKind& kind = kinds[type[cpu]];
            if (kind.state == IndexKind::kAbsent) continue;
            if (kind.state == IndexKind::kPerCore) {
                caches->push_back({kind.level, kind.type, kind.bytes, core[cpu]});
                continue;
            }
            std::snprintf(path, sizeof path,
                          "/sys/devices/system/cpu/cpu%d/cache/index%d/shared_cpu_list", cpu,
                          index);
            bool listed = ReadList(path, limit, &members) && !members.empty();
            if (kind.state == IndexKind::kUnread) {
                if (!listed || !ReadIndexKind(cpu, index, &kind)) {
                    kind.state = IndexKind::kAbsent;
                    continue;
                }
                // A cache of exactly this core is one per core of its kind: no more reads.
                int coreSize = 0;
                bool sameCore = true;
                for (int other : online) coreSize += core[other] == core[cpu];
                for (int m : members) sameCore = sameCore && core[m] == core[cpu];
                kind.state = sameCore && static_cast<int>(members.size()) == coreSize
                                 ? IndexKind::kPerCore
                                 : IndexKind::kShared;
            }
            if (!listed) continue;
            any = true;
            if (kind.state == IndexKind::kPerCore) {
                caches->push_back({kind.level, kind.type, kind.bytes, core[cpu]});
                continue;
            }
            caches->push_back({kind.level, kind.type, kind.bytes, members[0]});
            for (int m : members)
                if (isOnline[m]) covered[m] = 1;
            covered[cpu] = 1;
        }
        if (!any) break;
    }
}

// The "apicid" of each "processor" in /proc/cpuinfo, where the caches must be counted from
// CPUID's sharing figures. Read only then: on 256 processors the file is 400 KB.
void ReadApicIds(std::vector<LogicalCpuRecord>* cpus) {
    const size_t kSize = 1 << 20;
    std::unique_ptr<char[]> text(new char[kSize]);
    long length = ReadSmallFile("/proc/cpuinfo", text.get(), kSize);
    if (length <= 0 || length >= static_cast<long>(kSize) - 1) return;
    std::map<int, int> apicOf;
    long processor = -1;
    for (char* line = text.get(); line && *line;) {
        char* next = std::strchr(line, '\n');
        if (next) *next++ = '\0';
        char* colon = std::strchr(line, ':');
        if (colon) {
            size_t key = static_cast<size_t>(colon - line);
            while (key > 0 && (line[key - 1] == ' ' || line[key - 1] == '\t')) --key;
            char* end = nullptr;
            long value = std::strtol(colon + 1, &end, 10);
            bool number = end != colon + 1 && value >= 0 && value <= 0x7FFFFFFF;
            if (key == 9 && std::strncmp(line, "processor", 9) == 0)
                processor = number ? value : -1;
            if (key == 6 && std::strncmp(line, "apicid", 6) == 0 && number && processor >= 0)
                apicOf[static_cast<int>(processor)] = static_cast<int>(value);
        }
        line = next;
    }
    for (LogicalCpuRecord& cpu : *cpus) {
        auto found = apicOf.find(cpu.cpu);
        if (found != apicOf.end()) cpu.apicId = found->second;
    }
}

}  // namespace

bool ReadCpuTopologyRecords(std::vector<LogicalCpuRecord>* cpus, std::vector<CacheRecord>* caches) {
    cpus->clear();
    caches->clear();
    std::vector<int> online;
    if (!ReadList("/sys/devices/system/cpu/online", kMaxCpus, &online) || online.empty())
        return false;
    int limit = online.back() + 1;
    std::vector<char> isOnline(limit, 0);
    for (int cpu : online) isOnline[cpu] = 1;
    std::vector<int> package, core, type;
    if (!AssignSets(online, isOnline, limit, "package_cpus_list", "core_siblings_list",
                    "physical_package_id", &package) ||
        !AssignSets(online, isOnline, limit, "core_cpus_list", "thread_siblings_list", "core_id",
                    &core))
        return false;
    ReadCoreTypes(limit, &type);
    // Each core named by its first processor: core_id numbers repeat in every package.
    std::map<std::pair<int, int>, int> leads;
    std::vector<int> coreLead(limit, -1);
    for (int cpu : online) {
        cpus->push_back({cpu, package[cpu], core[cpu], type[cpu]});
        coreLead[cpu] = leads.insert({{package[cpu], core[cpu]}, cpu}).first->second;
    }
    ReadCaches(online, isOnline, limit, coreLead, type, caches);
    if (caches->empty()) ReadApicIds(cpus);
    return true;
}
