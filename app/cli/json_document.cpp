// What every JSON document of kelvane-cli carries, so that saved results can be compared
// and attributed: the program, the schema, the time, and for runs the machine.
#include <cstring>
#include <ctime>

#include "app/cli/cli.h"
#include "platform/os_version.h"
#include "res/version.h"
#include "sysinfo/cpu_identification.h"
#include "sysinfo/system_summary.h"
#include "text/json_writer.h"

void BeginJsonDocument(JsonWriter& json, const char* command) {
    json.BeginObject();
    json.Field("kelvane_version", KELVANE_VERSION_TEXT);
    json.Field("schema_version", static_cast<int64_t>(kJsonSchemaVersion));
    char stamp[32] = "";
    std::time_t now = std::time(nullptr);
    if (const std::tm* utc = std::gmtime(&now))
        std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", utc);
    json.Field("time", stamp);
    json.Field("command", command);
}

void WriteMachineJson(const SystemSummary& summary, JsonWriter& json) {
    // The processor's name is the first line of the CPU Details field.
    char name[kFieldTextSize];
    std::strncpy(name, summary.cpuDetails, sizeof name - 1);
    name[sizeof name - 1] = '\0';
    if (char* end = std::strchr(name, '\n')) *end = '\0';
    json.Key("machine");
    json.BeginObject();
    json.Field("processor", name);
    json.Field("processor_count", static_cast<int64_t>(summary.processorCount));
    json.Field("total_physical_bytes", summary.totalPhysicalBytes);
    json.Field("os_version", summary.osVersion);
    WriteIdentityJson(json);
    json.EndObject();
}

void WriteIdentityJson(JsonWriter& json) {
    // Objects of their own: "model" and "stepping" beside them are the display texts.
    const CpuSignature signature = ReadCpuSignature();
    json.Key("cpu");
    json.BeginObject();
    json.Field("family", static_cast<uint64_t>(signature.family));
    json.Field("model", static_cast<uint64_t>(signature.model));
    json.Field("stepping", static_cast<uint64_t>(signature.stepping));
    char vendor[13], brand[49];
    ReadVendorString(vendor);
    ReadBrandString(brand);
    json.Field("vendor_id", vendor);
    json.Field("brand", brand);
    json.EndObject();
    OsVersion os = {};
    SystemOsVersion().Query(&os);
    json.Key("os");
    json.BeginObject();
    if (os.windows) {
        json.Field("major", static_cast<uint64_t>(os.major));
        json.Field("minor", static_cast<uint64_t>(os.minor));
        json.Field("build", static_cast<uint64_t>(os.build));
        json.Field("service_pack", os.servicePack);
    } else {
        json.Field("name", os.name[0] ? os.name : os.description);
        json.Field("version_id", os.versionId);
        json.Field("kernel", os.servicePack);  // the kernel release, as the version text holds it
    }
    json.EndObject();
}
