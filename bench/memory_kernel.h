// The timed loops of the memory figure and of its plain reference: code whose every
// whole-block transfer the figures count.
#pragma once

#include <cstddef>
#include <cstdint>

// `cycles` cycles of: fill `fill` with 0x81, store the low byte of *transfers into its first
// byte, fill it with 0x18, copy it into `copy`; *transfers grows by 3 a cycle.
void RunFillCopyCycles(unsigned char* fill, unsigned char* copy, size_t bytes, int cycles, uint32_t* transfers);

// One cycle of the plain reference: fill, fill, copy, nothing between them.
void RunPlainFillCopy(unsigned char* fill, unsigned char* copy, size_t bytes);
