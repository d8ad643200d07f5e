#include "sysinfo/field_details.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "sysinfo/container.h"
#include "sysinfo/cpu_topology.h"
#include "sysinfo/cpuid_leaves.h"
#include "sysinfo/graphics_adapters.h"
#include "sysinfo/hypervisor.h"
#include "sysinfo/instruction_sets.h"
#include "sysinfo/processor_count.h"
#include "text/bounded_copy.h"

void WrapListText(char* text, size_t width) {
    size_t lineStart = 0;
    size_t lastBreak = 0;  // the space after the last ", " on this line, 0 for none yet
    for (size_t i = 0; text[i]; ++i) {
        if (text[i] == '\n') {
            lineStart = i + 1;
            lastBreak = 0;
            continue;
        }
        if (i > 0 && text[i] == ' ' && text[i - 1] == ',') lastBreak = i;
        if (i - lineStart >= width && lastBreak) {
            text[lastBreak] = '\n';  // the comma stays at the end of the line
            lineStart = lastBreak + 1;
            lastBreak = 0;
        }
    }
}

namespace {

// The container or WSL, on a line of its own after the hypervisor; nothing outside one.
void AppendContainerDetails(bool guest, char* text, size_t size) {
    ContainerIdentity container;
    ReadContainerIdentity(guest, &container);
    if (container.kind == ContainerKind::kNotApplicable || container.kind == ContainerKind::kNone)
        return;
    const size_t used = std::strlen(text);
    std::snprintf(
        text + used, size - used, "%sRuns %s %s", used ? "\n" : "",
        container.kind == ContainerKind::kWsl ? "under" : "in a container:", container.name);
}

// One adapter a paragraph, each wrapped at its ", " separators.
void ReadGraphicsDetails(char* out, size_t size) {
    std::unique_ptr<GraphicsAdapter[]> adapters(new GraphicsAdapter[kMaxGraphicsAdapters]);
    int count = ReadGraphicsAdapters(adapters.get(), kMaxGraphicsAdapters);
    const char* heading = count == 1 ? "Graphics adapter:" : "Graphics adapters:";
    CopyBounded(out, count == 0 ? "No graphics adapter found." : heading, size);
    for (int i = 0; i < count; ++i) {
        char line[512];
        FormatGraphicsAdapter(adapters[i], line, sizeof line);
        WrapListText(line, 64);
        AppendBounded(out, "\n", size);
        AppendBounded(out, line, size);
    }
}

}  // namespace

void ReadFieldDetails(FieldDetails* details) {
    *details = FieldDetails{};
    CpuidLeaves leaves;
    ReadCpuidLeaves(&leaves);

    std::unique_ptr<InstructionSets> sets(new InstructionSets());
    DecodeInstructionSets(leaves, sets.get());
    std::unique_ptr<char[]> list(new char[kInstructionSetsTextSize]);
    FormatInstructionSets(*sets, list.get(), kInstructionSetsTextSize);
    std::snprintf(details->instructions, kFieldDetailsSize, "Instruction sets: %s", list.get());
    WrapListText(details->instructions, 64);

    HypervisorIdentity hypervisor;
    DecodeHypervisor(leaves, &hypervisor);
    if (hypervisor.rootPartition)
        std::snprintf(details->cpuDetails, kFieldDetailsSize,
                      "This system hosts Microsoft Hyper-V.");
    else if (hypervisor.present)
        std::snprintf(details->cpuDetails, kFieldDetailsSize, "Runs in a virtual machine: %s",
                      hypervisor.name);
    AppendContainerDetails(hypervisor.present && !hypervisor.rootPartition, details->cpuDetails,
                           kFieldDetailsSize);

    CpuTopology topology;
    ReadCpuTopology(leaves, &topology);
    char line[512];
    FormatCpuTopology(topology, line, sizeof line);
    std::snprintf(details->cores, kFieldDetailsSize, "%d processors this program may use%s%s",
                  CountProcessors(), line[0] ? "\n" : "", line);
    WrapListText(details->cores, 64);

    ReadGraphicsDetails(details->videoMemory, kFieldDetailsSize);
}
