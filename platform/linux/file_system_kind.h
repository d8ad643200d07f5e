// Which file systems can be measured as a disk: those that store files on a device, not
// those that keep them in memory or that the kernel makes up.
#pragma once

#include <cstdint>

enum class FileSystemKind {
    kStorage,   // a device, a network or a FUSE file system: measurable
    kInMemory,  // tmpfs (devtmpfs is one), ramfs, hugetlbfs: the "disk" is RAM
    kKernel,    // proc, sysfs, cgroup and the like: no stored files at all
};

// The kind of the file system whose statfs f_type is `magic`; `name` gets its short name
// for the refusal text (nullptr for storage, whose names are not listed).
FileSystemKind ClassifyFileSystem(uint32_t magic, const char** name);
