#include "sysinfo/pci_ids.h"

#include <cstring>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Four hex digits and then a space or tab: "10de  NVIDIA Corporation". False for anything
// else (a class line "C 03  Display controller", a stray word).
bool ParseId(const char* text, uint32_t* id) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        int digit = HexDigit(text[i]);
        if (digit < 0) return false;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    if (text[4] != ' ' && text[4] != '\t') return false;
    *id = value;
    return true;
}

// The name after the id, without its blanks and line ending.
void CopyName(const char* afterId, char* out, size_t capacity) {
    const char* start = afterId + std::strspn(afterId, " \t");
    size_t length = std::strcspn(start, "\r\n");
    while (length > 0 && (start[length - 1] == ' ' || start[length - 1] == '\t')) --length;
    if (length >= capacity) length = capacity - 1;
    std::memcpy(out, start, length);
    out[length] = '\0';
}

bool AnyOpen(const PciIdsQuery* queries, int count) {
    for (int i = 0; i < count; ++i)
        if (!queries[i].done) return true;
    return false;
}

}  // namespace

PciIdsQuery MakePciIdsQuery(uint32_t vendor, uint32_t device) {
    PciIdsQuery query = {};
    query.vendor = vendor;
    query.device = device;
    return query;
}

bool FeedPciIdsLine(const char* line, PciIdsQuery* queries, int count) {
    if (line[0] == '#' || line[0] == '\r' || line[0] == '\n' || line[0] == '\0')
        return AnyOpen(queries, count);
    if (line[0] == '\t') {
        uint32_t device = 0;
        // Two tabs: a subsystem of the device above, never a device of its own.
        if (line[1] == '\t' || !ParseId(line + 1, &device)) return AnyOpen(queries, count);
        for (int i = 0; i < count; ++i) {
            PciIdsQuery& query = queries[i];
            if (query.done || !query.inVendor || query.device != device) continue;
            CopyName(line + 5, query.deviceName, sizeof query.deviceName);
            query.done = true;
        }
        return AnyOpen(queries, count);
    }
    uint32_t vendor = 0;
    // Past the vendors (the device classes follow them) nothing more can match.
    bool isVendor = ParseId(line, &vendor);
    for (int i = 0; i < count; ++i) {
        PciIdsQuery& query = queries[i];
        if (query.done) continue;
        if (query.inVendor || !isVendor || vendor > query.vendor) {
            query.inVendor = false;
            query.done = true;
        } else if (vendor == query.vendor) {
            CopyName(line + 4, query.vendorName, sizeof query.vendorName);
            query.inVendor = true;
        }
    }
    return AnyOpen(queries, count);
}
