// Scripted system sources for the probes: CPUID words per leaf and sub-leaf, XCR0, a registry
// of processor keys, a memory status, drives and libraries.
#pragma once

#include <cctype>
#include <cstring>
#include <map>
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
        if (subleaf == 0) {
            auto found = leaves.find(leaf);
            return found == leaves.end() ? CpuidWords{0, 0, 0, 0} : found->second;
        }
        auto found = subleaves.find({leaf, subleaf});
        return found == subleaves.end() ? CpuidWords{0, 0, 0, 0} : found->second;
    }
    uint64_t ReadXcr0() override { return xcr0; }
    void SetLeaf(uint32_t leaf, uint32_t subleaf, CpuidWords words) {
        if (subleaf == 0)
            leaves[leaf] = words;
        else
            subleaves[{leaf, subleaf}] = words;
    }
    // Leaf 0 with a 12-character vendor string.
    void SetVendor(const char* vendor) {
        CpuidWords words = {0x16, 0, 0, 0};
        std::memcpy(&words.ebx, vendor, 4);
        std::memcpy(&words.edx, vendor + 4, 4);
        std::memcpy(&words.ecx, vendor + 8, 4);
        leaves[0] = words;
    }
};

// Keys by their lower-case path; values as raw bytes.
class FakeRegistry final : public RegistrySource {
public:
    std::map<std::string, std::map<std::string, std::string>> keys;
    std::map<std::string, std::string> environment;
    int openKeys = 0;

    void AddProcessors(int count) {
        for (int i = 0; i < count; ++i)
            keys["hardware\\description\\system\\centralprocessor\\" + std::to_string(i)]["VendorIdentifier"] =
                std::string("GenuineIntel", 13);
    }
    void SetProcessorZero(const std::string& value, const std::string& data) {
        keys["hardware\\description\\system\\centralprocessor\\0"][value] = data;
    }

    uintptr_t OpenKey(RegistryRoot root, const char* subKey) override {
        if (root != RegistryRoot::kLocalMachine) return 0;
        std::string path = subKey;
        for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        auto found = keys.find(path);
        if (found == keys.end()) return 0;
        ++openKeys;
        opened_.push_back(&found->second);
        return opened_.size();
    }
    bool QueryValue(uintptr_t key, const char* valueName, void* data, uint32_t* size) override {
        auto& values = *opened_[key - 1];
        auto found = values.find(valueName);
        if (found == values.end()) return false;
        uint32_t room = *size;
        *size = static_cast<uint32_t>(found->second.size());
        if (!data) return true;
        if (found->second.size() > room) return false;
        std::memcpy(data, found->second.data(), found->second.size());
        return true;
    }
    void CloseKey(uintptr_t) override { --openKeys; }
    uint32_t ReadEnvironment(const char* name, char* out, uint32_t capacity) override {
        auto found = environment.find(name);
        if (found == environment.end()) return 0;
        if (found->second.size() + 1 > capacity) return static_cast<uint32_t>(found->second.size() + 1);
        std::memcpy(out, found->second.c_str(), found->second.size() + 1);
        return static_cast<uint32_t>(found->second.size());
    }

private:
    std::vector<std::map<std::string, std::string>*> opened_;
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
        DriveEntry entry = {};
        std::strncpy(entry.name, name, sizeof entry.name - 1);
        entry.optical = optical;
        drives.push_back(entry);
    }
    int ListDrives(DriveEntry* entries, int capacity) override {
        int n = 0;
        for (; n < capacity && n < static_cast<int>(drives.size()); ++n) entries[n] = drives[n];
        return n;
    }
};

// Libraries by name, each with the functions it holds; counts loads and releases.
class FakeLibraries final : public LibraryLoader {
public:
    std::map<std::string, std::vector<ServedFunction>> libraries;
    int32_t shellResult = 42;
    int loads = 0, releases = 0;
    std::vector<std::string> calls;

    uintptr_t Load(const char* dll) override {
        auto found = libraries.find(dll);
        if (found == libraries.end()) return 0;
        ++loads;
        names_.push_back(found->first);
        return names_.size();
    }
    bool Call(uintptr_t library, ServedFunction function, const char* text, int32_t, int32_t* result) override {
        const auto& functions = libraries[names_[library - 1]];
        bool found = false;
        for (ServedFunction f : functions) found = found || f == function;
        if (!found) return false;
        calls.push_back(std::to_string(static_cast<int>(function)) + (text ? std::string(" ") + text : ""));
        *result = function == ServedFunction::kShellExecute ? shellResult : 7;
        return true;
    }
    void Release(uintptr_t) override { ++releases; }

private:
    std::vector<std::string> names_;
};
