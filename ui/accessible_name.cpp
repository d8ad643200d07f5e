#include "ui/accessible_name.h"

#include <cstring>

#include "res/resource.h"

const char* AccessibleRowName(int controlId) {
    static const struct {
        int id;
        const char* name;
    } kRowNames[] = {
        {IDC_RUN_CPU_SPEED, "Run CPU Speed"},           {IDC_RUN_FLOPS, "Run CPU FLOPS"},
        {IDC_RUN_MEMORY, "Run Mem Bandwidth"},          {IDC_RUN_DISK, "Run Disk Transfer"},
        {IDC_CPU_SPEED_RESULT, "CPU Speed (measured)"}, {IDC_NOMINAL_SPEED, "CPU Speed (nominal)"},
    };
    for (const auto& row : kRowNames)
        if (row.id == controlId) return row.name;
    return nullptr;
}

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
