#include "ui/accessible_name.h"

#include <cstring>

void AccessibleNameFromLabel(const char* label, char* out, size_t capacity) {
    if (!out || capacity == 0) return;
    size_t length = 0;
    for (const char* c = label ? label : ""; *c && length + 1 < capacity; ++c) {
        if (*c == '&' && c[1] != '&') continue;  // "&&" shows one ampersand
        if (*c == '&') ++c;
        out[length++] = *c;
    }
    while (length > 0 && (out[length - 1] == ' ' || out[length - 1] == ':')) --length;
    out[length] = '\0';
}
