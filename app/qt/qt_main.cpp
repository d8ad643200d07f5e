// Entry of the Linux dialog program: the test duration, then the dialog.
#include <QApplication>

#include <QStringList>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/duration.h"
#include "app/qt/qt_dialog.h"
#include "app/qt/startup_figures.h"
#include "platform/disk_ops.h"
#include "res/version.h"

namespace {

constexpr char kNoDisplay[] = "kelvane: no display: run kelvane-cli for the report\n";

constexpr char kUsage[] =
    "Usage: kelvane [DURATION]\n"
    "Shows what this machine is, and measures its CPU clock, Whetstone FLOPS, memory\n"
    "bandwidth and disk write rate on request.\n"
    "\n"
    "  DURATION   the test duration in milliseconds: the first number on the command\n"
    "             line (default 3000)\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "For the same report on a terminal or in a script: kelvane-cli. See kelvane(1).\n";

// While the toolkit starts, its warnings wait: where it then finds no display it ends
// the process (a core dump, status 134), and the user gets one line instead of its
// account of the platform plugins.
bool g_starting = true;
QStringList* g_heldMessages = nullptr;

void StartupMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg && g_starting) {
        std::fputs(kNoDisplay, stderr);
        std::_Exit(1);
    }
    if (g_starting && g_heldMessages) {
        g_heldMessages->append(message);
        return;
    }
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    if (type == QtFatalMsg) std::abort();
}

// Whether the toolkit is told where to draw: a platform named in the environment or on
// the command line, or an X or Wayland display.
bool HasDisplay(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0) return true;
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && value[0]) return true;
    }
    return false;
}

// Where XDG_RUNTIME_DIR is unset, the toolkit makes $TMPDIR/runtime-<user> and leaves it:
// a private folder of ours instead, removed when the program ends.
class PrivateRuntimeDirectory {
  public:
    PrivateRuntimeDirectory() {
        const char* given = std::getenv("XDG_RUNTIME_DIR");
        if (given && given[0]) return;
        const char* tmp = std::getenv("TMPDIR");
        path_ = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/kelvane-runtime-XXXXXX";
        if (mkdtemp(&path_[0]))
            setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
        else
            path_.clear();
    }
    ~PrivateRuntimeDirectory() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    PrivateRuntimeDirectory(const PrivateRuntimeDirectory&) = delete;
    PrivateRuntimeDirectory& operator=(const PrivateRuntimeDirectory&) = delete;

  private:
    std::string path_;
};

}  // namespace

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    // --help and --version answer without a window; any other command line keeps the
    // leading-number rule, whatever it holds.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("kelvane " KELVANE_VERSION_TEXT "\n", stdout);
            return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
        }
    }
    if (!HasDisplay(argc, argv)) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }
    PrivateRuntimeDirectory runtime;  // outlives the application
    QStringList held;
    g_heldMessages = &held;
    qInstallMessageHandler(StartupMessages);
    // QApplication takes its own options (-style fusion, -qwindowgeometry 800x600+0+0)
    // out of argc and argv: only what it leaves is ours.
    QApplication application(argc, argv);
    g_starting = false;
    g_heldMessages = nullptr;
    for (const QString& message : held)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    qInstallMessageHandler(nullptr);
    // It has also adopted the environment's locale in full; figures keep the C form, and
    // only the month name (LC_TIME) follows the user's language.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("Kelvane");
    QApplication::setDesktopFileName("org.kelvane.kelvane");

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
