// Entry of the Linux dialog program: the test duration, then the dialog.
#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/duration.h"
#include "app/qt/qt_dialog.h"
#include "app/qt/startup_figures.h"
#include "platform/disk_ops.h"

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    bool measure = false;
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--measure-startup") == 0) {
            measure = true;
            continue;
        }
        commandLine += std::string(i > 1 ? " " : "") + argv[i];
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("Kelvane");
    QApplication::setDesktopFileName("kelvane");
    SetTestDurationFromCommandLine(commandLine.c_str());
    RemoveTemporaryFileOnInterrupt();

    QtDialog dialog;
    dialog.show();
    if (measure) return ReportStartup(started, dialog);
    dialog.exec();
    return 0;
}
