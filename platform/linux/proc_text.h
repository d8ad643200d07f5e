// Parsers of the Linux text files the probes read. They take the file's bytes as they
// are (any length, no terminator needed, binary content allowed) and never read past
// `length`; every text they hand back is cut to its buffer and terminated.
#pragma once

#include <cstddef>
#include <cstdint>

struct CpuinfoFacts {
    int processors;         // "processor" lines
    char modelName[256];    // "model name" of the first processor
    char vendorId[32];      // "vendor_id"
    double mhz;             // "cpu MHz" of the first processor, 0 when absent
    int family, model, stepping;  // of the first processor, -1 when absent
};
void ParseCpuinfo(const char* text, size_t length, CpuinfoFacts* facts);

struct MeminfoFacts {
    uint64_t memTotal, memFree, memAvailable, buffers, cached, swapTotal, swapFree;  // bytes
    bool hasMemAvailable;
};
void ParseMeminfo(const char* text, size_t length, MeminfoFacts* facts);

// A cgroup limit file (memory.max, memory.limit_in_bytes, memory.current, ...): false
// when it holds no number; "max" gives UINT64_MAX.
bool ParseCgroupValue(const char* text, size_t length, uint64_t* value);

// /proc/self/cgroup: the v2 path ("0::/path") and the v1 memory controller's path.
struct CgroupPaths {
    char unified[256];
    char memory[256];
};
void ParseProcCgroup(const char* text, size_t length, CgroupPaths* paths);

// /etc/os-release: PRETTY_NAME without its quotes, or NAME, or empty.
void ParseOsRelease(const char* text, size_t length, char* out, size_t capacity);
// The value of `key` in an os-release text, its quotes removed; empty where it is absent.
void OsReleaseValue(const char* text, size_t length, const char* key, char* out, size_t capacity);

// A kernel CPU list such as /sys/devices/system/cpu/online ("0-3,5,8-11"): how many
// processors it names; 0 when it names none or is not such a list.
int ParseCpuList(const char* text, size_t length);
