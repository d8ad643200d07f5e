// A file of the Linux system the tests run on, read whole: natively by its path, under Wine
// through drive Z:, where Wine shows the Linux root.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadLinuxFile(const char* path) {
#ifdef _WIN32
    std::string windowsPath = std::string("Z:") + path;
    for (char& c : windowsPath)
        if (c == '/') c = '\\';
    std::ifstream file(windowsPath);
#else
    std::ifstream file(path);
#endif
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}
