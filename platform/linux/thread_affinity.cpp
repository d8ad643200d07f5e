#include "platform/thread_affinity.h"

#include <sched.h>

bool PinThreadToProcessor(int index, int* processor) {
    if (processor) *processor = -1;
    // The process's own set, which a cpuset or taskset may have narrowed.
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return false;
    int count = CPU_COUNT(&allowed);
    if (count <= 0 || index < 0) return false;
    int wanted = index % count;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (!CPU_ISSET(cpu, &allowed) || wanted-- != 0) continue;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        if (sched_setaffinity(0, sizeof one, &one) != 0) return false;  // 0: the calling thread
        if (processor) *processor = cpu;
        return true;
    }
    return false;
}
