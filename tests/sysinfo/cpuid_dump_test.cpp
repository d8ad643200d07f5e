#include "sysinfo/cpuid_dump.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

#include "sysinfo/cpu_identification.h"
#include "sysinfo/cpuid_test_support.h"

namespace {

using Keys = std::set<std::pair<uint32_t, uint32_t>>;

std::unique_ptr<CpuidDump> Parse(const std::string& text, std::string* error = nullptr) {
    std::unique_ptr<CpuidDump> dump(new CpuidDump());
    char reason[256] = "";
    const bool read =
        ParseCpuidDump(text.data(), text.size(), "dump", dump.get(), reason, sizeof reason);
    if (error) *error = read ? "" : reason;
    return dump;
}

template <typename... Values>
std::string Printed(const char* format, Values... values) {
    char line[160];
    std::snprintf(line, sizeof line, format, values...);
    return line;
}

std::string XcrLine(const CpuidDump& dump) {
    const unsigned long long xcr0 = dump.xcr0;
    return dump.hasXcr0 ? Printed("XCR0: %016llX\n", xcr0) : "";
}

// The table's leaves and XCR0 in the text form with a header and comments, then a second
// processor whose words differ and a line no reader takes: neither may count.
std::string TextForm(const CpuidDump& dump) {
    std::string text = "Kelvane test dump\r\n\r\nCPU#000\r\n";
    for (int i = 0; i < dump.count; ++i) {
        const CpuidDumpEntry& e = dump.entries[i];
        text += Printed("CPUID %08X: %08X-%08X-%08X-%08X", e.leaf, e.words.eax, e.words.ebx,
                        e.words.ecx, e.words.edx);
        if (e.subleaf) text += Printed(" [note] [SL %X]", e.subleaf);
        text += "\r\n";
    }
    return text + XcrLine(dump) +
           "CPU#001\r\nCPUID 00000001: 00000000-00000000-00000000-00000000\r\nCPUID ?\r\n";
}

// Every entry and XCR0 in the raw form: two dumps hold the same where their raw forms agree.
std::string RawForm(const CpuidDump& dump) {
    std::string text = "CPU 0:\n";
    for (int i = 0; i < dump.count; ++i) {
        const CpuidDumpEntry& e = dump.entries[i];
        text += Printed("   0x%08x 0x%02x: eax=0x%08x ebx=0x%08x ecx=0x%08x edx=0x%08x\n", e.leaf,
                        e.subleaf, e.words.eax, e.words.ebx, e.words.ecx, e.words.edx);
    }
    return text + XcrLine(dump) + "CPU 1:\n   0x00000001 0x00: eax=0x0\nnot a line\n";
}

// What the probes make of a processor's words.
std::string Facts(CpuidSource& cpuid) {
    const Decoded d = Decode(cpuid);
    char vendor[13], brand[49], family[260], model[260];
    ReadVendorString(vendor, cpuid);
    ReadBrandString(brand, cpuid);
    FormatCpuFamily(family, cpuid);
    FormatCpuModel(model, cpuid);
    std::ostringstream out;
    out << vendor << " | " << brand << " | " << family << " | " << model << " | " << d.text
        << " | AVX10." << d.sets.avx10Version << " | " << d.hypervisor.name << " "
        << d.hypervisor.rootPartition << " | XCR0 " << d.leaves.xcr0 << " |";
    for (int i = 0; i < d.caches.count; ++i) {
        const CpuidCache& c = d.caches.caches[i];
        out << " L" << c.level << c.type << " " << c.bytes << "/" << c.scope << "/"
            << c.sharingThreads;
    }
    return out.str();
}

// Every dump of tests/data/cpuid read in all three forms, and written back by the cpuid
// command's writer, tells the probes the same.
TEST(CpuidDump, EveryFormOfTheRealProcessorsGivesTheSameFacts) {
    int files = 0;
    for (const auto& file : std::filesystem::directory_iterator(KELVANE_TEST_DATA_DIR "/cpuid")) {
        if (file.path().extension() != ".txt") continue;
        ++files;
        const std::string name = file.path().filename().string();
        std::unique_ptr<CpuidDump> table(new CpuidDump());
        char error[512];
        ASSERT_TRUE(
            ReadCpuidDumpFile(file.path().string().c_str(), table.get(), error, sizeof error))
            << error;
        std::string reason;
        for (auto form : {TextForm, RawForm}) {
            std::unique_ptr<CpuidDump> read = Parse(form(*table), &reason);
            EXPECT_EQ(reason, "") << name;
            EXPECT_EQ(RawForm(*read), RawForm(*table)) << name << (form == RawForm ? " raw" : "");
        }
        DumpCpuid fromTable(*table);
        std::unique_ptr<CpuidDump> written = Parse(FormatCpuidDump(fromTable), &reason);
        EXPECT_EQ(reason, "") << name;
        DumpCpuid fromWritten(*written);
        EXPECT_EQ(Facts(fromWritten), Facts(fromTable)) << name;
    }
    EXPECT_GE(files, 9);
}

TEST(CpuidDump, LinesThatAreNotWhatTheirFormHoldsAreRefusedWithTheirNumber) {
    const std::string w = "00000000-00000000-00000000-00000000";
    std::string many = "CPUID 00000000: " + w + "\n";
    for (int i = 1; i <= kMaxCpuidDumpEntries; ++i)
        many += Printed("CPUID %08X: ", 0x80000000u + i) + w + "\n";
    const std::pair<std::string, const char*> cases[] = {
        {"header\nCPUID 00000001: 00A10F11-00020800\n", "dump:2: not a CPUID line"},
        {"CPUID 0001: " + w + "\n", "dump:1: not a CPUID line"},
        {"CPUID 00000007: " + w + " [SL x1]\n", "dump:1: not a CPUID line"},
        {"CPUID 00000007: " + w + " [SL 1] [SL 2]\n", "dump:1: not a CPUID line"},
        {"CPUID 00000007: " + w + " [open\n", "dump:1: not a CPUID line"},
        {"CPUID 00000001: " + w + " trailing\n", "dump:1: not a CPUID line"},
        {"CPUID dump of a machine\n", "dump:1: not a CPUID line"},
        {"CPU 0:\n   0x00000000 0x00: eax=0x1 ebx=0x2 ecx=0x3\n", "dump:2: not a CPUID line"},
        {"  0x00000000 0x00: eax=0x1 ebx=0x2 ecx=0x3 edx=0x4\nheader\n",
         "dump:2: not a CPUID line"},
        {"0 0 1 2 3 4\n1 0 1 2 3\n", "dump:2: not a CPUID line"},
        {"# table\n0 0 1 2 3 4\nCPUID 00000001: " + w + "\n", "dump:3: not a CPUID line"},
        {"0 0 1 2 3 4\n1 0 100000000 2 3 4\n", "dump:2: not a CPUID line"},
        {"0 0 1 2 3 4\nxcr0 zz\n", "dump:2: not an XCR0 line"},
        {"0 0 1 2 3 4\n4 1 1 2 3 4\n4 1 1 2 3 4\n", "dump:3: the same leaf and sub-leaf twice"},
        {many, "dump:1025: more than 1024 CPUID leaves"},
        {"header only\n\n# and a comment\n", "dump: no CPUID leaves in it"},
        {"", "dump: no CPUID leaves in it"},
    };
    for (const auto& [text, refusal] : cases) {
        std::string error;
        Parse(text, &error);
        EXPECT_EQ(error, refusal) << text.substr(0, 200);
    }
}

TEST(CpuidDump, TheFirstSectionEndsAtTheNextProcessorOrWhereLeafZeroComesAgain) {
    // The dump, the leaves read, XCR0.
    const std::tuple<const char*, int, uint64_t> cases[] = {
        // Leaf 0 again ends it without a heading; what follows is not read.
        {"CPUID 00000000: 0000000D-00000000-00000000-00000000\n"
         "cpuid 00000001: lower-case is a note\n"
         "CPUID 00000001: 000306c3-00000000-00000000-00000000 [SL 0]\n"
         "\tXCR0: 207\n"
         "CPUID 00000000: 0000000D-00000000-00000000-00000000\nCPUID ?\n",
         2, 0x207},
        {"CPU:\n 0x0 0x0: EAX=0x1 EBX=0x0 ECX=0x0 EDX=0x0\nxcr0=0xE7\nCPU:\n0x1\n", 1, 0xE7},
        {"00000000 0 d 0 0 0\n0000000d 1 f 0 0 0\nxcr0 7\n00000000 0 d 0 0 0\nnonsense\n", 2, 7},
    };
    for (const auto& [text, count, xcr0] : cases) {
        std::string error;
        std::unique_ptr<CpuidDump> dump = Parse(text, &error);
        EXPECT_EQ(error, "") << text;
        EXPECT_EQ(dump->count, count) << text;
        EXPECT_EQ(dump->xcr0, xcr0) << text;
    }
}

std::string WriteFile(const char* name, const std::string& bytes) {
    const std::string path = ::testing::TempDir() + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr) << path;
    if (file) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return path;
}

