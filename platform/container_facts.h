// What a Linux system shows of the container or WSL it may run in, as read, undecided:
// sysinfo/container weighs the evidence.
#pragma once

#include <cstddef>

struct ContainerFacts {
    bool dockerEnv;               // /.dockerenv exists
    bool containerEnv;            // /run/.containerenv exists
    char containerEnvEngine[64];  // its engine="..." value, "podman-4.9.3"; "" without
    char systemdContainer[64];    // /run/systemd/container's first line, from the manager
    char initContainer[64];       // container= of process 1; "" where absent or unreadable
    char selfCgroup[2048];        // /proc/self/cgroup
    char initCgroup[2048];        // /proc/1/cgroup
    char kernelRelease[128];      // /proc/sys/kernel/osrelease
    char kernelVersion[512];      // /proc/version
    bool wslInterop;              // binfmt_misc has WSL's Windows-program handler
};

// Fills `facts` (zeroed first) under the system root; a file that cannot be read leaves its
// field empty. False where the platform has no such thing (Windows).
bool ReadContainerFacts(ContainerFacts* facts);
