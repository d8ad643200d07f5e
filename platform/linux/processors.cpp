#include "platform/processors.h"

#include <cstring>
#include <memory>

#include "platform/linux/cpu_facts.h"
#include "platform/linux/read_file.h"

int CountAllowedProcessors() {
    // An alternating list on an 8192-processor kernel ("0,2,4,...") runs to about 20 KB.
    constexpr size_t kSize = 64 << 10;
    std::unique_ptr<char[]> text(new char[kSize]);
    long length = ReadSmallFile("/proc/self/status", text.get(), kSize);
    if (length <= 0) return 0;
    // The kernel writes the affinity already narrowed to the cpuset.
    static const char kKey[] = "\nCpus_allowed_list:";
    const char* at = static_cast<const char*>(
        memmem(text.get(), static_cast<size_t>(length), kKey, sizeof kKey - 1));
    if (!at) return 0;
    at += sizeof kKey - 1;
    const char* end = text.get() + length;
    const char* stop =
        static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at)));
    while (at < end && (*at == ' ' || *at == '\t')) ++at;
    return ParseCpuList(at, static_cast<size_t>((stop ? stop : end) - at));
}

const char* NominalClockSource() {
    CpuinfoFacts facts;
    ReadFirstProcessor(&facts);
    const char* source = "none";
    ReadNominalMhz(facts, &source);
    return source;
}
