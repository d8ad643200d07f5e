// The Linux sources' parsers on any bytes: built once per parser (KELVANE_FUZZ_PARSER).
// The input is copied to a block of exactly its size, with no terminator, so a read past
// the end is caught; every text handed back must be terminated inside its buffer.
#include "fuzz_input.h"
#include "platform/linux/mountinfo.h"
#include "platform/linux/proc_text.h"

namespace {

[[maybe_unused]] void KeepMount(const char* mountPoint, const char* fsType, void*) {
    FUZZ_CHECK(std::strlen(mountPoint) <= kMaxMountPointLength);
    FUZZ_CHECK(std::strlen(fsType) < 48);
    FUZZ_CHECK(mountPoint[0] == '/');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto exact = ExactBlock(data, size, size);
    const char* text = exact.get();
#if KELVANE_FUZZ_PARSER == 1
    CpuinfoFacts facts;
    ParseCpuinfo(text, size, &facts);
    CheckTerminated(facts.modelName);
    CheckTerminated(facts.vendorId);
    FUZZ_CHECK(facts.processors >= 0);
#elif KELVANE_FUZZ_PARSER == 2
    MeminfoFacts facts;
    ParseMeminfo(text, size, &facts);
#elif KELVANE_FUZZ_PARSER == 3
    ParseMountinfo(text, size, KeepMount, nullptr);
#elif KELVANE_FUZZ_PARSER == 4
    uint64_t value = 0;
    ParseCgroupValue(text, size, &value);
    CgroupPaths paths;
    ParseProcCgroup(text, size, &paths);
    CheckTerminated(paths.unified);
    CheckTerminated(paths.memory);
#elif KELVANE_FUZZ_PARSER == 5
    char name[64];
    ParseOsRelease(text, size, name, sizeof name);
    CheckTerminated(name);
#elif KELVANE_FUZZ_PARSER == 6
    int count = ParseCpuList(text, size);
    FUZZ_CHECK(count >= 0 && count <= 1000000);
#endif
    return 0;
}
