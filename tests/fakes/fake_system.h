// Scripted system sources for the probes: CPUID words per leaf and sub-leaf (by hand or from
// the dumps of real processors in tests/data/cpuid), XCR0, a registry of processor keys, a
// memory status, drives and libraries.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/cpu_instructions.h"
#include "platform/drives.h"
#include "platform/library.h"
#include "platform/memory_status.h"
#include "platform/registry.h"
#include "sysinfo/cpuid_dump.h"

class FakeCpuid final : public CpuidSource {
  public:
    std::map<uint32_t, CpuidWords> leaves;  // sub-leaf 0; missing leaves read as zeros
    std::map<std::pair<uint32_t, uint32_t>, CpuidWords> subleaves;  // sub-leaves 1 and up
    uint64_t xcr0 = 0;
    int calls = 0;

    using CpuidSource::Execute;
    CpuidWords Execute(uint32_t leaf, uint32_t subleaf) override {
        ++calls;
        if (subleaf)
            return subleaves.count({leaf, subleaf}) ? subleaves[{leaf, subleaf}] : CpuidWords{};
        return leaves.count(leaf) ? leaves[leaf] : CpuidWords{};
    }
    uint64_t ReadXcr0() override { return xcr0; }
    // Leaf 0 with a 12-character vendor string.
    void SetVendor(const char* vendor) {
        leaves[0] = {0x16, 0, 0, 0};
        std::memcpy(&leaves[0].ebx, vendor, 4);
        std::memcpy(&leaves[0].edx, vendor + 4, 4);
        std::memcpy(&leaves[0].ecx, vendor + 8, 4);
    }
};

// A dump in any form the product reads (tests/data/cpuid holds the table form), through the
// product's reader; XCR0 as the dump's source answers it. False, with the reader's reason
// in `error`, for a file it refuses.
inline bool LoadCpuidDump(const std::string& path, FakeCpuid* cpuid, std::string* error) {
    std::unique_ptr<CpuidDump> dump(new CpuidDump());
    char reason[512];
    if (!ReadCpuidDumpFile(path.c_str(), dump.get(), reason, sizeof reason)) {
        *error = reason;
        return false;
    }
    for (int i = 0; i < dump->count; ++i) {
        const CpuidDumpEntry& entry = dump->entries[i];
        if (entry.subleaf)
            cpuid->subleaves[{entry.leaf, entry.subleaf}] = entry.words;
        else
            cpuid->leaves[entry.leaf] = entry.words;
    }
    cpuid->xcr0 = DumpCpuid(*dump).ReadXcr0();
    return true;
}

// Keys by their lower-case path; values as raw bytes. A handle is the address of its values.
class FakeRegistry final : public RegistrySource {
  public:
    using Values = std::map<std::string, std::string>;
    std::map<std::string, Values> keys;
    std::map<std::string, std::string> environment;
    int openKeys = 0;

    void AddProcessors(int count) {
        for (int i = 0; i < count; ++i)
            keys[kProcessors + std::to_string(i)]["VendorIdentifier"] = "GenuineIntel";
    }
    void SetProcessorZero(const std::string& value, const std::string& data) {
        keys[kProcessors + std::string("0")][value] = data;
    }

    uintptr_t OpenKey(RegistryRoot root, const char* subKey) override {
        std::string path = subKey;
        for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        auto found = keys.find(path);
        if (root != RegistryRoot::kLocalMachine || found == keys.end()) return 0;
        ++openKeys;
        return reinterpret_cast<uintptr_t>(&found->second);
    }
    bool QueryValue(uintptr_t key, const char* valueName, void* data, uint32_t* size) override {
        const Values& values = *reinterpret_cast<const Values*>(key);
        auto found = values.find(valueName);
        if (found == values.end()) return false;
        const uint32_t room = *size;
        *size = static_cast<uint32_t>(found->second.size());
        if (data && *size <= room) std::memcpy(data, found->second.data(), *size);
        return !data || *size <= room;
    }
    void CloseKey(uintptr_t) override { --openKeys; }
    uint32_t ReadEnvironment(const char* name, char* out, uint32_t capacity) override {
        auto found = environment.find(name);
        if (found == environment.end()) return 0;
        const uint32_t length = static_cast<uint32_t>(found->second.size());
        if (length < capacity) std::memcpy(out, found->second.c_str(), length + 1);
        return length < capacity ? length : length + 1;
    }

  private:
    static constexpr const char* kProcessors = "hardware\\description\\system\\centralprocessor\\";
};

class FakeMemoryStatus final : public MemoryStatusSource {
  public:
    bool extended = true;
    MemoryStatus status = {};
    uint64_t basicTotal = 0, basicAvailable = 0;
    bool QueryExtended(MemoryStatus* out) override {
        if (extended) *out = status;
        return extended;
    }
    void QueryBasic(uint64_t* total, uint64_t* available) override {
        *total = basicTotal;
        *available = basicAvailable;
    }
};

class FakeDrives final : public DriveSource {
  public:
    std::vector<DriveEntry> drives;
    void Add(const char* name, bool optical = false) {
        DriveEntry entry = {{}, optical};
        std::snprintf(entry.name, sizeof entry.name, "%s", name);
        drives.push_back(entry);
    }
    int ListDrives(DriveEntry* entries, int capacity) override {
        const int n = std::min(capacity, static_cast<int>(drives.size()));
        std::copy(drives.begin(), drives.begin() + n, entries);
        return static_cast<int>(drives.size());
    }
};

// Libraries by name, each with the functions it holds; a handle is the address of its list.
class FakeLibraries final : public LibraryLoader {
  public:
    std::map<std::string, std::vector<ServedFunction>> libraries;
    int32_t shellResult = 42;
    int loads = 0, releases = 0;
    std::vector<std::string> calls;  // the functions called, by number

    uintptr_t Load(const char* dll) override {
        auto found = libraries.find(dll);
        if (found == libraries.end()) return 0;
        ++loads;
        return reinterpret_cast<uintptr_t>(&found->second);
    }
    bool Call(uintptr_t library, ServedFunction function, const char*, int32_t,
              int32_t* result) override {
        const auto& functions = *reinterpret_cast<const std::vector<ServedFunction>*>(library);
        if (std::find(functions.begin(), functions.end(), function) == functions.end())
            return false;
        calls.push_back(std::to_string(static_cast<int>(function)));
        *result = function == ServedFunction::kShellExecute ? shellResult : 7;
        return true;
    }
    void Release(uintptr_t) override { ++releases; }
};
