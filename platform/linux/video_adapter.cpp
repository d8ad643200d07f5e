#include "platform/linux/video_adapter.h"

#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/read_file.h"
#include "platform/system_root.h"
#include "text/bounded_copy.h"

namespace {

// "card0" gives 0; connectors ("card0-DP-1"), render nodes and "version" are not cards.
bool ParseCardName(const char* name, int* number) {
    if (std::strncmp(name, "card", 4) != 0) return false;
    const char* digits = name + 4;
    size_t length = std::strspn(digits, "0123456789");
    if (length == 0 || length > 6 || digits[length] != '\0') return false;
    *number = std::atoi(digits);
    return true;
}

// The last part of a symbolic link's target under the root: the driver's or the bus
// device's name. False when `path` is no link.
bool ReadLinkName(const char* path, char* out, size_t capacity) {
    char full[4096], target[4096];
    if (!SystemPath(path, full, sizeof full)) return false;
    ssize_t length = readlink(full, target, sizeof target - 1);
    if (length <= 0) return false;
    target[length] = '\0';
    while (length > 1 && target[length - 1] == '/') target[--length] = '\0';
    const char* slash = std::strrchr(target, '/');
    CopyBounded(out, slash ? slash + 1 : target, capacity);
    return true;
}

bool PathExists(const char* path) {
    char full[4096];
    return SystemPath(path, full, sizeof full) && access(full, F_OK) == 0;
}

// A decimal byte count from a sysfs file, 0 when it is missing or not a number.
uint64_t ReadByteCount(const char* path) {
    char text[64];
    if (ReadSmallFile(path, text, sizeof text) <= 0) return 0;
    const char* start = text;
    while (*start == ' ' || *start == '\t') ++start;
    if (!std::isdigit(static_cast<unsigned char>(*start))) return 0;
    return std::strtoull(start, nullptr, 10);
}

// The device's uevent names its driver too ("DRIVER=amdgpu"): a plain file, which copies
// of sysfs that hold no links (machine trees, archives) keep.
void ReadUeventDriver(DrmCard* card) {
    card->driver[0] = '\0';
    char path[128], text[1024];
    std::snprintf(path, sizeof path, "/sys/class/drm/card%d/device/uevent", card->number);
    if (ReadSmallFile(path, text, sizeof text) <= 0) return;
    for (const char* line = text; line && *line;
         line = std::strchr(line, '\n') ? std::strchr(line, '\n') + 1 : nullptr) {
        if (std::strncmp(line, "DRIVER=", 7) != 0) continue;
        size_t length = std::strcspn(line + 7, "\n");
        if (length >= sizeof card->driver) length = sizeof card->driver - 1;
        std::memcpy(card->driver, line + 7, length);
        card->driver[length] = '\0';
        return;
    }
}

// A "0x10de" sysfs id; 0 when missing.
uint32_t ReadHexId(const char* path) {
    char text[32];
    if (ReadSmallFile(path, text, sizeof text) <= 0) return 0;
    return static_cast<uint32_t>(std::strtoul(text, nullptr, 16));
}

// PCI ids from the device's vendor and device files, else its uevent ("PCI_ID=10DE:2684").
// A virtio card's own files hold virtio's numbering: its PCI parent's are the PCI ids.
void ReadCardIds(DrmCard* card) {
    char path[160];
    const char* parent = std::strncmp(card->busId, "virtio", 6) == 0 ? "/.." : "";
    std::snprintf(path, sizeof path, "/sys/class/drm/card%d/device%s/vendor", card->number, parent);
    card->vendor = ReadHexId(path);
    std::snprintf(path, sizeof path, "/sys/class/drm/card%d/device%s/device", card->number, parent);
    card->device = ReadHexId(path);
    if (card->vendor) return;
    char text[1024];
    std::snprintf(path, sizeof path, "/sys/class/drm/card%d/device/uevent", card->number);
    if (ReadSmallFile(path, text, sizeof text) <= 0) return;
    const char* id = std::strstr(text, "PCI_ID=");
    if (!id || (id != text && id[-1] != '\n')) return;
    char* end = nullptr;
    card->vendor = static_cast<uint32_t>(std::strtoul(id + 7, &end, 16));
    card->device = *end == ':' ? static_cast<uint32_t>(std::strtoul(end + 1, nullptr, 16)) : 0;
}

void ReadCardFacts(DrmCard* card) {
    char path[128];
    std::snprintf(path, sizeof path, "/sys/class/drm/card%d/device", card->number);
    card->hasDevice = PathExists(path);
    if (!ReadLinkName(path, card->busId, sizeof card->busId)) card->busId[0] = '\0';
    std::snprintf(path, sizeof path, "/sys/class/drm/card%d/device/driver", card->number);
    if (!ReadLinkName(path, card->driver, sizeof card->driver)) ReadUeventDriver(card);
    // Only PCI display devices have it; a virtio or platform device has none.
    char text[8];
    std::snprintf(path, sizeof path, "/sys/class/drm/card%d/device/boot_vga", card->number);
    card->bootVga = ReadSmallFile(path, text, sizeof text) > 0 && text[0] == '1';
    ReadCardIds(card);
}

bool IsDriver(const DrmCard& card, const char* name) {
    return std::strcmp(card.driver, name) == 0;
}

// xe gives each tile's VRAM (discrete cards only); i915 publishes a local-memory total
// only in its out-of-tree builds, in either of two places.
uint64_t ReadIntelLocalMemory(const DrmCard& card) {
    char path[160];
    uint64_t total = 0;
    if (IsDriver(card, "xe")) {
        for (int tile = 0; tile < 8; ++tile) {
            std::snprintf(path, sizeof path,
                          "/sys/class/drm/card%d/device/tile%d/physical_vram_size_bytes",
                          card.number, tile);
            uint64_t bytes = ReadByteCount(path);
            if (!bytes) break;
            total += bytes;
        }
        return total;
    }
    std::snprintf(path, sizeof path, "/sys/class/drm/card%d/device/lmem_total_bytes", card.number);
    total = ReadByteCount(path);
    if (total) return total;
    std::snprintf(path, sizeof path, "/sys/class/drm/card%d/lmem_total_bytes", card.number);
    return ReadByteCount(path);
}

// The management library's own layout of its memory record.
struct NvmlMemory {
    unsigned long long total, free, used;
};

}  // namespace

