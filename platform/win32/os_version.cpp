#include "platform/os_version.h"

#include <windows.h>

#include <cstring>

namespace {

class Win32OsVersion final : public OsVersionSource {
public:
    void Query(OsVersion* version) override {
        std::memset(version, 0, sizeof *version);
        version->windows = true;
        DWORD packed = GetVersion();
        version->major = LOBYTE(LOWORD(packed));
        version->minor = HIBYTE(LOWORD(packed));
        OSVERSIONINFOA info;
        std::memset(&info, 0, sizeof info);
        info.dwOSVersionInfoSize = sizeof info;
        if (GetVersionExA(&info)) {
            version->build = info.dwBuildNumber;
            lstrcpynA(version->servicePack, info.szCSDVersion, sizeof version->servicePack);
        }
    }
};

}  // namespace

OsVersionSource& SystemOsVersion() {
    static Win32OsVersion source;
    return source;
}
