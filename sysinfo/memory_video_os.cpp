#include "sysinfo/memory_video_os.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>

#include "text/bounded_copy.h"
#include "text/decimal.h"
#include "ui/late_bound.h"

uint64_t GetMemoryFigure(int what, int which, MemoryStatusSource& memory) {
    MemoryStatus status = {};
    if (!memory.QueryExtended(&status)) {
        status = MemoryStatus{};
        memory.QueryBasic(&status.totalPhys, &status.availPhys);
    }
    uint64_t total = 0, available = 0;
    switch (which) {
        case kPhysicalMemory:
            total = status.totalPhys, available = status.availPhys;
            break;
        case kPageFile:
            total = status.totalPageFile, available = status.availPageFile;
            break;
        case kVirtualMemory:
            total = status.totalVirtual, available = status.availVirtual;
            break;
        default:
            return 0;
    }
    switch (what) {
        case kMemoryTotal:
            return total;
        case kMemoryAvailable:
            return available;
        case kMemoryUsed:
            return total - available;
        case kMemoryPercent:
            if (which == kPhysicalMemory) return status.memoryLoad;
            return total ? available * 100 / total : 0;
        default:
            return 0;
    }
}

uint64_t GetVideoMemory(VideoMemorySource& video, LibraryLoader& libraries) {
    CallLateBound("OLE32.DLL", "OleInitialize", nullptr, 0, libraries);
    uint64_t total = video.TotalVideoMemory();
    CallLateBound("OLE32.DLL", "OleUninitialize", nullptr, 0, libraries);
    return total;
}

void FormatMemorySize(uint64_t totalBytes, char* out) {
    const bool gigabytes = totalBytes >= (uint64_t{1} << 30);
    const double x = static_cast<double>(totalBytes) / (gigabytes ? 1073741824.0 : 1048576.0);
    FormatNumber(out, CutToDecimals(x, 2), 15);
    // 1.99 GB reads 2 GB: figures just short of a whole number are lifted.
    if (std::strstr(out, ".9")) FormatNumber(out, CutToDecimals(x + 0.01, 2), 15);
    TrimNumber(out, 2, kFieldTextSize);
    std::strcat(out, gigabytes ? " GB" : " MB");
}

void FormatVideoMemory(uint64_t bytes, char* out) {
    // 1019 squared, not 1024: cards report a little less than their size.
    uint64_t m = bytes / 1019 / 1019;
    uint64_t shown = m;
    // Cards beyond 4 GiB come in whole gigabytes; the 128 MB windows, which overlap from
    // 1280 MB on and favour the smaller size, would show 8 GB as 7936 MB.
    if (bytes > 0xFFFFFFFFull) {
        uint64_t mib = bytes >> 20;
        uint64_t gigabytes = (mib + 512) / 1024 * 1024;
        shown = mib;
        double off = static_cast<double>(mib) - static_cast<double>(gigabytes);
        if (off < 0) off = -off;
        if (off <= 0.05 * static_cast<double>(gigabytes)) shown = gigabytes;
        std::snprintf(out, kFieldTextSize, "%" PRIu64 " MB", shown);
        return;
    }
    for (uint64_t k = 128; k < 8192; k += 128) {
        double low = static_cast<double>(k) - 0.05 * static_cast<double>(k);
        double high = static_cast<double>(k) + 0.05 * static_cast<double>(k);
        if (low <= static_cast<double>(m) && static_cast<double>(m) <= high) {
            shown = k;
            break;
        }
    }
    std::snprintf(out, kFieldTextSize, "%" PRIu64 " MB", shown);
}

const char* WindowsVersionName(uint32_t major, uint32_t minor, uint32_t build) {
    static const struct {
        uint32_t major, minor, minBuild;
        const char* name;
    } kNames[] = {
        {5, 1, 0, "Windows XP"},  {6, 0, 0, "Windows Vista"}, {6, 1, 0, "Windows 7"},
        {5, 2, 0, "Windows 2003"}, {5, 0, 0, "Windows 2000"},  {4, 90, 0, "Windows ME"},
        {4, 10, 0, "Windows 98"},  {4, 0, 0, "Windows NT"},
        // Known only to programs whose manifest names them; 11 is 10.0 from build 22000.
        {6, 2, 0, "Windows 8"},    {6, 3, 0, "Windows 8.1"},   {10, 0, 22000, "Windows 11"},
        {10, 0, 0, "Windows 10"},
    };
    for (const auto& entry : kNames)
        if (entry.major == major && entry.minor == minor && build >= entry.minBuild) return entry.name;
    return "Unknown";
}

void FormatOsVersion(const OsVersion& version, char* out) {
    if (version.windows) {
        std::snprintf(out, kFieldTextSize, "  \"%s\" version %u.%u.%u %s",
                      WindowsVersionName(version.major, version.minor, version.build), version.major,
                      version.minor, version.build, version.servicePack);
    } else {
        // The same shape: the distribution's name, then the kernel release as the version,
        // short enough for the field: no codename in brackets, no build suffix.
        char name[160], release[96];
        CopyBounded(name, version.description, sizeof name);
        char* bracket = std::strstr(name, " (");
        if (bracket && name[std::strlen(name) - 1] == ')') *bracket = '\0';
        CopyBounded(release, version.servicePack, sizeof release);
        release[std::strcspn(release, "-+ ")] = '\0';
        std::snprintf(out, kFieldTextSize, "  \"%s\" version %s ", name, release);
    }
}

void BuildDriveList(DriveSource& drives, DriveList* list) {
    std::unique_ptr<DriveEntry[]> entries(new DriveEntry[kMaxDrives]);
    int found = drives.ListDrives(entries.get(), kMaxDrives);
    int count = found < kMaxDrives ? found : kMaxDrives;
    list->count = 0;
    list->selected = -1;
    list->unlisted = found - count;
    for (int i = 0; i < count && i < kMaxDrives; ++i) {
        if (entries[i].optical) continue;
        entries[i].name[sizeof entries[i].name - 1] = '\0';
        CopyBounded(list->names[list->count], entries[i].name, kFieldTextSize);
        if (std::strcmp(entries[i].name, "C:") == 0 || std::strcmp(entries[i].name, "/") == 0)
            list->selected = list->count;
        ++list->count;
    }
    if (list->selected < 0 && list->count > 0) list->selected = 0;
}
