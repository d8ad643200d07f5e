// Entry of the Linux dialog program: the test duration, then the dialog.
#include <QApplication>

#include <chrono>
#include <clocale>
#include <cstring>
#include <string>

#include "app/duration.h"
#include "app/qt/qt_dialog.h"
#include "app/qt/startup_figures.h"
#include "platform/disk_ops.h"

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    // QApplication takes its own options (-style fusion, -qwindowgeometry 800x600+0+0)
    // out of argc and argv: only what it leaves is ours.
    QApplication application(argc, argv);
    // It has also adopted the environment's locale in full; figures keep the C form, and
    // only the month name (LC_TIME) follows the user's language.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("Kelvane");
    QApplication::setDesktopFileName("kelvane");

    bool measure = false;
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--measure-startup") == 0) {
            measure = true;
            continue;
        }
        commandLine += std::string(commandLine.empty() ? "" : " ") + argv[i];
    }
    SetTestDurationFromCommandLine(commandLine.c_str());
    RemoveTemporaryFileOnInterrupt();

    QtDialog dialog;
    dialog.show();
    if (measure) return ReportStartup(started, dialog);
    dialog.exec();
    return 0;
}
