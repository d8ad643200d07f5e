#include "sysinfo/memory_video_os.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "fakes/fake_system.h"
#include "ui/late_bound.h"

namespace {

TEST(MemoryFigureTest, TableAndZeroTotals) {
    FakeMemoryStatus memory;
    memory.status = {37, 6ull << 30, 2ull << 30, 8ull << 30, 4ull << 30, 2ull << 30, 1ull << 30};
    const uint64_t figures[][3] = {{1, 1, 6ull << 30}, {2, 1, 2ull << 30}, {3, 1, 4ull << 30},
                                   {4, 1, 37},         {4, 2, 50},         {4, 3, 50},
                                   {5, 1, 0},          {1, 0, 0}};
    for (const auto& f : figures)
        EXPECT_EQ(GetMemoryFigure(static_cast<int>(f[0]), static_cast<int>(f[1]), memory), f[2])
            << f[0] << "/" << f[1];

    // The older query: physical memory only, and no division by a zero total.
    memory.extended = false;
    memory.basicTotal = 3ull << 30;
    memory.basicAvailable = 1ull << 30;
    EXPECT_EQ(GetMemoryFigure(1, 1, memory), 3ull << 30);
    for (int figure = 1; figure <= 3; ++figure) EXPECT_EQ(GetMemoryFigure(4, figure, memory), 0u);
}

std::string Text(void (*format)(uint64_t, char*), uint64_t bytes) {
    char out[260];
    format(bytes, out);
    return out;
}

// Video memory snaps to a card's size; beyond 32 bits it counts whole gigabytes, never
// wrapped. Ordinary sizes: the machine trees.
TEST(MemoryTextTest, MemoryAndVideoMemory) {
    const std::pair<uint64_t, const char*> memory[] = {
        {1ull << 31, "2.00 GB"},    {2146435072, "2.00 GB"}, {3ull << 29, "1.5 GB"},
        {1072000000, "1022.33 MB"}, {1ull << 30, "1.00 GB"}, {0, "0.00 MB"},
        {6ull << 40, "6144.00 GB"},
    };
    for (const auto& c : memory) EXPECT_EQ(Text(FormatMemorySize, c.first), c.second) << c.first;
    const uint64_t unit = 1019ull * 1019;
    const std::pair<uint64_t, const char*> video[] = {
        {249 * unit, "256 MB"},     {0, "0 MB"},
        {100 * unit, "100 MB"},     {1340 * unit, "1280 MB"},
        {4294967295ull, "3968 MB"}, {(4ull << 30) + 1, "4096 MB"},
        {80ull << 30, "81920 MB"},
    };
    for (const auto& c : video) EXPECT_EQ(Text(FormatVideoMemory, c.first), c.second) << c.first;
}

// Windows 11 is 10.0 from build 22000. 10 and 7 under Wine: os_version_under_wine.sh; Linux
// lines: machine_trees.py.
TEST(OsVersionTest, NamesAndLine) {
    const struct {
        uint32_t major, minor, build;
        const char* servicePack;
        const char* text;
    } cases[] = {
        {5, 1, 2600, "Service Pack 3", "  \"Windows XP\" version 5.1.2600 Service Pack 3"},
        {10, 0, 21999, "", "  \"Windows 10\" version 10.0.21999 "},
        {10, 0, 22000, "", "  \"Windows 11\" version 10.0.22000 "},
        {6, 4, 1, "", "  \"Unknown\" version 6.4.1 "},
        {3, 51, 0, "", "  \"Unknown\" version 3.51.0 "},
    };
    char out[260];
    for (const auto& c : cases) {
        OsVersion version = {};
        version.windows = true;
        version.major = c.major, version.minor = c.minor, version.build = c.build;
        std::strcpy(version.servicePack, c.servicePack);
        FormatOsVersion(version, out);
        EXPECT_STREQ(out, c.text);
    }
    // A distribution's name too long for the field is cut, never overrun.
    OsVersion linux = {};
    std::strcpy(linux.servicePack, "6.12.4-arch1-1");
    std::memset(linux.description, 'd', sizeof linux.description - 1);
    FormatOsVersion(linux, out);
    const std::string line = out, end = "dd\" version 6.12.4 ";
    EXPECT_LT(line.size(), 260u);
    EXPECT_EQ(line.substr(line.size() - end.size()), end) << "the release stays whole";
}

TEST(DriveListTest, OpticalDrivesLeftOutAndPreselection) {
    const struct {
        std::vector<std::pair<const char*, bool>> drives;
        std::vector<std::string> listed;
        int selected;
    } cases[] = {
        {{{"A:", false}, {"C:", false}, {"D:", true}, {"E:", false}}, {"A:", "C:", "E:"}, 1},
        {{{"C:", true}, {"D:", false}, {"E:", false}}, {"D:", "E:"}, 0},
        {{{"D:", true}}, {}, -1},
        {{{"/boot", false}, {"/", false}, {"/media/cd", true}}, {"/boot", "/"}, 1},
    };
    for (const auto& c : cases) {
        FakeDrives drives;
        for (const auto& d : c.drives) drives.Add(d.first, d.second);
        DriveList list;
        BuildDriveList(drives, &list);
        EXPECT_EQ(std::make_tuple(std::vector<std::string>(list.names, list.names + list.count),
                                  list.selected, list.unlisted),
                  std::make_tuple(c.listed, c.selected, 0));
    }
    // Beyond the list's room the rest is counted, not dropped unsaid.
    FakeDrives many;
    for (int i = 0; i < kMaxDrives + 5; ++i) many.Add(("/m" + std::to_string(i)).c_str());
    DriveList list;
    BuildDriveList(many, &list);
    EXPECT_EQ(std::make_pair(list.count, list.unlisted), std::make_pair(kMaxDrives, 5));
}

TEST(LateBoundTest, ServedNamesReleasesAndOleAroundTheVideoQuery) {
    FakeLibraries libraries;
    libraries.libraries["SHELL32.DLL"] = {ServedFunction::kShellExecute};
    libraries.libraries["OLE32.DLL"] = {ServedFunction::kOleInitialize,
                                        ServedFunction::kOleUninitialize};
    const struct {
        const char* dll;
        const char* function;
        int32_t result;
        int loads;
    } cases[] = {
        {"", "ShellExecuteA", 0, 0},
        {nullptr, "ShellExecuteA", 0, 0},
        {"SHELL32.DLL", "", 0, 0},
        {"MISSING.DLL", "ShellExecuteA", 0, 0},
        {"SHELL32.DLL", "shellexecutea", 0, 1},  // letter case counts
        {"SHELL32.DLL", "OleInitialize", 0, 1},  // served, but not from that library
        {"SHELL32.DLL", "ShellExecuteA", 42, 1},
        {"OLE32.DLL", "OleInitialize", 0, 1},  // its own result is dropped
    };
    for (const auto& c : cases) {
        libraries.loads = libraries.releases = 0;
        EXPECT_EQ(CallLateBound(c.dll, c.function, "https://x/", 0, libraries), c.result)
            << (c.dll ? c.dll : "null") << " " << c.function;
        EXPECT_EQ(libraries.loads, c.loads);
        EXPECT_EQ(libraries.releases, libraries.loads) << "every load is released";
    }
    libraries.shellResult = 2;
    EXPECT_EQ(CallLateBound("SHELL32.DLL", "ShellExecuteA", "https://x/", 0, libraries), 2);

    // The video memory query runs between OLE's start and end.
    class Video final : public VideoMemorySource {
      public:
        uint64_t TotalVideoMemory() override { return 5ull << 30; }
    } video;
    libraries.calls.clear();
    EXPECT_EQ(GetVideoMemory(video, libraries), 5ull << 30);
    EXPECT_EQ(libraries.calls, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(libraries.loads, libraries.releases);
}

}  // namespace
