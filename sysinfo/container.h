// Whether this Linux program runs in a container or under WSL, decided from what the
// system shows (platform/container_facts.h).
#pragma once

#include "platform/container_facts.h"

enum class ContainerKind {
    kNotApplicable,  // a platform without containers of this kind (Windows)
    kNone,
    kDocker,
    kPodman,
    kLxc,
    kSystemdNspawn,
    kOther,  // a container by evidence that names no engine we know
    kWsl,    // WSL alone; a container under WSL is that container, with `wslVersion` set
};

struct ContainerIdentity {
    ContainerKind kind;
    int wslVersion;  // 1 or 2 under WSL, else 0
    // "none", "Docker", "Podman", "LXC", "systemd-nspawn", "container (oci)", "WSL 2",
    // "Docker on WSL 2"; "" where not applicable.
    char name[96];
};

// `guest`: CPUID says a hypervisor runs this system as its guest (not Hyper-V's root
// partition), which WSL 2 is and WSL 1 is not. Evidence an engine deliberately leaves
// (its marker files, the manager's container= declaration) outweighs cgroup paths, and
// Podman's own file outweighs a /.dockerenv that images carry along.
void DecideContainer(const ContainerFacts& facts, bool guest, ContainerIdentity* out);

// "none", "docker", "podman", "lxc", "systemd-nspawn", "container", "wsl", "not_applicable".
const char* ContainerKindKey(ContainerKind kind);

// This system's, through the platform.
void ReadContainerIdentity(bool guest, ContainerIdentity* out);
