// Containers and WSL from the evidence a Linux system shows.
#include "sysinfo/container.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Evidence as the table below writes it; empty texts are those of a plain host.
struct Evidence {
    const char *init = "", *cgroup = "";
    bool dockerEnv = false, containerEnv = false;
    const char *engine = "", *systemd = "", *release = "", *version = "";
    bool interop = false, guest = false;
};

// "Docker/docker": the name shown, then the kind's key.
std::string Decide(const Evidence& e) {
    ContainerFacts facts{};
    facts.dockerEnv = e.dockerEnv;
    facts.containerEnv = e.containerEnv;
    facts.wslInterop = e.interop;
    const char* cgroup = e.cgroup[0] ? e.cgroup : "0::/\n";
    std::strcpy(facts.containerEnvEngine, e.engine);
    std::strcpy(facts.systemdContainer, e.systemd);
    std::strcpy(facts.initContainer, e.init);
    std::strcpy(facts.selfCgroup, cgroup);
    std::strcpy(facts.initCgroup, cgroup);
    const bool host = !e.release[0];  // a plain distribution kernel
    std::strcpy(facts.kernelRelease, host ? "6.8.0-45-generic" : e.release);
    std::strcpy(facts.kernelVersion,
                host ? "Linux version 6.8.0-45-generic (buildd@lcy02) #45 SMP" : e.version);
    ContainerIdentity identity;
    DecideContainer(facts, e.guest, &identity);
    return std::string(identity.name) + "/" + ContainerKindKey(identity.kind);
}

// Docker by its marker, Podman by its file and engine, WSL 2: the machine trees.
TEST(ContainerTest, Engines) {
    const char* wsl2 = "5.15.153.1-microsoft-standard-WSL2";
    const char* wsl2Version =
        "Linux version 5.15.153.1-microsoft-standard-WSL2 (root@941d701f84f1) (gcc (GCC) 11.2.0)";
    const char* wsl1 = "4.4.0-19041-Microsoft";
    const char* wsl1Version =
        "Linux version 4.4.0-19041-Microsoft (Microsoft@Microsoft.com) (gcc version 5.4.0 (GCC) ) "
        "#1237-Microsoft Sat Sep 11 14:32:00 PST 2021";
    const char* nspawn = "systemd-nspawn/systemd-nspawn";
    const struct {
        const char* name;
        Evidence evidence;
        const char* expected;
    } cases[] = {
        {"nothing", {}, "none/none"},
        {"podman marker, empty file", {"", "", false, true}, "Podman/podman"},
        {"other engine",
         {"", "", false, true, "buildah-1.33"},
         "container (buildah-1.33)/container"},
        {"lxc by process 1", {"lxc"}, "LXC/lxc"},
        {"nspawn by systemd's file", {"", "", false, false, "", "systemd-nspawn"}, nspawn},
        {"docker cgroup v1", {"", "12:pids:/docker/3f1c2a9d0e5b\n0::/\n"}, "Docker/docker"},
        {"docker cgroup v2", {"", "0::/system.slice/docker-3f1c2a9d0e5b.scope\n"}, "Docker/docker"},
        {"podman cgroup", {"", "0::/machine.slice/libpod-5e1d.scope/container\n"}, "Podman/podman"},
        {"lxc cgroup", {"", "0::/lxc.payload.web01\n"}, "LXC/lxc"},
        {"nspawn cgroup", {"", "0::/machine.slice/machine-debian.scope/payload\n"}, nspawn},
        {"generic declaration", {"oci"}, "container (oci)/container"},
        {"kubernetes cgroup", {"", "0::/kubepods/burstable/pod1234/abcd\n"}, "container/container"},
        // Conflicts: the engine's own words win over traces others leave.
        {"podman file beats /.dockerenv", {"", "", true, true, "podman-5.0.1"}, "Podman/podman"},
        {"lxc declaration beats a carried-over /.dockerenv", {"lxc", "", true}, "LXC/lxc"},
        {"/.dockerenv beats an image's generic declaration", {"oci", "", true}, "Docker/docker"},
        {"declaration beats cgroup", {"systemd-nspawn", "0::/docker/3f1c2a9d0e5b\n"}, nspawn},
        {"control bytes not shown", {"x\x1b[2J"}, "container (x?[2J)/container"},
        // WSL: the kernel, WSL's interop handler, and whether CPUID says this is a guest.
        {"wsl 2, older kernel name",
         {"", "", false, false, "", "", "4.19.104-microsoft-standard", "", false, true},
         "WSL 2/wsl"},
        {"wsl 1", {"", "", false, false, "", "", wsl1, wsl1Version, true, false}, "WSL 1/wsl"},
        {"wsl 1 under Hyper-V",
         {"", "", false, false, "", "", wsl1, wsl1Version, true, true},
         "WSL 1/wsl"},
        {"own kernel, interop, VM",
         {"", "", false, false, "", "", "6.6.36-custom", "", true, true},
         "WSL 2/wsl"},
        {"systemd's wsl word, no VM", {"", "", false, false, "", "wsl", "6.6.36"}, "WSL 1/wsl"},
        {"docker, wsl 2",
         {"", "", true, false, "", "", wsl2, wsl2Version, false, true},
         "Docker on WSL 2/docker"},
        // A kernel built at a Microsoft address is no WSL.
        {"azure kernel",
         {"", "", false, false, "", "", "5.15.0-1057-azure",
          "Linux version 5.15.0-1057-azure (builder@microsoft.com) (gcc 11.4.0)", false, true},
         "none/none"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, Decide(c.evidence)) << c.name;
}

}  // namespace
