// The drives a user could write to: letters on Windows, mounted file systems on Linux.
#pragma once

constexpr int kDriveNameSize = 260;

struct DriveEntry {
    char name[kDriveNameSize];  // "C:" or a mount point
    bool optical;               // a CD-ROM drive: never listed
};

class DriveSource {
public:
    // Fills at most `capacity` entries in the system's order; returns how many drives there
    // are, which may be more than it filled.
    virtual int ListDrives(DriveEntry* entries, int capacity) = 0;

protected:
    ~DriveSource() = default;
};

DriveSource& SystemDrives();