TEST(CpuidDump, FilesThatAreNoDumpAreRefusedUnread) {
    std::string binary(4096, '\0'), mostlyOdd;
    for (int i = 0; i < 4096; ++i) mostlyOdd += static_cast<char>(i % 3 ? 0x80 + i % 64 : 'A');
    const std::string text = "Caf\xc3\xa9 notes\nCPUID 00000000: 00000001-0-0-0\n";
    const std::string large = ::testing::TempDir() + "kelvane-cpuid-large.txt";
    if (std::FILE* file = std::fopen(large.c_str(), "wb")) {
        // Sparse where the file system allows: the reader must stop at the size alone.
        std::fseek(file, static_cast<long>(kMaxCpuidDumpFileBytes - 1), SEEK_SET);
        std::fputc('\n', file);
        std::fclose(file);
    }
    // The file, why it is refused.
    const std::pair<std::string, const char*> cases[] = {
        {WriteFile("kelvane-cpuid-nul.txt", "CPUID 00000000: " + binary), "a binary file"},
        {WriteFile("kelvane-cpuid-odd.txt", mostlyOdd), "a binary file"},
        {large, "100 MB or more"},
        {::testing::TempDir() + "kelvane-cpuid-missing.txt", ": "},
        // Accented text in a header is text; the short word then fails as a CPUID line.
        {WriteFile("kelvane-cpuid-utf8.txt", text), ":2: not a CPUID line"},
    };
    for (const auto& [path, reason] : cases) {
        std::unique_ptr<CpuidDump> dump(new CpuidDump());
        char error[512] = "";
        EXPECT_FALSE(ReadCpuidDumpFile(path.c_str(), dump.get(), error, sizeof error));
        EXPECT_EQ(std::string(error).rfind(path, 0), 0u) << error;
        EXPECT_NE(std::string(error).find(reason), std::string::npos) << error;
        std::remove(path.c_str());
    }
}

