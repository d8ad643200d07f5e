// What the CPUID decoders make of a processor, for the tests that hand them one: words by
// hand, a FakeCpuid, or a dump of tests/data/cpuid.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_system.h"
#include "sysinfo/cpuid_caches.h"
#include "sysinfo/hypervisor.h"
#include "sysinfo/instruction_sets.h"

struct Decoded {
    CpuidLeaves leaves;
    InstructionSets sets;
    HypervisorIdentity hypervisor;
    CpuidCaches caches;
    std::string text;  // the sets joined
};

inline Decoded Decode(const CpuidLeaves& leaves) {
    Decoded d{leaves, {}, {}, {}, {}};
    DecodeInstructionSets(leaves, &d.sets);
    DecodeHypervisor(leaves, &d.hypervisor);
    DecodeCpuidCaches(leaves, &d.caches);
    char text[kInstructionSetsTextSize];
    FormatInstructionSets(d.sets, text, sizeof text);
    d.text = text;
    return d;
}

inline Decoded Decode(CpuidSource& cpuid) {
    CpuidLeaves leaves;
    ReadCpuidLeaves(&leaves, cpuid);
    return Decode(leaves);
}

// tests/data/cpuid/`file` answering in place of the processor.
inline Decoded DecodeDump(const std::string& file) {
    FakeCpuid cpuid;
    std::string error;
    EXPECT_TRUE(LoadCpuidDump(KELVANE_TEST_DATA_DIR "/cpuid/" + file, &cpuid, &error)) << error;
    return Decode(cpuid);
}
