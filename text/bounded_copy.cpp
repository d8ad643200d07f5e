#include "text/bounded_copy.h"

#include <cstring>

size_t CopyBounded(char* out, const char* in, size_t limit) {
    if (!out || limit == 0) return 0;
    size_t length = in ? strnlen(in, limit - 1) : 0;
    std::memmove(out, in ? in : "", length);
    out[length] = '\0';
    return length;
}

size_t AppendBounded(char* out, const char* in, size_t capacity) {
    if (!out || capacity == 0) return 0;
    size_t used = strnlen(out, capacity);
    if (used == capacity) {  // unterminated: terminate at the end of the buffer
        out[capacity - 1] = '\0';
        return capacity - 1;
    }
    return used + CopyBounded(out + used, in, capacity - used);
}
