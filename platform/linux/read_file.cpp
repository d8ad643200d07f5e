#include "platform/linux/read_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/system_root.h"

long ReadSmallFile(const char* path, char* out, size_t capacity) {
    if (!out || capacity == 0) return -1;
    out[0] = '\0';
    char full[4096];
    if (!SystemPath(path, full, sizeof full)) return -1;
    int fd = open(full, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    size_t total = 0;
    // /proc files come in pieces: read until the end or the buffer is full.
    while (total < capacity - 1) {
        ssize_t n = read(fd, out + total, capacity - 1 - total);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        total += static_cast<size_t>(n);
    }
    close(fd);
    out[total] = '\0';
    return static_cast<long>(total);
}
