#include "sysinfo/container.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

bool StartsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool ContainsIgnoringCase(const char* text, const char* word) {
    const size_t length = std::strlen(word);
    for (; *text; ++text) {
        size_t i = 0;
        while (i < length && text[i] &&
               std::tolower(static_cast<unsigned char>(text[i])) ==
                   std::tolower(static_cast<unsigned char>(word[i])))
            ++i;
        if (i == length) return true;
    }
    return false;
}

// The engine a manager's own word names: container=podman, /run/systemd/container "lxc".
ContainerKind NamedEngine(const char* word) {
    if (StartsWith(word, "docker")) return ContainerKind::kDocker;
    if (StartsWith(word, "podman")) return ContainerKind::kPodman;
    if (StartsWith(word, "lxc")) return ContainerKind::kLxc;  // also "lxc-libvirt"
    if (StartsWith(word, "systemd-nspawn")) return ContainerKind::kSystemdNspawn;
    return ContainerKind::kNone;
}

// Paths of the process's control groups as engines name them on the host; a cgroup
// namespace shows "/" instead, which says nothing.
ContainerKind CgroupEngine(const char* cgroups) {
    if (std::strstr(cgroups, "libpod")) return ContainerKind::kPodman;  // before machine.slice
    if (std::strstr(cgroups, "/docker/") || std::strstr(cgroups, "docker-"))
        return ContainerKind::kDocker;
    if (std::strstr(cgroups, "lxc.payload") || std::strstr(cgroups, "/lxc/"))
        return ContainerKind::kLxc;
    if (std::strstr(cgroups, "machine.slice")) return ContainerKind::kSystemdNspawn;
    if (std::strstr(cgroups, "kubepods")) return ContainerKind::kOther;
    return ContainerKind::kNone;
}

// A declaration that names something other than an engine we know, or WSL itself.
bool GenericWord(const char* word) {
    return word[0] && NamedEngine(word) == ContainerKind::kNone && std::strcmp(word, "wsl") != 0;
}

int WslVersion(const ContainerFacts& facts, bool guest) {
    const char* texts[] = {facts.kernelRelease, facts.kernelVersion};
    for (const char* text : texts) {
        // WSL 2's kernels are "5.15.153.1-microsoft-standard-WSL2", older "4.19.104-
        // microsoft-standard"; WSL 1 presents "4.4.0-19041-Microsoft".
        if (ContainsIgnoringCase(text, "WSL2") || ContainsIgnoringCase(text, "microsoft-standard"))
            return 2;
        if (std::strstr(text, "-Microsoft")) return 1;
    }
    // A kernel of one's own, or only WSL's traces: WSL 2 is a virtual machine, WSL 1 is not.
    // (Only the release counts here: /proc/version also names whoever built the kernel.)
    if (facts.wslInterop || std::strcmp(facts.systemdContainer, "wsl") == 0 ||
        std::strcmp(facts.initContainer, "wsl") == 0 ||
        ContainsIgnoringCase(facts.kernelRelease, "microsoft") ||
        ContainsIgnoringCase(facts.kernelRelease, "WSL"))
        return guest ? 2 : 1;
    return 0;
}

const char* EngineName(ContainerKind kind) {
    switch (kind) {
        case ContainerKind::kDocker:
            return "Docker";
        case ContainerKind::kPodman:
            return "Podman";
        case ContainerKind::kLxc:
            return "LXC";
        case ContainerKind::kSystemdNspawn:
            return "systemd-nspawn";
        default:
            return "container";
    }
}

// Only printable text reaches the name, and no more than a word's worth.
void PrintableWord(const char* word, char* out, size_t size) {
    size_t n = 0;
    for (; word[n] && n + 1 < size && n < 32; ++n) {
        const unsigned char c = static_cast<unsigned char>(word[n]);
        out[n] = c > 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    out[n] = '\0';
}

}  // namespace

const char* ContainerKindKey(ContainerKind kind) {
    switch (kind) {
        case ContainerKind::kNotApplicable:
            return "not_applicable";
        case ContainerKind::kNone:
            return "none";
        case ContainerKind::kDocker:
            return "docker";
        case ContainerKind::kPodman:
            return "podman";
        case ContainerKind::kLxc:
            return "lxc";
        case ContainerKind::kSystemdNspawn:
            return "systemd-nspawn";
        case ContainerKind::kOther:
            return "container";
        case ContainerKind::kWsl:
            return "wsl";
    }
    return "none";
}

void DecideContainer(const ContainerFacts& facts, bool guest, ContainerIdentity* out) {
    std::memset(out, 0, sizeof *out);
    const char* genericWord = "";  // what a generic declaration or engine said, for the name
    ContainerKind kind = ContainerKind::kNone;
    if (facts.containerEnv) {
        // Podman writes this file; its engine line says which program made the container.
        kind = ContainerKind::kPodman;
        if (facts.containerEnvEngine[0] && !StartsWith(facts.containerEnvEngine, "podman")) {
            kind = ContainerKind::kOther;
            genericWord = facts.containerEnvEngine;
        }
    }
    if (kind == ContainerKind::kNone) kind = NamedEngine(facts.initContainer);
    if (kind == ContainerKind::kNone) kind = NamedEngine(facts.systemdContainer);
    if (kind == ContainerKind::kNone && facts.dockerEnv) kind = ContainerKind::kDocker;
    if (kind == ContainerKind::kNone) kind = CgroupEngine(facts.selfCgroup);
    if (kind == ContainerKind::kNone) kind = CgroupEngine(facts.initCgroup);
    if (kind == ContainerKind::kNone) {
        if (GenericWord(facts.initContainer))
            genericWord = facts.initContainer;
        else if (GenericWord(facts.systemdContainer))
            genericWord = facts.systemdContainer;
        if (genericWord[0]) kind = ContainerKind::kOther;
    }

    out->wslVersion = WslVersion(facts, guest);
    char word[40];
    PrintableWord(genericWord, word, sizeof word);
    char engine[64];
    if (kind == ContainerKind::kOther && word[0])
        std::snprintf(engine, sizeof engine, "container (%s)", word);
    else
        std::snprintf(engine, sizeof engine, "%s", EngineName(kind));

    if (kind == ContainerKind::kNone && out->wslVersion) {
        out->kind = ContainerKind::kWsl;
        std::snprintf(out->name, sizeof out->name, "WSL %d", out->wslVersion);
    } else if (kind == ContainerKind::kNone) {
        out->kind = kind;
        std::snprintf(out->name, sizeof out->name, "none");
    } else {
        out->kind = kind;
        if (out->wslVersion)
            std::snprintf(out->name, sizeof out->name, "%s on WSL %d", engine, out->wslVersion);
        else
            std::snprintf(out->name, sizeof out->name, "%s", engine);
    }
}

void ReadContainerIdentity(bool guest, ContainerIdentity* out) {
    // About 5 KiB of text: off the stack of the dialog's thread.
    std::unique_ptr<ContainerFacts> facts(new ContainerFacts());
    if (!ReadContainerFacts(facts.get())) {
        std::memset(out, 0, sizeof *out);
        out->kind = ContainerKind::kNotApplicable;
        return;
    }
    DecideContainer(*facts, guest, out);
}
