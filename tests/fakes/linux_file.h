// A file of the Linux system the tests run on, read whole: natively by its path, under Wine
// through drive Z:, where Wine shows the Linux root.
#pragma once

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

inline std::string ReadLinuxFile(const char* path) {
#ifdef _WIN32
    std::string name = std::string("Z:") + path;
    std::replace(name.begin(), name.end(), '/', '\\');
#else
    std::string name = path;
#endif
    std::ifstream file(name);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
