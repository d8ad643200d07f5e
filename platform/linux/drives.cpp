#include "platform/drives.h"

#include <cstring>
#include <memory>

#include "platform/linux/mountinfo.h"
#include "platform/linux/read_file.h"
#include "text/bounded_copy.h"

namespace {

struct Collect {
    DriveEntry* entries;
    int capacity;
    int count;
    int found;
};

void Keep(const char* mountPoint, const char*, void* context) {
    auto* collect = static_cast<Collect*>(context);
    ++collect->found;
    if (collect->capacity <= 0) return;
    int slot = collect->count;
    if (slot >= collect->capacity) {
        // A full list still shows "/", the drive preselected: in the last place.
        if (std::strcmp(mountPoint, "/") != 0) return;
        slot = collect->capacity - 1;
    }
    DriveEntry& entry = collect->entries[slot];
    CopyBounded(entry.name, mountPoint, sizeof entry.name);
    entry.optical = false;  // optical media are left out already
    if (slot == collect->count) ++collect->count;
}

class LinuxDrives final : public DriveSource {
  public:
    int ListDrives(DriveEntry* entries, int capacity) override {
        // A host with a few thousand container mounts writes about 1 MB; the buffer grows
        // until the whole file fits, up to a bound no real mount table reaches.
        std::unique_ptr<char[]> text;
        long length = 0;
        for (size_t size = 1 << 20; size <= (64u << 20); size *= 4) {
            text.reset(new char[size]);
            length = ReadSmallFile("/proc/self/mountinfo", text.get(), size);
            if (length < 0 || static_cast<size_t>(length) < size - 1) break;
        }
        if (length <= 0) return 0;
        Collect collect = {entries, capacity, 0, 0};
        ParseMountinfo(text.get(), static_cast<size_t>(length), Keep, &collect);
        return collect.found;
    }
};

}  // namespace

DriveSource& SystemDrives() {
    static LinuxDrives source;
    return source;
}
