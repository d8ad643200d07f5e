#include "platform/thread_affinity.h"

#include <windows.h>

bool PinThreadToProcessor(int index, int* processor) {
    if (processor) *processor = -1;
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || process == 0 || index < 0) return false;
    int count = 0;
    for (DWORD_PTR m = process; m; m &= m - 1) ++count;
    int wanted = index % count;
    for (unsigned bit = 0; bit < sizeof(DWORD_PTR) * 8; ++bit) {
        DWORD_PTR mask = static_cast<DWORD_PTR>(1) << bit;
        if (!(process & mask) || wanted-- != 0) continue;
        if (SetThreadAffinityMask(GetCurrentThread(), mask) == 0) return false;
        // The bit within the process's group: the topology records' number on machines of
        // one group (up to 64 processors); beyond, core kinds may be misread.
        if (processor) *processor = static_cast<int>(bit);
        return true;
    }
    return false;
}
