// /proc/meminfo within the cgroup's limit: in a container limited to 1 GiB the machine
// has 1 GiB, whatever the host holds.
#include "platform/memory_status.h"

#include <cstdio>
#include <cstring>

#include "platform/linux/proc_text.h"
#include "platform/linux/read_file.h"

namespace {

bool ReadCgroupFile(const char* directory, const char* name, uint64_t* value) {
    char path[512];
    std::snprintf(path, sizeof path, "%s/%s", directory, name);
    char text[64];
    long length = ReadSmallFile(path, text, sizeof text);
    return length > 0 && ParseCgroupValue(text, static_cast<size_t>(length), value);
}

// The tightest limit on the way from the process's cgroup up to the root, and the room
// left under it.
void ApplyCgroupLimit(const char* mount, const char* path, const char* limitFile, const char* usageFile,
                      uint64_t* limit, uint64_t* room) {
    char directory[512];
    std::snprintf(directory, sizeof directory, "%s%s", mount, path);
    for (;;) {
        uint64_t value = 0, usage = 0;
        if (ReadCgroupFile(directory, limitFile, &value) && value < *limit) {
            *limit = value;
            *room = ReadCgroupFile(directory, usageFile, &usage) && usage < value ? value - usage : 0;
        }
        char* slash = std::strrchr(directory, '/');
        if (!slash || static_cast<size_t>(slash - directory) < std::strlen(mount)) break;
        *slash = '\0';
    }
}

class LinuxMemoryStatus final : public MemoryStatusSource {
public:
    bool QueryExtended(MemoryStatus* status) override {
        char text[8192];
        long length = ReadSmallFile("/proc/meminfo", text, sizeof text);
        if (length <= 0) return false;
        MeminfoFacts facts;
        ParseMeminfo(text, static_cast<size_t>(length), &facts);
        if (facts.memTotal == 0) return false;
        uint64_t available = facts.hasMemAvailable ? facts.memAvailable
                                                   : facts.memFree + facts.buffers + facts.cached;
        if (available > facts.memTotal) available = facts.memTotal;

        uint64_t limit = UINT64_MAX, room = UINT64_MAX;
        char cgroup[1024];
        long cgroupLength = ReadSmallFile("/proc/self/cgroup", cgroup, sizeof cgroup);
        if (cgroupLength > 0) {
            CgroupPaths paths;
            ParseProcCgroup(cgroup, static_cast<size_t>(cgroupLength), &paths);
            if (paths.unified[0])
                ApplyCgroupLimit("/sys/fs/cgroup", paths.unified, "memory.max", "memory.current", &limit, &room);
            if (paths.memory[0])
                ApplyCgroupLimit("/sys/fs/cgroup/memory", paths.memory, "memory.limit_in_bytes",
                                 "memory.usage_in_bytes", &limit, &room);
        }
        *status = MemoryStatus{};
        status->totalPhys = facts.memTotal < limit ? facts.memTotal : limit;
        status->availPhys = available < room ? available : room;
        if (status->availPhys > status->totalPhys) status->availPhys = status->totalPhys;
        status->memoryLoad = static_cast<uint32_t>(100 - status->availPhys * 100 / status->totalPhys);
        status->totalPageFile = status->totalPhys + facts.swapTotal;
        status->availPageFile = status->availPhys + facts.swapFree;
        // A 64-bit process's address space: the user half of 48 bits.
        status->totalVirtual = uint64_t{1} << 47;
        status->availVirtual = status->totalVirtual;
        return true;
    }

    void QueryBasic(uint64_t* totalPhys, uint64_t* availPhys) override {
        MemoryStatus status{};
        QueryExtended(&status);
        *totalPhys = status.totalPhys;
        *availPhys = status.availPhys;
    }
};

}  // namespace

MemoryStatusSource& SystemMemoryStatus() {
    static LinuxMemoryStatus source;
    return source;
}
