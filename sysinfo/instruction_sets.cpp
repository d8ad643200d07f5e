#include "sysinfo/instruction_sets.h"

#include <cstdio>
#include <cstring>

namespace {

// The feature words the sets live in, by leaf (and sub-leaf) and register.
enum Word { k1Ecx, k1Edx, k7Ebx, k7Ecx, k7Edx, k7s1Eax, k7s1Edx, k81Ecx, k81Edx, kWordCount };

// What a set needs besides its own bit.
enum Family {
    kPlain,   // general or SSE registers, which every x86 system saves
    kAvx,     // VEX encoding: the YMM state
    kAvx512,  // the ZMM and mask state, and AVX-512 Foundation, which every subset extends
    kAvx10,   // the ZMM and mask state; its version from leaf 0x24
    kAmx,     // the tile state, and AMX-TILE, whose registers the others use
    kApx,     // the extended general registers' state
};

// XCR0 components, by bit: 1 XMM, 2 upper YMM, 5 opmask, 6 upper ZMM0-15, 7 ZMM16-31,
// 17 tile configuration, 18 tile data, 19 extended general registers.
constexpr uint64_t kAvxState = 0x6;
constexpr uint64_t kAvx512State = 0xE6;
constexpr uint64_t kTileState = 0x60000;
constexpr uint64_t kApxState = 0x80000;

struct SetBit {
    const char* name;
    Word word;
    int bit;
    Family family;
};

// Bit positions as the Intel SDM (CPUID, Vol. 2A) and the AMD APM (Vol. 3, Appendix E) give them.
// The order is the order of the list.
constexpr SetBit kSets[] = {
    {"MMX", k1Edx, 23, kPlain},
    {"3DNow", k81Edx, 31, kPlain},
    {"SSE", k1Edx, 25, kPlain},
    {"SSE2", k1Edx, 26, kPlain},
    {"SSE3", k1Ecx, 0, kPlain},
    {"SSSE3", k1Ecx, 9, kPlain},
    {"SSE4.1", k1Ecx, 19, kPlain},
    {"SSE4.2", k1Ecx, 20, kPlain},
    {"SSE4a", k81Ecx, 6, kPlain},
    {"AES-NI", k1Ecx, 25, kPlain},
    {"PCLMULQDQ", k1Ecx, 1, kPlain},
    {"SHA", k7Ebx, 29, kPlain},
    {"GFNI", k7Ecx, 8, kPlain},
    {"AVX", k1Ecx, 28, kAvx},
    {"F16C", k1Ecx, 29, kAvx},
    {"FMA3", k1Ecx, 12, kAvx},
    {"FMA4", k81Ecx, 16, kAvx},
    {"XOP", k81Ecx, 11, kAvx},
    {"AVX2", k7Ebx, 5, kAvx},
    {"BMI1", k7Ebx, 3, kPlain},  // VEX-encoded, but on general registers only
    {"BMI2", k7Ebx, 8, kPlain},
    {"VAES", k7Ecx, 9, kAvx},
    {"VPCLMULQDQ", k7Ecx, 10, kAvx},
    {"AVX-VNNI", k7s1Eax, 4, kAvx},
    {"AVX-IFMA", k7s1Eax, 23, kAvx},
    {"AVX-VNNI-INT8", k7s1Edx, 4, kAvx},
    {"AVX-NE-CONVERT", k7s1Edx, 5, kAvx},
    {"AVX-VNNI-INT16", k7s1Edx, 10, kAvx},
    {"SHA512", k7s1Eax, 0, kAvx},
    {"SM3", k7s1Eax, 1, kAvx},
    {"SM4", k7s1Eax, 2, kAvx},
    {"AVX-512F", k7Ebx, 16, kAvx512},
    {"AVX-512CD", k7Ebx, 28, kAvx512},
    {"AVX-512DQ", k7Ebx, 17, kAvx512},
    {"AVX-512BW", k7Ebx, 30, kAvx512},
    {"AVX-512VL", k7Ebx, 31, kAvx512},
    {"AVX-512IFMA", k7Ebx, 21, kAvx512},
    {"AVX-512VBMI", k7Ecx, 1, kAvx512},
    {"AVX-512VBMI2", k7Ecx, 6, kAvx512},
    {"AVX-512VNNI", k7Ecx, 11, kAvx512},
    {"AVX-512BITALG", k7Ecx, 12, kAvx512},
    {"AVX-512VPOPCNTDQ", k7Ecx, 14, kAvx512},
    {"AVX-512BF16", k7s1Eax, 5, kAvx512},
    {"AVX-512FP16", k7Edx, 23, kAvx512},
    {"AVX-512VP2INTERSECT", k7Edx, 8, kAvx512},
    {"AVX-512ER", k7Ebx, 27, kAvx512},  // Xeon Phi only, as the three below
    {"AVX-512PF", k7Ebx, 26, kAvx512},
    {"AVX-512_4VNNIW", k7Edx, 2, kAvx512},
    {"AVX-512_4FMAPS", k7Edx, 3, kAvx512},
    {"AVX10", k7s1Edx, 19, kAvx10},
    {"AMX-TILE", k7Edx, 24, kAmx},
    {"AMX-INT8", k7Edx, 25, kAmx},
    {"AMX-BF16", k7Edx, 22, kAmx},
    {"AMX-FP16", k7s1Eax, 21, kAmx},
    {"AMX-COMPLEX", k7s1Edx, 8, kAmx},
    {"APX", k7s1Edx, 21, kApx},
};
static_assert(sizeof kSets / sizeof kSets[0] <= kMaxInstructionSets, "the list holds every set");

constexpr bool NamesFit() {
    for (const SetBit& set : kSets) {
        int length = 0;
        while (set.name[length]) ++length;
        if (length + 1 > kInstructionSetNameSize) return false;
    }
    return true;
}
static_assert(NamesFit(), "every name fits its slot");

bool Bit(uint32_t word, int bit) {
    return (word >> bit & 1) != 0;
}

}  // namespace

