#include "app/qt/startup_figures.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/duration.h"
#include "app/qt/qt_dialog.h"
#include "sysinfo/system_summary.h"

namespace {

// Milliseconds since the kernel started this process (field 22 of /proc/self/stat).
double MillisecondsSinceExec() {
    std::FILE* stat = std::fopen("/proc/self/stat", "r");
    if (!stat) return -1;
    char line[1024] = "";
    std::fgets(line, sizeof line, stat);
    std::fclose(stat);
    const char* field = std::strrchr(line, ')');  // the name may hold blanks
    if (!field) return -1;
    unsigned long long startTicks = 0;
    int index = 3;  // the field that starts after the next blank
    for (const char* at = field + 2; *at && index <= 22; ++at)
        if (*at == ' ' && ++index == 22) startTicks = std::strtoull(at + 1, nullptr, 10);
    struct timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / sysconf(_SC_CLK_TCK);
}

long ResidentKilobytes() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::strtol(line + 6, nullptr, 10);
    std::fclose(status);
    return kb;
}

}  // namespace

int ReportStartup(std::chrono::steady_clock::time_point mainStarted, QtDialog& dialog) {
    dialog.repaint();
    QCoreApplication::processEvents();
    double sinceExec = MillisecondsSinceExec();
    double sinceMain =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - mainStarted)
            .count();
    QElapsedTimer probes;
    probes.start();
    std::unique_ptr<SystemSummary> summary(new SystemSummary());
    ReadSystemSummary(summary.get());
    double probeMs = probes.nsecsElapsed() / 1e6;
    // Idle: after the start-up work, with nothing running.
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    std::fprintf(
        stderr,
        "window shown, every field filled: %.1f ms after the process started (%.1f ms after main); "
        "probes alone %.2f ms; idle RSS %.1f MB; test duration %d ms\n",
        sinceExec, sinceMain, probeMs, ResidentKilobytes() / 1024.0,
        static_cast<int>(g_TestDuration));
    return 0;
}
