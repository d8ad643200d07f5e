// CPUID dumps of real processors (tests/data/cpuid) into a FakeCpuid.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/fake_system.h"

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
        std::vector<std::string> tokens;
        for (std::string token; fields >> token;) tokens.push_back(token);
        if (tokens.empty() || tokens[0][0] == '#') continue;

        const bool isXcr0 = tokens[0] == "xcr0";
        std::vector<unsigned long long> numbers;
        bool hexadecimal = true;
        for (size_t i = isXcr0 ? 1 : 0; i < tokens.size(); ++i) {
            char* end = nullptr;
            numbers.push_back(std::strtoull(tokens[i].c_str(), &end, 16));
            hexadecimal = hexadecimal && *end == '\0';
        }
        if (!hexadecimal) numbers.clear();
        if (isXcr0 && numbers.size() == 1) {
            cpuid->xcr0 = numbers[0];
        } else if (!isXcr0 && numbers.size() == 6) {
            cpuid->SetLeaf(static_cast<uint32_t>(numbers[0]), static_cast<uint32_t>(numbers[1]),
                           {static_cast<uint32_t>(numbers[2]), static_cast<uint32_t>(numbers[3]),
                            static_cast<uint32_t>(numbers[4]), static_cast<uint32_t>(numbers[5])});
        } else {
            *error = path + ": cannot read \"" + line + "\"";
            return false;
        }
    }
    return true;
}
