// Whether a processor may run the Windows programs, from its CPUID words: SSE2 in leaf 1,
// read only where leaf 0 says leaf 1 exists.
#include "app/win32/sse2_floor.h"

#include <gtest/gtest.h>

#include "fakes/fake_system.h"

namespace {

TEST(Sse2FloorTest, LeafOneEdxBit26WhereLeafOneExists) {
    const struct {
        const char* processor;
        uint32_t highestLeaf, leaf1Edx;
        bool sse2;
    } cases[] = {
        {"SSE2 and more (a Pentium 4)", 2, 0xBFEBFBFF, true},
        {"SSE without SSE2 (a Pentium III)", 3, 0x0383FBFF, false},
        {"MMX only (a K6-2)", 1, 0x008021BF, false},
        {"SSE2 alone", 1, 1u << 26, true},
        {"every bit but SSE2", 0x20, ~(1u << 26), false},
        {"leaf 1 words but no leaf 1", 0, 0xFFFFFFFF, false},
        {"no CPUID: zeros", 0, 0, false},
    };
    for (const auto& c : cases) {
        FakeCpuid cpuid;
        cpuid.leaves[0] = {c.highestLeaf, 0, 0, 0};
        cpuid.leaves[1] = {0, 0, 0, c.leaf1Edx};
        EXPECT_EQ(HasSse2(cpuid), c.sse2) << c.processor;
    }
}

}  // namespace
