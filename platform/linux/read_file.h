// Reads small system files whole.
#pragma once

#include <cstddef>

// Reads at most capacity - 1 bytes of `path` (under the system root) into `out` and terminates it; returns the
// byte count, or -1 when the file cannot be read. Embedded NULs are kept in the count.
long ReadSmallFile(const char* path, char* out, size_t capacity);
