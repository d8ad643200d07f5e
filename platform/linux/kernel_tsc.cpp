#include "platform/kernel_tsc.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "text/decimal.h"

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
            refined = ReadDecimal(at + std::strlen("Refined TSC clocksource calibration: "));
        else if ((at = std::strstr(line, "tsc: Detected ")))
            detected = ReadDecimal(at + std::strlen("tsc: Detected "));
    }
    pclose(log);
    return refined > 0 ? refined : detected;
}
