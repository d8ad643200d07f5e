// Containers and WSL from the evidence a Linux system shows.
#include "sysinfo/container.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Evidence as the table below writes it; fields left empty stay empty.
struct Evidence {
    bool dockerEnv = false;
    bool containerEnv = false;
    const char* engine = "";
    const char* systemd = "";
    const char* init = "";
    const char* cgroup = "0::/\n";
    const char* release = "6.8.0-45-generic";
    const char* version = "Linux version 6.8.0-45-generic (buildd@lcy02-amd64-115) #45-Ubuntu SMP";
    bool interop = false;
    bool guest = false;
};

std::string Decide(const Evidence& e, ContainerKind* kind = nullptr, int* wsl = nullptr) {
    ContainerFacts facts{};
    facts.dockerEnv = e.dockerEnv;
    facts.containerEnv = e.containerEnv;
    std::snprintf(facts.containerEnvEngine, sizeof facts.containerEnvEngine, "%s", e.engine);
    std::snprintf(facts.systemdContainer, sizeof facts.systemdContainer, "%s", e.systemd);
    std::snprintf(facts.initContainer, sizeof facts.initContainer, "%s", e.init);
    std::snprintf(facts.selfCgroup, sizeof facts.selfCgroup, "%s", e.cgroup);
    std::snprintf(facts.initCgroup, sizeof facts.initCgroup, "%s", e.cgroup);
    std::snprintf(facts.kernelRelease, sizeof facts.kernelRelease, "%s", e.release);
    std::snprintf(facts.kernelVersion, sizeof facts.kernelVersion, "%s", e.version);
    facts.wslInterop = e.interop;
    ContainerIdentity identity;
    DecideContainer(facts, e.guest, &identity);
    if (kind) *kind = identity.kind;
    if (wsl) *wsl = identity.wslVersion;
    return identity.name;
}

TEST(ContainerTest, Engines) {
    const char* wsl2Release = "5.15.153.1-microsoft-standard-WSL2";
    const char* wsl2Version =
        "Linux version 5.15.153.1-microsoft-standard-WSL2 (root@941d701f84f1) (gcc (GCC) 11.2.0)";
    const char* wsl1Release = "4.4.0-19041-Microsoft";
    const char* wsl1Version =
        "Linux version 4.4.0-19041-Microsoft (Microsoft@Microsoft.com) (gcc version 5.4.0 (GCC) ) "
        "#1237-Microsoft Sat Sep 11 14:32:00 PST 2021";
    const struct {
        const char* name;
        Evidence evidence;
        const char* expected;
        ContainerKind kind;
    } cases[] = {
        {"nothing", {}, "none", ContainerKind::kNone},
        {"docker marker", {true}, "Docker", ContainerKind::kDocker},
        {"podman marker and engine",
         {false, true, "podman-4.9.3"},
         "Podman",
         ContainerKind::kPodman},
        {"podman marker, empty file", {false, true}, "Podman", ContainerKind::kPodman},
        {"marker by another engine",
         {false, true, "buildah-1.33"},
         "container (buildah-1.33)",
         ContainerKind::kOther},
        {"lxc by process 1", {false, false, "", "", "lxc"}, "LXC", ContainerKind::kLxc},
        {"nspawn by systemd's file",
         {false, false, "", "systemd-nspawn"},
         "systemd-nspawn",
         ContainerKind::kSystemdNspawn},
        {"docker cgroup v1",
         {false, false, "", "", "",
          "12:pids:/docker/3f1c2a9d0e5b\n11:memory:/docker/3f1c2a9d0e5b\n0::/\n"},
         "Docker",
         ContainerKind::kDocker},
        {"docker cgroup v2 scope",
         {false, false, "", "", "", "0::/system.slice/docker-3f1c2a9d0e5b.scope\n"},
         "Docker",
         ContainerKind::kDocker},
        {"podman cgroup under machine.slice",
         {false, false, "", "", "", "0::/machine.slice/libpod-5e1d.scope/container\n"},
         "Podman",
         ContainerKind::kPodman},
        {"lxc cgroup",
         {false, false, "", "", "", "0::/lxc.payload.web01\n"},
         "LXC",
         ContainerKind::kLxc},
        {"nspawn cgroup",
         {false, false, "", "", "", "0::/machine.slice/machine-debian.scope/payload\n"},
         "systemd-nspawn",
         ContainerKind::kSystemdNspawn},
        {"generic declaration",
         {false, false, "", "", "oci"},
         "container (oci)",
         ContainerKind::kOther},
        {"kubernetes cgroup",
         {false, false, "", "", "", "0::/kubepods/burstable/pod1234/abcd\n"},
         "container",
         ContainerKind::kOther},
        // Conflicts: the engine's own words win over traces others leave.
        {"podman file beats an image's /.dockerenv",
         {true, true, "podman-5.0.1"},
         "Podman",
         ContainerKind::kPodman},
        {"lxc declaration beats a carried-over /.dockerenv",
         {true, false, "", "", "lxc"},
         "LXC",
         ContainerKind::kLxc},
        {"/.dockerenv beats an image's generic declaration",
         {true, false, "", "", "oci"},
         "Docker",
         ContainerKind::kDocker},
        {"declaration beats cgroup",
         {false, false, "", "", "systemd-nspawn", "0::/docker/3f1c2a9d0e5b\n"},
         "systemd-nspawn",
         ContainerKind::kSystemdNspawn},
        {"a declaration's control bytes are not shown",
         {false, false, "", "", "x\x1b[2J"},
         "container (x?[2J)",
         ContainerKind::kOther},
        // WSL.
        {"wsl 2",
         {false, false, "", "", "", "0::/\n", wsl2Release, wsl2Version, true, true},
         "WSL 2",
         ContainerKind::kWsl},
        {"wsl 2, older kernel name",
         {false, false, "", "", "", "0::/\n", "4.19.104-microsoft-standard", "", false, true},
         "WSL 2",
         ContainerKind::kWsl},
        {"wsl 1",
         {false, false, "", "", "", "0::/\n", wsl1Release, wsl1Version, true, false},
         "WSL 1",
         ContainerKind::kWsl},
        {"wsl 1 on a host with Hyper-V still says 1",
         {false, false, "", "", "", "0::/\n", wsl1Release, wsl1Version, true, true},
         "WSL 1",
         ContainerKind::kWsl},
        {"own kernel, interop handler, in a VM",
         {false, false, "", "", "", "0::/\n", "6.6.36-custom", "", true, true},
         "WSL 2",
         ContainerKind::kWsl},
        {"systemd's wsl word, no VM",
         {false, false, "", "wsl", "", "0::/\n", "6.6.36", "", false},
         "WSL 1",
         ContainerKind::kWsl},
        {"docker under wsl 2",
         {true, false, "", "", "", "0::/\n", wsl2Release, wsl2Version, false, true},
         "Docker on WSL 2",
         ContainerKind::kDocker},
        // A kernel built at a Microsoft address is no WSL.
        {"azure kernel",
         {false, false, "", "", "", "0::/\n", "5.15.0-1057-azure",
          "Linux version 5.15.0-1057-azure (builder@microsoft.com) (gcc 11.4.0)", false, true},
         "none",
         ContainerKind::kNone},
    };
    for (const auto& c : cases) {
        ContainerKind kind;
        EXPECT_EQ(c.expected, Decide(c.evidence, &kind)) << c.name;
        EXPECT_EQ(c.kind, kind) << c.name;
    }
}

}  // namespace
