#include "platform/drives.h"

#include <windows.h>

#include <cstdio>

namespace {

class Win32Drives final : public DriveSource {
public:
    int ListDrives(DriveEntry* entries, int capacity) override {
        int count = 0;
        for (int n = 0; n < 26 && count < capacity; ++n) {
            // The mask is fetched anew for every letter, as drives come and go.
            if (!(GetLogicalDrives() & (1u << n))) continue;
            char root[4];
            std::snprintf(root, sizeof root, "%c:\\", 'A' + n);
            entries[count].optical = GetDriveTypeA(root) == DRIVE_CDROM;
            std::snprintf(entries[count].name, sizeof entries[count].name, "%c:", 'A' + n);
            ++count;
        }
        return count;
    }
};

}  // namespace

DriveSource& SystemDrives() {
    static Win32Drives source;
    return source;
}
