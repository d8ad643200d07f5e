// kelvane-cli info: the System Information fields, as lines or as one JSON object.
#include <cinttypes>
#include <memory>

#include "app/cli/cli.h"
#include "sysinfo/container.h"
#include "sysinfo/cpu_topology.h"
#include "sysinfo/cpuid_leaves.h"
#include "sysinfo/graphics_adapters.h"
#include "sysinfo/hypervisor.h"
#include "sysinfo/instruction_sets.h"
#include "sysinfo/system_summary.h"
#include "text/json_writer.h"

// The dialog's labels and order.
static const struct {
    const char* label;
    const char* key;
    char (SystemSummary::*text)[kFieldTextSize];
} kInfoFields[] = {
    {"CPU Details:", "cpu_details", &SystemSummary::cpuDetails},
    {"CPU Family:", "cpu_family", &SystemSummary::cpuFamily},
    {"Model:", "model", &SystemSummary::cpuModel},
    {"Stepping:", "stepping", &SystemSummary::cpuStepping},
    {"Instructions:", "instructions", &SystemSummary::instructions},
    {"CPU Speed:", "cpu_speed", &SystemSummary::nominalSpeed},
    {"Vendor:", "vendor", &SystemSummary::vendor},
    {"Cores:", "cores", &SystemSummary::cores},
    {"Memory (RAM):", "memory", &SystemSummary::memory},
    {"Video Memory:", "video_memory", &SystemSummary::videoMemory},
    {"OS Version:", "os_version", &SystemSummary::osVersion},
};

void WriteSummaryLines(const SystemSummary& summary, std::FILE* out) {
    for (const auto& field : kInfoFields) {
        // The two-line CPU Details field continues under its value.
        std::fprintf(out, "%-14s ", field.label);
        for (const char* c = summary.*field.text; *c; ++c) {
            std::fputc(*c, out);
            if (*c == '\n') std::fprintf(out, "%-14s ", "");
        }
        std::fputc('\n', out);
    }
    std::fprintf(out, "%-14s ", "Drives:");
    for (int i = 0; i < summary.drives.count; ++i)
        std::fprintf(out, "%s%s%s", i ? ", " : "", summary.drives.names[i],
                     i == summary.drives.selected ? " (selected)" : "");
    if (summary.drives.unlisted > 0)
        std::fprintf(out, ", and %d more not listed", summary.drives.unlisted);
    std::fputc('\n', out);
}

void WriteSummaryJson(const SystemSummary& summary, JsonWriter& json) {
    json.Key("info");
    json.BeginObject();
    for (const auto& field : kInfoFields) json.Field(field.key, summary.*field.text);
    json.Key("drives");
    json.BeginArray();
    for (int i = 0; i < summary.drives.count; ++i) json.String(summary.drives.names[i]);
    json.EndArray();
    json.Field("unlisted_drives", static_cast<int64_t>(summary.drives.unlisted));
    json.Key("selected_drive");
    if (summary.drives.selected >= 0)
        json.String(summary.drives.names[summary.drives.selected]);
    else
        json.Null();
    json.Field("nominal_mhz", static_cast<uint64_t>(summary.nominalMhz));
    json.Field("nominal_source", summary.nominalSource ? summary.nominalSource : "none");
    json.Field("processor_count", static_cast<int64_t>(summary.processorCount));
    json.Field("online_processor_count", static_cast<int64_t>(summary.onlineProcessorCount));
    json.Field("total_physical_bytes", summary.totalPhysicalBytes);
    json.Field("video_memory_bytes", summary.videoMemoryBytes);
    WriteIdentityJson(json);
    json.EndObject();
}

