// The processor's vendor, signature fields and instruction-set extensions, from CPUID.
#pragma once

#include <cstdint>

#include "platform/cpu_instructions.h"

constexpr int kVendorOther = 0;
constexpr int kVendorIntel = 1;
constexpr int kVendorAmd = 2;

int GetCpuVendor(CpuidSource& cpuid = SystemCpuid());

enum CpuFieldKind {
    kCpuInstructions = 1,
    kCpuStepping = 2,
    kCpuModel = 3,
    kCpuFamily = 4,
    kCpuExtendedModel = 5,
    kCpuExtendedFamily = 6,
};

// Writes the text of field `kind` into `out` (at least 73 bytes; empty for unknown kinds)
// and returns the basic EDX feature word; 0 without touching anything when `out` is null.
uint32_t GetCpuField(int kind, char* out, CpuidSource& cpuid = SystemCpuid());

// The field texts as the dialog shows them; `out` holds 260 bytes.
void FormatCpuFamily(char* out, CpuidSource& cpuid = SystemCpuid());
void FormatCpuModel(char* out, CpuidSource& cpuid = SystemCpuid());
void FormatCpuStepping(char* out, CpuidSource& cpuid = SystemCpuid());
void FormatInstructions(char* out, CpuidSource& cpuid = SystemCpuid());
// "Intel", "AMD", or for any other vendor its short name ("Hygon", "VIA", ...) or "Other".
void FormatVendor(char* out, CpuidSource& cpuid = SystemCpuid());

// The 12-character vendor string of leaf 0 (EBX, EDX, ECX) into `out` (13 bytes).
void ReadVendorString(char* out, CpuidSource& cpuid = SystemCpuid());
// The short name of a vendor string, "Other" when it is not known.
const char* ShortVendorName(const char* vendorString);

// The signature's numbers as the processor vendors define them: the family with the
// extended family added for base family 15, the model with the extended model as its high
// digit from base family 6 up (Zhaoxin's and Centaur's family 7 too), as Windows numbers them.
struct CpuSignature {
    uint32_t family, model, stepping;
};
CpuSignature DecodeCpuSignature(uint32_t leaf1Eax);
CpuSignature ReadCpuSignature(CpuidSource& cpuid = SystemCpuid());

// The brand string of leaves 0x80000002 to 0x80000004, without the blanks some processors
// pad it with; empty where the processor has none. `out` holds 49 bytes.
void ReadBrandString(char* out, CpuidSource& cpuid = SystemCpuid());