void DecodeInstructionSets(const CpuidLeaves& leaves, InstructionSets* out) {
    out->count = 0;
    out->avx10Version = 0;
    const uint32_t words[kWordCount] = {
        leaves.leaf1.ecx,   leaves.leaf1.edx,        leaves.leaf7.ebx,
        leaves.leaf7.ecx,   leaves.leaf7.edx,        leaves.leaf7s1.eax,
        leaves.leaf7s1.edx, leaves.leaf80000001.ecx, leaves.leaf80000001.edx,
    };
    // XCR0 means nothing (and XGETBV faults) unless the system has set OSXSAVE.
    const uint64_t xcr0 = Bit(leaves.leaf1.ecx, 27) ? leaves.xcr0 : 0;
    const bool avxState = (xcr0 & kAvxState) == kAvxState;
    const bool avx512State = (xcr0 & kAvx512State) == kAvx512State;
    const bool tileState = (xcr0 & kTileState) == kTileState;
    const bool apxState = (xcr0 & kApxState) == kApxState;
    const bool avx512Foundation = Bit(leaves.leaf7.ebx, 16);
    const bool amxTile = Bit(leaves.leaf7.edx, 24);

    for (const SetBit& set : kSets) {
        if (!Bit(words[set.word], set.bit)) continue;
        bool usable = true;
        switch (set.family) {
            case kPlain:
                break;
            case kAvx:
                usable = avxState;
                break;
            case kAvx512:
                usable = avx512State && avx512Foundation;
                break;
            case kAvx10:
                usable = avx512State;
                break;
            case kAmx:
                usable = tileState && amxTile;
                break;
            case kApx:
                usable = apxState;
                break;
        }
        if (!usable) continue;
        char* name = out->names[out->count++];
        if (set.family == kAvx10) {
            // AVX10 is versioned: version N holds every instruction of the versions before it.
            out->avx10Version = static_cast<int>(leaves.leaf24.ebx & 0xFF);
            if (out->avx10Version > 0)
                std::snprintf(name, kInstructionSetNameSize, "AVX10.%d", out->avx10Version);
            else
                std::snprintf(name, kInstructionSetNameSize, "AVX10");
        } else {
            std::memcpy(name, set.name, std::strlen(set.name) + 1);
        }
    }
}

size_t FormatInstructionSets(const InstructionSets& sets, char* out, size_t size) {
    if (size == 0) return 0;
    size_t length = 0;
    out[0] = '\0';
    for (int i = 0; i < sets.count; ++i) {
        const char* separator = i == 0 ? "" : ", ";
        const size_t needed = std::strlen(separator) + std::strlen(sets.names[i]);
        if (length + needed >= size) break;
        std::strcpy(out + length, separator);
        std::strcpy(out + length + std::strlen(separator), sets.names[i]);
        length += needed;
    }
    return length;
}

bool HasInstructionSet(const InstructionSets& sets, const char* name) {
    for (int i = 0; i < sets.count; ++i)
        if (std::strcmp(sets.names[i], name) == 0) return true;
    return false;
}