namespace {

// What the dialog's fields leave out, read from the processor: every instruction set it
// reports and the system has enabled, and the hypervisor it runs under; and the container.
struct ProcessorFacts {
    InstructionSets sets;
    HypervisorIdentity hypervisor;
    CpuTopology topology;
    ContainerIdentity container;
};

void ReadProcessorFacts(ProcessorFacts* facts) {
    CpuidLeaves leaves;
    ReadCpuidLeaves(&leaves);
    DecodeInstructionSets(leaves, &facts->sets);
    DecodeHypervisor(leaves, &facts->hypervisor);
    ReadCpuTopology(leaves, &facts->topology);
    ReadContainerIdentity(facts->hypervisor.present && !facts->hypervisor.rootPartition,
                          &facts->container);
}

const char* HypervisorText(const HypervisorIdentity& hypervisor) {
    if (hypervisor.rootPartition) return "none (this system hosts Microsoft Hyper-V)";
    return hypervisor.present ? hypervisor.name : "none";
}

// Only where the platform has containers to look for (not on Windows).
void WriteContainerLine(const ContainerIdentity& container, std::FILE* out) {
    if (container.kind != ContainerKind::kNotApplicable)
        std::fprintf(out, "%-14s %s\n", "Container:", container.name);
}

// null where not applicable.
void WriteContainerJson(const ContainerIdentity& container, JsonWriter& json) {
    json.Key("container");
    if (container.kind == ContainerKind::kNotApplicable) {
        json.Null();
        return;
    }
    json.BeginObject();
    json.Field("kind", ContainerKindKey(container.kind));
    json.Field("name", container.name);
    json.Field("wsl_version", static_cast<int64_t>(container.wslVersion));
    json.EndObject();
}

void WriteProcessorFactsLines(const ProcessorFacts& facts, std::FILE* out) {
    std::unique_ptr<char[]> text(new char[kInstructionSetsTextSize]);
    FormatInstructionSets(facts.sets, text.get(), kInstructionSetsTextSize);
    std::fprintf(out, "%-14s %s\n", "All sets:", text.get());
    std::fprintf(out, "%-14s %s\n", "Hypervisor:", HypervisorText(facts.hypervisor));
    WriteContainerLine(facts.container, out);
    char topology[512];
    FormatCpuTopology(facts.topology, topology, sizeof topology);
    std::fprintf(out, "%-14s %s\n", "Topology:", topology[0] ? topology : "unknown");
}

void WriteCacheJson(const char* key, const CpuTopology::CacheLevel& level, JsonWriter& json) {
    json.Key(key);
    json.BeginObject();
    json.Field("bytes", level.bytes);  // 0 where instances differ: see total_bytes
    json.Field("instances", static_cast<int64_t>(level.instances));
    json.Field("total_bytes", level.totalBytes);
    json.EndObject();
}

void WriteTopologyJson(const CpuTopology& t, JsonWriter& json) {
    json.Key("topology");
    json.BeginObject();
    json.Key("known");
    json.Bool(t.known);
    json.Field("packages", static_cast<int64_t>(t.packages));
    json.Field("cores", static_cast<int64_t>(t.cores));
    json.Field("logical_processors", static_cast<int64_t>(t.logical));
    json.Field("performance_cores", static_cast<int64_t>(t.performanceCores));
    json.Field("efficiency_cores", static_cast<int64_t>(t.efficiencyCores));
    WriteCacheJson("l1d_cache", t.l1d, json);
    WriteCacheJson("l1i_cache", t.l1i, json);
    WriteCacheJson("l2_cache", t.l2, json);
    WriteCacheJson("l3_cache", t.l3, json);
    json.Key("caches_from_cpuid");
    json.Bool(t.cachesFromCpuid);
    json.EndObject();
}

void WriteProcessorFactsJson(const ProcessorFacts& facts, JsonWriter& json) {
    json.Key("instruction_sets");
    json.BeginArray();
    for (int i = 0; i < facts.sets.count; ++i) json.String(facts.sets.names[i]);
    json.EndArray();
    json.Field("avx10_version", static_cast<int64_t>(facts.sets.avx10Version));
    json.Key("hypervisor");
    json.BeginObject();
    json.Key("present");
    json.Bool(facts.hypervisor.present);
    json.Key("root_partition");
    json.Bool(facts.hypervisor.rootPartition);
    json.Field("name", facts.hypervisor.present ? facts.hypervisor.name : "");
    json.Field("signature", facts.hypervisor.signature);
    json.EndObject();
    WriteTopologyJson(facts.topology, json);
}

// Every graphics adapter, where the Video Memory field tells of one.
struct GraphicsFacts {
    GraphicsAdapter adapters[kMaxGraphicsAdapters];
    int count;
};

void WriteGraphicsLines(const GraphicsFacts& graphics, std::FILE* out) {
    if (graphics.count == 0) std::fprintf(out, "%-14s %s\n", "GPU:", "none found");
    for (int i = 0; i < graphics.count; ++i) {
        char label[16], line[512];
        std::snprintf(label, sizeof label, "GPU %d:", i + 1);
        FormatGraphicsAdapter(graphics.adapters[i], line, sizeof line);
        std::fprintf(out, "%-14s %s\n", label, line);
    }
}

void WriteGraphicsJson(const GraphicsFacts& graphics, JsonWriter& json) {
    json.Key("graphics_adapters");
    json.BeginArray();
    for (int i = 0; i < graphics.count; ++i) {
        const GraphicsAdapter& adapter = graphics.adapters[i];
        json.BeginObject();
        json.Field("name", adapter.name);
        json.Field("vendor", adapter.vendorName);
        json.Field("vendor_id", static_cast<int64_t>(adapter.vendorId));
        json.Field("device_id", static_cast<int64_t>(adapter.deviceId));
        json.Field("dedicated_memory_bytes", adapter.dedicatedBytes);
        json.Key("primary_display");
        json.Bool(adapter.primary);
        json.EndObject();
    }
    json.EndArray();
}

}  // namespace

int RunInfoCommand(const CliOptions& options, std::FILE* out, std::FILE*) {
    std::unique_ptr<SystemSummary> summary(new SystemSummary());
    ReadSystemSummary(summary.get());
    std::unique_ptr<ProcessorFacts> facts(new ProcessorFacts());
    ReadProcessorFacts(facts.get());
    std::unique_ptr<GraphicsFacts> graphics(new GraphicsFacts());
    graphics->count = ReadGraphicsAdapters(graphics->adapters, kMaxGraphicsAdapters);
    if (options.json) {
        JsonWriter json;
        BeginJsonDocument(json, "info");
        WriteSummaryJson(*summary, json);
        json.Key("processor");
        json.BeginObject();
        WriteProcessorFactsJson(*facts, json);
        json.EndObject();
        WriteContainerJson(facts->container, json);
        WriteGraphicsJson(*graphics, json);
        json.EndObject();
        std::fprintf(out, "%s\n", json.Text().c_str());
    } else {
        WriteSummaryLines(*summary, out);
        WriteProcessorFactsLines(*facts, out);
        WriteGraphicsLines(*graphics, out);
    }
    return kExitOk;
}
