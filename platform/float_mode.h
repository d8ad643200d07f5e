// The processor's floating-point mode around a timed kernel.
#pragma once

#include <cstdint>

// Subnormal doubles cost many processors tens to hundreds of cycles an operation: a kernel
// whose values decay into them slows down the longer it runs. Flushes subnormal results
// and inputs to zero on this thread and returns the mode to restore afterwards.
uint32_t FlushSubnormalsToZero();
void RestoreFloatMode(uint32_t saved);
