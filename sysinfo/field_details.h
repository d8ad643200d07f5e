// The fuller lists behind four System Information fields, which the dialogs show as the
// fields' tooltips: the fields keep their own short rules, the details say the rest.
#pragma once

#include <cstddef>

constexpr size_t kFieldDetailsSize = 2048;

struct FieldDetails {
    char cpuDetails[kFieldDetailsSize];    // the hypervisor and container, where there are
    char instructions[kFieldDetailsSize];  // every instruction set the processor and system enable
    char cores[kFieldDetailsSize];         // processors, cores, threads, caches
    char videoMemory[kFieldDetailsSize];   // every graphics adapter
};

// Reads what the details say, from the processor and the system. Empty texts where there is
// nothing more to say than the field does.
void ReadFieldDetails(FieldDetails* details);

// `text` with its ", " separators turned into line breaks where a line would pass `width`
// characters, so a tooltip stays a readable block. In place; never longer.
void WrapListText(char* text, size_t width);
