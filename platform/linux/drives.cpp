#include "platform/drives.h"

#include <memory>

#include "platform/linux/proc_text.h"
#include "platform/linux/read_file.h"
#include "text/bounded_copy.h"

namespace {

struct Collect {
    DriveEntry* entries;
    int capacity;
    int count;
};

void Keep(const char* mountPoint, const char*, bool optical, void* context) {
    auto* collect = static_cast<Collect*>(context);
    if (collect->count >= collect->capacity) return;
    DriveEntry& entry = collect->entries[collect->count++];
    CopyBounded(entry.name, mountPoint, sizeof entry.name);
    entry.optical = optical;
}

class LinuxDrives final : public DriveSource {
public:
    int ListDrives(DriveEntry* entries, int capacity) override {
        constexpr size_t kSize = 1 << 20;
        std::unique_ptr<char[]> text(new char[kSize]);
        long length = ReadSmallFile("/proc/self/mountinfo", text.get(), kSize);
        if (length <= 0) return 0;
        Collect collect = {entries, capacity, 0};
        ParseMountinfo(text.get(), static_cast<size_t>(length), Keep, &collect);
        return collect.count;
    }
};

}  // namespace

DriveSource& SystemDrives() {
    static LinuxDrives source;
    return source;
}
