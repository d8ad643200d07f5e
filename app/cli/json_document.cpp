// What every JSON document of kelvane-cli carries, so that saved results can be compared
// and attributed: the program, the schema, the time, and for runs the machine.
#include <cstring>
#include <ctime>

#include "app/cli/cli.h"
#include "res/version.h"
#include "sysinfo/system_summary.h"
#include "text/json_writer.h"

void BeginJsonDocument(JsonWriter& json, const char* command) {
    json.BeginObject();
    json.Field("kelvane_version", KELVANE_VERSION_TEXT);
    json.Field("schema_version", static_cast<int64_t>(kJsonSchemaVersion));
    char stamp[32] = "";
    std::time_t now = std::time(nullptr);
    if (const std::tm* utc = std::gmtime(&now)) std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", utc);
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
    json.EndObject();
}
