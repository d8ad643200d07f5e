// The one place that decides where /proc, /sys and /etc are read from.
#include "platform/system_root.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

namespace {
// Set once at start-up, before any probe reads a file; "" is the real root.
char s_root[1024] = "";
}  // namespace

bool SetSystemRoot(const char* directory) {
    if (!directory) directory = "";
    size_t length = std::strlen(directory);
    while (length > 0 && directory[length - 1] == '/') --length;  // "/" and "tree/" alike
    if (length >= sizeof s_root) return false;
    struct stat status {};
    if (length > 0 && (stat(directory, &status) != 0 || !S_ISDIR(status.st_mode))) return false;
    std::memcpy(s_root, directory, length);
    s_root[length] = '\0';
    return true;
}

bool SystemPath(const char* path, char* out, size_t capacity) {
    int n = std::snprintf(out, capacity, "%s%s", s_root, path);
    return n >= 0 && static_cast<size_t>(n) < capacity;
}
