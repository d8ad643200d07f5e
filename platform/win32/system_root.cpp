#include "platform/system_root.h"

#include <cstdio>

// Windows answers from its own calls, not from files a tree could stand in for.
bool SetSystemRoot(const char* directory) {
    return !directory || !*directory;
}

bool SystemPath(const char* path, char* out, size_t capacity) {
    int n = std::snprintf(out, capacity, "%s", path);
    return n >= 0 && static_cast<size_t>(n) < capacity;
}

std::FILE* OpenSystemFileStream(const char* path) {
    return std::fopen(path, "rb");
}

int UnreadableSystemFiles(const char**, int) {
    return 0;
}
