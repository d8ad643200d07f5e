#include "sysinfo/system_summary.h"

#include <cstdio>
#include <cstring>

#include "platform/processors.h"
#include "sysinfo/cpu_identification.h"
#include "sysinfo/memory_video_os.h"
#include "sysinfo/processor_count.h"
#include "sysinfo/registry_probes.h"

void ReadSystemSummary(SystemSummary* summary) {
    std::memset(summary, 0, sizeof *summary);
    FormatCpuDetails(summary->cpuDetails);
    FormatCpuFamily(summary->cpuFamily);
    FormatCpuModel(summary->cpuModel);
    FormatCpuStepping(summary->cpuStepping);
    FormatInstructions(summary->instructions);

    summary->nominalMhz = RegReadDword(RegistryRoot::kLocalMachine, kProcessorZeroKey, "~MHz");
    FormatNominalSpeed(summary->nominalMhz, summary->nominalSpeed);
    summary->nominalSource = NominalClockSource();
    summary->processorCount = CountProcessors();
    int online = CountOnlineProcessors();
    summary->onlineProcessorCount = online > 0 ? online : CountProcessorsIn(SystemRegistry());
    std::snprintf(summary->cores, sizeof summary->cores, "%d", summary->processorCount);
    FormatVendor(summary->vendor);

    summary->totalPhysicalBytes = GetMemoryFigure(kMemoryTotal, kPhysicalMemory);
    FormatMemorySize(summary->totalPhysicalBytes, summary->memory);
    summary->videoMemoryBytes = GetVideoMemory();
    FormatVideoMemory(summary->videoMemoryBytes, summary->videoMemory);

    OsVersion version;
    SystemOsVersion().Query(&version);
    FormatOsVersion(version, summary->osVersion);
    BuildDriveList(SystemDrives(), &summary->drives);
}
