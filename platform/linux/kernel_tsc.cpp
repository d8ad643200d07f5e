#include "platform/kernel_tsc.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// The kernel log's "tsc: Refined TSC clocksource calibration: 2596.122 MHz", or failing
// that its "tsc: Detected 2596.122 MHz processor".
double KernelTscMhz() {
    std::FILE* log = popen("dmesg 2>/dev/null", "r");
    if (!log) return 0;
    double refined = 0, detected = 0;
    char line[512];
    while (std::fgets(line, sizeof line, log)) {
        const char* at = nullptr;
        if ((at = std::strstr(line, "Refined TSC clocksource calibration: ")))
            refined = std::strtod(at + std::strlen("Refined TSC clocksource calibration: "), nullptr);
        else if ((at = std::strstr(line, "tsc: Detected ")))
            detected = std::strtod(at + std::strlen("tsc: Detected "), nullptr);
    }
    pclose(log);
    return refined > 0 ? refined : detected;
}