TEST(CpuidDump, AnsweredLikeAProcessorWithoutTheLeavesItLacks) {
    const std::pair<const char*, uint64_t> cases[] = {
        {"0 0 d 0 0 0\n1 0 0 0 08000000 0\nd 0 2e7 0 0 0\nxcr0 7\n", 0x7},  // the dump's
        {"0 0 d 0 0 0\n1 0 0 0 08000000 0\nd 0 2e7 0 0 2\n", 0x2000002E7},  // what it supports
        {"0 0 d 0 0 0\n1 0 0 0 0 0\nd 0 2e7 0 0 0\nxcr0 7\n", 0},           // no OSXSAVE: no XGETBV
    };
    for (const auto& [text, xcr0] : cases) {
        std::unique_ptr<CpuidDump> dump = Parse(text);
        DumpCpuid cpuid(*dump);
        EXPECT_EQ(cpuid.ReadXcr0(), xcr0) << text;
        EXPECT_EQ(cpuid.Execute(0xD, 1).eax, 0u);
        EXPECT_EQ(cpuid.Execute(0xD).eax, 0x2E7u);
    }
}

Keys WrittenKeys(FakeCpuid& cpuid) {
    std::string error;
    std::unique_ptr<CpuidDump> dump = Parse(FormatCpuidDump(cpuid), &error);
    EXPECT_EQ(error, "");
    Keys keys;
    for (int i = 0; i < dump->count; ++i)
        keys.insert({dump->entries[i].leaf, dump->entries[i].subleaf});
    return keys;
}

