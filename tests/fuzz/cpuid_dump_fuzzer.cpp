// The CPUID dump reader on any bytes, in a block of exactly their size: the table stays
// within its bounds, a refusal names the dump, a dump it takes answers each entry as read,
// and what the writer makes of that dump reads back to the same answers.
#include <memory>
#include <string>

#include "fuzz_input.h"
#include "sysinfo/cpuid_dump.h"

namespace {

bool Same(const CpuidWords& a, const CpuidWords& b) {
    return a.eax == b.eax && a.ebx == b.ebx && a.ecx == b.ecx && a.edx == b.edx;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto exact = ExactBlock(data, size, size);
    std::unique_ptr<CpuidDump> dump(new CpuidDump());
    char error[128];
    const bool read = ParseCpuidDump(exact.get(), size, "fuzz", dump.get(), error, sizeof error);
    FUZZ_CHECK(dump->count >= 0 && dump->count <= kMaxCpuidDumpEntries);
    if (!read) {
        CheckTerminated(error);
        FUZZ_CHECK(std::strncmp(error, "fuzz:", 5) == 0);
        return 0;
    }
    FUZZ_CHECK(dump->count > 0);
    DumpCpuid source(*dump);
    for (int i = 0; i < dump->count; ++i) {
        const CpuidDumpEntry& entry = dump->entries[i];
        FUZZ_CHECK(Same(source.Execute(entry.leaf, entry.subleaf), entry.words));
    }

    const std::string written = FormatCpuidDump(source);
    std::unique_ptr<CpuidDump> again(new CpuidDump());
    FUZZ_CHECK(ParseCpuidDump(written.data(), written.size(), "written", again.get(), error,
                              sizeof error));
    DumpCpuid reread(*again);
    for (int i = 0; i < again->count; ++i) {
        const CpuidDumpEntry& entry = again->entries[i];
        FUZZ_CHECK(Same(source.Execute(entry.leaf, entry.subleaf), entry.words));
    }
    FUZZ_CHECK(reread.ReadXcr0() == source.ReadXcr0());
    return 0;
}
