// Where the Linux sources read the machine from: "/" for this machine, or the folder of a
// machine tree (tests, `kelvane-cli info --sysroot DIR`), whose /proc, /sys and /etc files
// then stand for a whole other machine. CPUID comes from the processor unless the tree holds
// a cpuid.txt dump, which kelvane-cli reads through OpenSystemFileStream.
#pragma once

#include <cstddef>
#include <cstdio>

// Sets the root once, before the first probe; nullptr or "" is the real "/". False where
// the platform reads no such files (Windows), or the folder is too long or not a folder.
bool SetSystemRoot(const char* directory);

// `path` (absolute: "/proc/meminfo") under the root, into `out`; false when it does not fit.
bool SystemPath(const char* path, char* out, size_t capacity);

// `path` under the root opened for reading as the Linux sources read their files (a regular
// file, inside the tree), or nullptr.
std::FILE* OpenSystemFileStream(const char* path);

// The files of a machine tree that exist but could not be read (or lead outside the tree),
// for a warning each: up to `capacity` texts such as "/proc/meminfo: Permission denied" into
// `out`; returns how many there were, kUnreadableFilesKept + 1 for "more than that". Always 0
// for this machine's own root.
constexpr int kUnreadableFilesKept = 16;
int UnreadableSystemFiles(const char** out, int capacity);
