// Reads small system files whole.
#pragma once

#include <cstddef>

// Opens `path` (absolute: "/proc/meminfo") under the system root for reading; -1 where it
// is absent. Only regular files open, without blocking (a FIFO, device or directory counts
// as absent), and under a machine tree a link is followed only while it stays inside the
// tree. A file there that exists but cannot be read is noted for UnreadableSystemFiles.
int OpenSystemFile(const char* path);

// Reads at most capacity - 1 bytes of `path` (as OpenSystemFile opens it) into `out` and
// terminates it; returns the byte count, or -1 when the file cannot be read. Embedded NULs
// are kept in the count.
long ReadSmallFile(const char* path, char* out, size_t capacity);
