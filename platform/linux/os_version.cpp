#include "platform/os_version.h"

#include <sys/utsname.h>

#include <cstdio>
#include <cstring>

#include "platform/linux/proc_text.h"
#include "platform/linux/read_file.h"

namespace {

class LinuxOsVersion final : public OsVersionSource {
  public:
    void Query(OsVersion* version) override {
        std::memset(version, 0, sizeof *version);
        char text[4096];
        long length = ReadSmallFile("/etc/os-release", text, sizeof text);
        if (length <= 0) length = ReadSmallFile("/usr/lib/os-release", text, sizeof text);
        char name[256] = "";
        if (length > 0) {
            ParseOsRelease(text, static_cast<size_t>(length), name, sizeof name);
            OsReleaseValue(text, static_cast<size_t>(length), "NAME", version->name,
                           sizeof version->name);
            OsReleaseValue(text, static_cast<size_t>(length), "VERSION_ID", version->versionId,
                           sizeof version->versionId);
        }
        // The kernel's own files, so a machine tree names its kernel too; uname where /proc
        // is not mounted.
        struct utsname system {};
        uname(&system);
        char release[sizeof version->servicePack];
        long releaseLength = ReadSmallFile("/proc/sys/kernel/osrelease", release, sizeof release);
        if (releaseLength > 0) release[std::strcspn(release, "\n")] = '\0';
        std::snprintf(version->description, sizeof version->description, "%s",
                      name[0] ? name : system.sysname);
        std::snprintf(version->servicePack, sizeof version->servicePack, "%s",
                      releaseLength > 0 && release[0] ? release : system.release);
    }
};

}  // namespace

OsVersionSource& SystemOsVersion() {
    static LinuxOsVersion source;
    return source;
}
