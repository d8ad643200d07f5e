// Scripted system sources for the probes: CPUID words per leaf and sub-leaf (by hand or from
// the dumps of real processors in tests/data/cpuid), XCR0, a registry of processor keys, a
// memory status, drives and libraries.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/cpu_instructions.h"
#include "platform/drives.h"
#include "platform/library.h"
#include "platform/memory_status.h"
#include "platform/registry.h"

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

// Lines "leaf subleaf eax ebx ecx edx" and "xcr0 value" in hexadecimal, '#' comments, blank
// lines. False, with the offending line in `error`, for anything else or a missing file.
inline bool LoadCpuidDump(const std::string& path, FakeCpuid* cpuid, std::string* error) {
    std::ifstream file(path);
    if (!file) {
        *error = "cannot open " + path;
        return false;
    }
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        std::string first;
        if (!(fields >> first) || first[0] == '#') continue;
        const bool isXcr0 = first == "xcr0";
        if (!isXcr0) fields.seekg(0);
        std::vector<uint64_t> n;
        for (uint64_t value; fields >> std::hex >> value;) n.push_back(value);
        if (!fields.eof() || n.size() != (isXcr0 ? 1u : 6u)) {
            *error = path + ": cannot read \"" + line + "\"";
            return false;
        }
        auto word = [&n](int i) { return static_cast<uint32_t>(n[i]); };
        if (isXcr0)
            cpuid->xcr0 = n[0];
        else if (n[1])
            cpuid->subleaves[{word(0), word(1)}] = {word(2), word(3), word(4), word(5)};
        else
            cpuid->leaves[word(0)] = {word(2), word(3), word(4), word(5)};
    }
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
        return n;
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
