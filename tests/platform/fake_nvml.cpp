// Stands in for NVIDIA's management library: two cards by PCI bus, and a count of open
// sessions so a test can see every start matched by a shutdown.
#include <cstring>

#define EXPORTED extern "C" __attribute__((visibility("default")))

namespace {

struct Card {
    const char* busId;
    unsigned long long total;
} const kCards[] = {{"0000:01:00.0", 8ull << 30}, {"0000:02:00.0", 24ull << 30}};

int s_sessions = 0;

}  // namespace

struct FakeNvmlMemory {
    unsigned long long total, free, used;
};

EXPORTED int nvmlInit_v2() {
    ++s_sessions;
    return 0;
}

EXPORTED int nvmlShutdown() {
    --s_sessions;
    return 0;
}

EXPORTED int nvmlDeviceGetHandleByPciBusId_v2(const char* busId, void** device) {
    if (s_sessions <= 0) return 1;  // not initialised
    for (const Card& card : kCards) {
        if (std::strcmp(card.busId, busId) == 0) {
            *device = const_cast<Card*>(&card);
            return 0;
        }
    }
    return 6;  // not found
}

EXPORTED int nvmlDeviceGetMemoryInfo(void* device, FakeNvmlMemory* memory) {
    if (s_sessions <= 0 || !device) return 1;
    memory->total = static_cast<const Card*>(device)->total;  // free and used stay 0
    return 0;
}

EXPORTED int fakeNvmlOpenSessions() {
    return s_sessions;
}
