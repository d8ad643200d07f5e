// The processor the Windows programs need. Their code keeps doubles in SSE2 registers, so
// that figures round as on Linux; on a processor without SSE2 the first such instruction
// would end the program with a fault. Each program checks before any of it runs and says
// why it cannot start instead.
#pragma once

#include "platform/cpu_instructions.h"

// Whether the processor `cpuid` answers for has SSE2: leaf 1, where leaf 0 says it exists,
// EDX bit 26.
bool HasSse2(CpuidSource& cpuid);
