// What the operating system says it is.
#pragma once

#include <cstdint>

struct OsVersion {
    bool windows;           // Windows numbers below; otherwise `description`
    uint32_t major, minor;  // from the version query
    uint32_t build;
    char servicePack[128];
    char description[260];  // Linux: the distribution's name and the kernel release
    char name[128];         // Linux: os-release's NAME ("Debian GNU/Linux")
    char versionId[64];     // Linux: os-release's VERSION_ID ("12"); empty where it has none
};

class OsVersionSource {
public:
    virtual void Query(OsVersion* version) = 0;

protected:
    ~OsVersionSource() = default;
};

OsVersionSource& SystemOsVersion();
