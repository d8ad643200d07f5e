// Provisional: sysinfo(2) figures until the /proc/meminfo and cgroup reader lands.
#include "platform/memory_status.h"

#include <sys/sysinfo.h>

namespace {

class LinuxMemoryStatus final : public MemoryStatusSource {
public:
    bool QueryExtended(MemoryStatus* status) override {
        struct sysinfo info {};
        if (sysinfo(&info) != 0) return false;
        uint64_t unit = info.mem_unit ? info.mem_unit : 1;
        *status = MemoryStatus{};
        status->totalPhys = info.totalram * unit;
        status->availPhys = (info.freeram + info.bufferram) * unit;
        status->totalPageFile = (info.totalram + info.totalswap) * unit;
        status->availPageFile = (info.freeram + info.freeswap) * unit;
        if (status->totalPhys)
            status->memoryLoad =
                static_cast<uint32_t>(100 - status->availPhys * 100 / status->totalPhys);
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
