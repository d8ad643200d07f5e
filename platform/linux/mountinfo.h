// /proc/self/mountinfo: the mounted file systems a user would call drives.
#pragma once

#include <cstddef>

// The longest mount point passed on: a drive's name is a 260-byte text, and a cut path
// would name another directory, so longer ones are left out.
constexpr size_t kMaxMountPointLength = 259;

// Calls `keep(mountPoint, fsType, context)` once for each mounted file system that
// stores data, in file order: local block devices (also under /run/media and /media),
// FUSE, network and cluster file systems, a virtual machine's shared folders, and the
// overlay root of a container or live system. Left out: pseudo and in-memory file
// systems, other overlays, read-only images (squashfs), optical media, the mounts of
// the system's own trees and of container storage. A file system mounted at several
// places is passed once: at "/" if it is there, else where its own root is mounted,
// else at its first mount. Every one is passed, however many lines the file has.
typedef void (*MountCallback)(const char* mountPoint, const char* fsType, void* context);
void ParseMountinfo(const char* text, size_t length, MountCallback keep, void* context);
