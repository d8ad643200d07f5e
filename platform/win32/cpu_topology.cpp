// GetLogicalProcessorInformationEx exists from Windows 7 on; it is looked up at run time so
// the program still starts on XP, where the topology stays unknown. The records are read
// at fixed offsets rather than through the SDK's structures, whose cache record and
// efficiency class differ between header versions.
#include "platform/cpu_topology.h"

#include "platform/win32/processor_information.h"

#include <windows.h>

#include <cstring>
#include <map>
#include <set>

namespace {

typedef BOOL(WINAPI* QueryFunction)(int relationship, void* buffer, DWORD* length);

// LOGICAL_PROCESSOR_RELATIONSHIP
const DWORD kRelationProcessorCore = 0, kRelationCache = 2, kRelationProcessorPackage = 3;
const int kRelationAll = 0xFFFF;
// GROUP_AFFINITY: a pointer-wide mask, the group number, three reserved words.
const size_t kAffinitySize = sizeof(ULONG_PTR) + 8;
// The union after Relationship and Size starts pointer-aligned.
const size_t kBody = 8;

template <typename T>
T At(const unsigned char* record, size_t offset) {
    T value;
    std::memcpy(&value, record + offset, sizeof value);
    return value;
}

// Calls `each(cpu)` for the processors of `count` GROUP_AFFINITY entries at `masks`, the
// processors numbered group * 64 + bit as the system numbers them; the lowest, or -1.
template <typename Each>
int ForEachProcessor(const unsigned char* masks, int count, const unsigned char* end, Each each) {
    int lowest = -1;
    for (int g = 0; g < count; ++g) {
        const unsigned char* entry = masks + g * kAffinitySize;
        if (entry + kAffinitySize > end) break;
        ULONG_PTR mask = At<ULONG_PTR>(entry, 0);
        WORD group = At<WORD>(entry, sizeof(ULONG_PTR));
        for (unsigned bit = 0; bit < sizeof mask * 8; ++bit) {
            if (!(mask >> bit & 1)) continue;
            int cpu = group * 64 + static_cast<int>(bit);
            if (lowest < 0 || cpu < lowest) lowest = cpu;
            each(cpu);
        }
    }
    return lowest;
}

}  // namespace

bool ParseProcessorInformation(const unsigned char* buffer, size_t length,
                               std::vector<LogicalCpuRecord>* cpus,
                               std::vector<CacheRecord>* caches) {
    cpus->clear();
    caches->clear();
    std::map<int, LogicalCpuRecord> byCpu;
    std::map<int, int> coreClass;  // core number -> efficiency class
    std::set<int> cored;
    int cores = 0, packages = 0;
    const unsigned char* end = buffer + length;
    for (const unsigned char* record = buffer; record + kBody <= end;) {
        DWORD relationship = At<DWORD>(record, 0), size = At<DWORD>(record, 4);
        if (size < kBody || record + size > end) break;
        const unsigned char* body = record + kBody;
        const unsigned char* recordEnd = record + size;
        if (relationship == kRelationProcessorCore && body + 24 <= recordEnd) {
            // Flags, EfficiencyClass, 20 reserved bytes, GroupCount, GroupMask[].
            int core = cores++;
            coreClass[core] = At<BYTE>(body, 1);
            ForEachProcessor(body + 24, At<WORD>(body, 22), recordEnd, [&](int cpu) {
                byCpu[cpu].cpu = cpu;
                byCpu[cpu].core = core;
                cored.insert(cpu);
            });
        } else if (relationship == kRelationProcessorPackage && body + 24 <= recordEnd) {
            int package = packages++;
            ForEachProcessor(body + 24, At<WORD>(body, 22), recordEnd, [&](int cpu) {
                byCpu[cpu].cpu = cpu;
                byCpu[cpu].package = package;
            });
        } else if (relationship == kRelationCache && body + 32 <= recordEnd) {
            // Level, Associativity, LineSize, CacheSize, Type, 18 reserved bytes,
            // GroupCount (0 before Windows 11: one mask), GroupMask[].
            int level = At<BYTE>(body, 0);
            DWORD bytes = At<DWORD>(body, 4), kind = At<DWORD>(body, 8);
            int groups = At<WORD>(body, 30);
            char type = kind == 0 ? 'U' : kind == 1 ? 'I' : kind == 2 ? 'D' : 0;
            int lowest = ForEachProcessor(body + 32, groups ? groups : 1, recordEnd, [](int) {});
            if (type && level > 0 && bytes > 0 && lowest >= 0)
                caches->push_back({level, type, bytes, lowest});
        }
        record += size;
    }
    // A processor of no core record means records lost (a cut buffer): better unknown
    // than each such processor counted into core 0.
    if (byCpu.empty() || cored.size() != byCpu.size()) return false;
    // A higher class is a faster core; one class throughout is no hybrid.
    int low = 255, high = 0;
    for (const auto& entry : coreClass) {
        low = entry.second < low ? entry.second : low;
        high = entry.second > high ? entry.second : high;
    }
    for (auto& entry : byCpu) {
        LogicalCpuRecord cpu = entry.second;
        cpu.coreType = high > low ? (coreClass[cpu.core] == high ? 1 : 2) : 0;
        cpus->push_back(cpu);
    }
    return true;
}

bool ReadCpuTopologyRecords(std::vector<LogicalCpuRecord>* cpus, std::vector<CacheRecord>* caches) {
    cpus->clear();
    caches->clear();
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return false;
    auto query = reinterpret_cast<QueryFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetLogicalProcessorInformationEx")));
    if (!query) return false;
    std::vector<unsigned char> buffer;
    DWORD length = 0;
    // The needed size comes back with ERROR_INSUFFICIENT_BUFFER; a processor brought online
    // between the two calls makes it grow, hence a few tries.
    bool ok = false;
    for (int attempt = 0; attempt < 4 && !ok; ++attempt) {
        buffer.resize(length ? length : 1);
        ok = query(kRelationAll, buffer.data(), &length) != 0;
        if (!ok && GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    }
    if (!ok) return false;
    return ParseProcessorInformation(buffer.data(), length < buffer.size() ? length : buffer.size(),
                                     cpus, caches);
}