int ListDrmCards(DrmCard* cards, int capacity) {
    char path[4096];
    if (capacity <= 0 || !SystemPath("/sys/class/drm", path, sizeof path)) return 0;
    DIR* drm = opendir(path);
    if (!drm) return 0;
    int count = 0;
    while (dirent* entry = readdir(drm)) {
        int number = 0;
        if (!ParseCardName(entry->d_name, &number)) continue;
        // Kept sorted; when full, a lower number pushes out the highest.
        int at = count;
        while (at > 0 && cards[at - 1].number > number) --at;
        if (at == capacity) continue;
        int last = count < capacity ? count : capacity - 1;
        std::memmove(cards + at + 1, cards + at, static_cast<size_t>(last - at) * sizeof *cards);
        cards[at] = DrmCard{};
        cards[at].number = number;
        if (count < capacity) ++count;
    }
    closedir(drm);
    for (int i = 0; i < count; ++i) ReadCardFacts(&cards[i]);
    return count;
}

int ChoosePrimaryCard(const DrmCard* cards, int count) {
    int first = -1;
    for (int i = 0; i < count; ++i) {
        if (!cards[i].hasDevice) continue;
        if (cards[i].bootVga) return i;
        if (first < 0) first = i;
    }
    return first;
}

uint64_t ReadNvmlMemory(const char* nvmlLibrary, const char* busId) {
    if (!nvmlLibrary || !busId || !busId[0]) return 0;
    void* nvml = dlopen(nvmlLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!nvml) return 0;
    typedef int (*PlainFunction)();
    typedef int (*HandleFunction)(const char*, void**);
    typedef int (*MemoryFunction)(void*, NvmlMemory*);
    auto init = reinterpret_cast<PlainFunction>(dlsym(nvml, "nvmlInit_v2"));
    auto shutdown = reinterpret_cast<PlainFunction>(dlsym(nvml, "nvmlShutdown"));
    auto handle = reinterpret_cast<HandleFunction>(dlsym(nvml, "nvmlDeviceGetHandleByPciBusId_v2"));
    auto memory = reinterpret_cast<MemoryFunction>(dlsym(nvml, "nvmlDeviceGetMemoryInfo"));
    uint64_t total = 0;
    if (init && shutdown && handle && memory && init() == 0) {
        void* device = nullptr;
        NvmlMemory info = {};
        if (handle(busId, &device) == 0 && memory(device, &info) == 0) total = info.total;
        shutdown();
    }
    dlclose(nvml);
    return total;
}

uint64_t ReadCardMemory(const DrmCard& card, const char* nvmlLibrary) {
    if (IsDriver(card, "amdgpu") || IsDriver(card, "radeon")) {
        char path[128];
        std::snprintf(path, sizeof path, "/sys/class/drm/card%d/device/mem_info_vram_total",
                      card.number);
        return ReadByteCount(path);
    }
    if (IsDriver(card, "i915") || IsDriver(card, "xe")) return ReadIntelLocalMemory(card);
    if (IsDriver(card, "nvidia")) return ReadNvmlMemory(nvmlLibrary, card.busId);
    // nouveau, virtio_gpu, vmwgfx, bochs, qxl, simpledrm...: no figure offered.
    return 0;
}

const char* SystemNvmlLibrary() {
    char root[8];
    bool realRoot = SystemPath("/", root, sizeof root) && std::strcmp(root, "/") == 0;
    return realRoot ? "libnvidia-ml.so.1" : nullptr;
}

uint64_t ReadPrimaryAdapterMemory(const char* nvmlLibrary) {
    DrmCard cards[kMaxDrmCards];
    int count = ListDrmCards(cards, kMaxDrmCards);
    int primary = ChoosePrimaryCard(cards, count);
    return primary < 0 ? 0 : ReadCardMemory(cards[primary], nvmlLibrary);
}
