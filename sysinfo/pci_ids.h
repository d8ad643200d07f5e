// Names of PCI devices from the system's PCI ID database, read line by line. The
// database lists vendors in ascending id order, each followed by its devices (one tab)
// and their subsystems (two tabs); a reader stops once every vendor sought is behind it.
#pragma once

#include <cstdint>

struct PciIdsQuery {
    uint32_t vendor, device;  // sought
    char vendorName[80];      // "" until found
    char deviceName[128];     // "" until found
    bool inVendor;            // the lines now read are this vendor's devices
    bool done;                // nothing more for this query further on
};

// A query for `vendor`:`device`, names empty.
PciIdsQuery MakePciIdsQuery(uint32_t vendor, uint32_t device);

// Feeds one line (its line ending may be kept) to every query; returns true while a later
// line may still answer one of them.
bool FeedPciIdsLine(const char* line, PciIdsQuery* queries, int count);
