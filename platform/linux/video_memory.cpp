// amdgpu and radeon report their memory in sysfs; NVIDIA through its management
// library, loaded only when present.
#include "platform/video_memory.h"

#include <dirent.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/read_file.h"

namespace {

uint64_t ReadDrmVideoMemory() {
    uint64_t largest = 0;
    DIR* drm = opendir("/sys/class/drm");
    if (!drm) return 0;
    while (dirent* entry = readdir(drm)) {
        // card0, card1, ... but not their connectors (card0-HDMI-A-1).
        if (std::strncmp(entry->d_name, "card", 4) != 0 || std::strchr(entry->d_name, '-')) continue;
        char path[512], text[64];
        std::snprintf(path, sizeof path, "/sys/class/drm/%s/device/mem_info_vram_total", entry->d_name);
        if (ReadSmallFile(path, text, sizeof text) <= 0) continue;
        uint64_t bytes = std::strtoull(text, nullptr, 10);
        if (bytes > largest) largest = bytes;
    }
    closedir(drm);
    return largest;
}

struct NvmlMemory {
    unsigned long long total, free, used;
};

uint64_t ReadNvidiaVideoMemory() {
    void* nvml = dlopen("libnvidia-ml.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!nvml) return 0;
    typedef int (*InitFunction)();
    typedef int (*HandleFunction)(unsigned, void**);
    typedef int (*MemoryFunction)(void*, NvmlMemory*);
    auto init = reinterpret_cast<InitFunction>(dlsym(nvml, "nvmlInit_v2"));
    auto shutdown = reinterpret_cast<InitFunction>(dlsym(nvml, "nvmlShutdown"));
    auto handle = reinterpret_cast<HandleFunction>(dlsym(nvml, "nvmlDeviceGetHandleByIndex_v2"));
    auto memory = reinterpret_cast<MemoryFunction>(dlsym(nvml, "nvmlDeviceGetMemoryInfo"));
    uint64_t total = 0;
    if (init && shutdown && handle && memory && init() == 0) {
        void* device = nullptr;
        NvmlMemory info = {};
        if (handle(0, &device) == 0 && memory(device, &info) == 0) total = info.total;
        shutdown();
    }
    dlclose(nvml);
    return total;
}

class LinuxVideoMemory final : public VideoMemorySource {
public:
    uint64_t TotalVideoMemory() override {
        uint64_t total = ReadDrmVideoMemory();
        return total ? total : ReadNvidiaVideoMemory();
    }
};

}  // namespace

VideoMemorySource& SystemVideoMemory() {
    static LinuxVideoMemory source;
    return source;
}