TEST(CpuidDump, TheWriterTakesEachLeafsSubleavesAsTheLeafCountsThem) {
    FakeCpuid cpuid;
    cpuid.SetVendor("GenuineIntel");
    cpuid.leaves[0].eax = 0x1F;
    cpuid.leaves[1] = {0x906A3, 0, 0x88000000, 0};  // hypervisor, OSXSAVE
    cpuid.xcr0 = 0x207;
    cpuid.leaves[4] = {0x21, 0, 0, 0};
    cpuid.subleaves[{4, 1}] = {0x22, 0, 0, 0};
    cpuid.leaves[7] = {2, 0, 0, 0};
    cpuid.leaves[0xB] = {0, 0, 0x100, 0};
    cpuid.subleaves[{0xB, 1}] = {0, 0, 0x201, 0};
    cpuid.subleaves[{0xD, 5}] = {0x40, 0, 0, 0};
    cpuid.leaves[0xF] = {0, 0, 0, 0x6};
    cpuid.leaves[0x10] = {0, 0x8, 0, 0};
    cpuid.subleaves[{0x12, 2}] = {0x1, 0, 0, 0};
    cpuid.leaves[0x18] = {1000, 0, 0, 0};  // beyond any processor: cut at 64
    cpuid.leaves[0x1F] = {0, 0, 0x100, 0};
    cpuid.subleaves[{0x1F, 1}] = {0, 0, 0x201, 0};
    cpuid.subleaves[{0x1F, 2}] = {0, 0, 0x502, 0};
    cpuid.leaves[0x40000000] = {0x40000005, 0x7263694D, 0x666F736F, 0x76482074};  // "Microsoft Hv"
    cpuid.leaves[0x40000100] = {0x40000101, 0, 0, 0};
    cpuid.leaves[0x80000000] = {0x80000008, 0, 0, 0};
    cpuid.leaves[0x8000001D] = {0x21, 0, 0, 0};  // beyond the highest extended leaf: not asked

    // Leaves 4, 0xB, 0x12 and 0x1F end with their first sub-leaf of type 0.
    Keys want = {{4, 1},    {4, 2},    {7, 1},    {7, 2},    {0xB, 1},  {0xB, 2},
                 {0xD, 1},  {0xD, 5},  {0xF, 1},  {0xF, 2},  {0x10, 3}, {0x12, 1},
                 {0x12, 2}, {0x12, 3}, {0x1F, 1}, {0x1F, 2}, {0x1F, 3}};
    for (uint32_t leaf = 0; leaf <= 0x1F; ++leaf) want.insert({leaf, 0});
    for (uint32_t sub = 1; sub < 64; ++sub) want.insert({0x18, sub});
    for (uint32_t leaf = 0x40000000; leaf <= 0x40000005; ++leaf) want.insert({leaf, 0});
    for (uint32_t leaf = 0x40000100; leaf <= 0x40000101; ++leaf) want.insert({leaf, 0});
    for (uint32_t leaf = 0x80000000; leaf <= 0x80000008; ++leaf) want.insert({leaf, 0});
    EXPECT_EQ(WrittenKeys(cpuid), want);
    const std::string text = FormatCpuidDump(cpuid);
    EXPECT_NE(text.find("\nCPUID 00000000: 0000001F-756E6547-6C65746E-49656E69\n"),
              std::string::npos);
    EXPECT_NE(text.find("\nCPUID 00000004: 00000022-00000000-00000000-00000000 [SL 01]\n"),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 23), "XCR0: 0000000000000207\n");

    // Bare metal: the hypervisor range holds another leaf's words. A highest leaf below its
    // range: only the range's first leaf; far above it: 256 leaves. No OSXSAVE: no XCR0.
    cpuid.subleaves.clear();
    cpuid.leaves = {{0, {0, 0, 0, 0}}, {1, {0, 0, 0, 0}}};
    cpuid.leaves[0x80000000].eax = 0xFFFFFFFF;
    want = {{0, 0}};
    for (uint32_t leaf = 0x80000000; leaf <= 0x800000FF; ++leaf) want.insert({leaf, 0});
    EXPECT_EQ(WrittenKeys(cpuid), want);
    EXPECT_EQ(FormatCpuidDump(cpuid).find("\nXCR0"), std::string::npos);
}

TEST(CpuidDump, ADumpStandsInOnlyBeforeTheProcessorHasAnswered) {
    std::unique_ptr<CpuidDump> dump = Parse("0 0 1 0 0 0\n");
    DumpCpuid source(*dump);
    SystemCpuid();
    EXPECT_FALSE(SetSystemCpuid(&source));
    EXPECT_FALSE(SetSystemCpuid(nullptr));
    EXPECT_NE(&SystemCpuid(), static_cast<CpuidSource*>(&source));
}

}  // namespace
