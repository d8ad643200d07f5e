#include "platform/container_facts.h"

#include <sys/stat.h>

#include <cstring>

#include "platform/linux/read_file.h"
#include "platform/system_root.h"

namespace {

bool Exists(const char* path) {
    char full[4096];
    struct stat status {};
    return SystemPath(path, full, sizeof full) && stat(full, &status) == 0;
}

// `value` up to the end of its line, a NUL or `quote`, into `out`, cut to fit.
void CopyValue(const char* value, char quote, char* out, size_t size) {
    size_t n = 0;
    while (value[n] && value[n] != '\n' && value[n] != quote && n + 1 < size) ++n;
    std::memcpy(out, value, n);
    out[n] = '\0';
}

void ReadText(const char* path, char* out, size_t size) {
    if (ReadSmallFile(path, out, size) < 0) out[0] = '\0';
}

}  // namespace

bool ReadContainerFacts(ContainerFacts* facts) {
    std::memset(facts, 0, sizeof *facts);
    facts->dockerEnv = Exists("/.dockerenv");

    char text[4096];
    long n = ReadSmallFile("/run/.containerenv", text, sizeof text);
    facts->containerEnv = n >= 0 || Exists("/run/.containerenv");
    const char* engine = n > 0 ? std::strstr(text, "engine=\"") : nullptr;
    if (engine && (engine == text || engine[-1] == '\n'))
        CopyValue(engine + 8, '"', facts->containerEnvEngine, sizeof facts->containerEnvEngine);

    if (ReadSmallFile("/run/systemd/container", text, sizeof text) > 0)
        CopyValue(text, '\n', facts->systemdContainer, sizeof facts->systemdContainer);

    // Process 1's environment: NUL-separated, readable only by its owner (root), so an
    // ordinary user simply goes without it.
    char environment[16384];
    n = ReadSmallFile("/proc/1/environ", environment, sizeof environment);
    for (long i = 0; i < n; i += static_cast<long>(std::strlen(environment + i)) + 1) {
        if (std::strncmp(environment + i, "container=", 10) == 0) {
            CopyValue(environment + i + 10, '\0', facts->initContainer,
                      sizeof facts->initContainer);
            break;
        }
    }

    ReadText("/proc/self/cgroup", facts->selfCgroup, sizeof facts->selfCgroup);
    ReadText("/proc/1/cgroup", facts->initCgroup, sizeof facts->initCgroup);
    ReadText("/proc/sys/kernel/osrelease", facts->kernelRelease, sizeof facts->kernelRelease);
    ReadText("/proc/version", facts->kernelVersion, sizeof facts->kernelVersion);
    // Newer WSL registers its handler as "WSLInterop-late".
    facts->wslInterop = Exists("/proc/sys/fs/binfmt_misc/WSLInterop") ||
                        Exists("/proc/sys/fs/binfmt_misc/WSLInterop-late");
    return true;
}
