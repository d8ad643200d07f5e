// The Qt dialog over the controller, with scripted probes and benchmarks, offscreen.
#include "app/qt/qt_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/dialog_layout.h"
#include "app/duration.h"
#include "fakes/fake_controller_services.h"
#include "res/resource.h"
#include "ui/qt/custom_labels.h"

namespace {

std::string TextOf(QtDialog& dialog, int id) {
    char text[512];
    dialog.GetText(id, text, sizeof text);
    return text;
}

// Waits until `done` holds or `ms` pass, letting the event loop run.
template <typename Condition>
bool WaitFor(Condition done, int ms = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Closes the next message box that opens and keeps its caption and text.
struct BoxCloser {
    QString caption, text;
    void Arm() {
        QTimer::singleShot(50, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return Arm();
            caption = box->windowTitle();
            text = box->text();
            box->accept();
        });
    }
};

class QtDialogTest : public ::testing::Test {
  protected:
    FakeControllerServices services;
    void SetUp() override {
        g_TestDuration = 3000;
        g_AboutMenuAdded = 0;
        std::strcpy(services.summary.cpuDetails,
                    "Test CPU\nx86 Family 6 Model 58 Stepping 9, GenuineIntel");
        std::strcpy(services.summary.cpuFamily, "6/6");
        std::strcpy(services.summary.memory, "8.00 GB");
        std::strcpy(services.summary.osVersion, "  \"Debian GNU/Linux 12\" version 6.1.0 ");
        std::strcpy(services.summary.drives.names[0], "/");
        std::strcpy(services.summary.drives.names[1], "/home");
        services.summary.drives.count = 2;
        services.summary.drives.selected = 0;
    }
};

TEST_F(QtDialogTest, OpeningFillsEveryFieldAndPlacesTheTable) {
    QtDialog dialog(services);
    EXPECT_EQ(dialog.windowTitle(), "Kelvane 0.4");
    EXPECT_EQ(TextOf(dialog, IDC_CPU_DETAILS), services.summary.cpuDetails);
    EXPECT_EQ(TextOf(dialog, IDC_CPU_FAMILY), "6/6");
    EXPECT_EQ(TextOf(dialog, IDC_MEMORY), "8.00 GB");
    EXPECT_EQ(TextOf(dialog, IDC_OS_VERSION), services.summary.osVersion);
    EXPECT_EQ(TextOf(dialog, IDC_WEB_LINK), "www.kelvane.example");
    EXPECT_STREQ(dialog.Link()->PaintedText(), "www.kelvane.example");
    EXPECT_EQ(TextOf(dialog, IDC_STATUS_LINE), "") << "no time stamp before the first run";
    auto* drives = qobject_cast<QComboBox*>(dialog.Control(IDC_DRIVE_LIST));
    ASSERT_NE(drives, nullptr);
    EXPECT_EQ(drives->count(), 2);
    EXPECT_EQ(drives->currentText(), "/");

    for (size_t i = 0; i < kMainDialogControlCount; ++i) {
        const ControlSpec& row = kMainDialogControls[i];
        if (row.id == -1) continue;
        QRect want = dialog.ToPixels(row.x, row.y, row.width, row.height);
        QRect got = dialog.Control(row.id)->geometry();
        EXPECT_EQ(got.topLeft(), want.topLeft()) << row.id;
        EXPECT_EQ(got.width(), want.width()) << row.id;
        if (row.kind != ControlKind::kDropDownList) {
            EXPECT_EQ(got.height(), want.height()) << row.id;
        }
    }
    EXPECT_EQ(dialog.size(), dialog.ToPixels(0, 0, kDialogWidth, kDialogHeight).size());
}

TEST_F(QtDialogTest, RunAllRunsTheFourInOrderWithItsPauses) {
    QtDialog dialog(services);
    // The pause before each run is the interval its one-shot timer was started with.
    struct Pauses {
        QtDialog* dialog;
        std::vector<int> intervals;
    } pauses{&dialog, {}};
    services.context = &pauses;
    services.duringRun = [](void* p) {
        auto* pauses = static_cast<Pauses*>(p);
        pauses->intervals.push_back(pauses->dialog->TimerInterval(IDT_RUN_ALL));
    };
    qobject_cast<QPushButton*>(dialog.Control(IDC_RUN_ALL))->click();
    for (int field : {IDC_CPU_SPEED_RESULT, IDC_FLOPS_RESULT, IDC_MEMORY_RESULT, IDC_DISK_RESULT})
        EXPECT_EQ(TextOf(dialog, field), "...");
    ASSERT_TRUE(WaitFor([&] { return services.runs.size() == 4; }));
    EXPECT_EQ(services.runs,
              (std::vector<std::string>{"cpu", "flops 3000", "memory 6000", "disk / 6000"}));
    EXPECT_EQ(pauses.intervals, (std::vector<int>{100, 250, 250, 250}));
    EXPECT_EQ(TextOf(dialog, IDC_CPU_SPEED_RESULT), "2.99 GHz");
    EXPECT_EQ(TextOf(dialog, IDC_DISK_RESULT), "512 MB/second");
    EXPECT_EQ(TextOf(dialog, IDC_STATUS_LINE), "Time Stamp:  April 3, 2009 at 18:33:49");
    EXPECT_TRUE(dialog.Control(IDC_RUN_DISK)->isEnabled());
}

TEST_F(QtDialogTest, DiskErrorShowsTheBoxThenTheField) {
    services.disk = FakeControllerServices::Result("No space left on device", false);
    services.disk.showErrorBox = true;
    QtDialog dialog(services);
    BoxCloser closer;
    closer.Arm();
    qobject_cast<QPushButton*>(dialog.Control(IDC_RUN_DISK))->click();
    EXPECT_EQ(closer.caption, "Disk Benchmark Error");
    EXPECT_EQ(closer.text, "No space left on device");
    EXPECT_EQ(TextOf(dialog, IDC_DISK_RESULT), "No space left on device");
}

TEST_F(QtDialogTest, LinkFailureShowsTheWarning) {
    QtDialog dialog(services);
    int opened = 0;
    dialog.Link()->open = [&] {
        ++opened;
        return false;
    };
    BoxCloser closer;
    closer.Arm();
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog.Link(), &release);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(closer.caption, "Link Failure");
    EXPECT_EQ(closer.text, "Unable to load website!");
    EXPECT_EQ(dialog.Link()->cursor().shape(), Qt::BitmapCursor);
}

TEST_F(QtDialogTest, AClickDuringARunDoesNotStartASecondOne) {
    QtDialog dialog(services);
    dialog.show();
    // Another button than the running one, which is disabled and would ignore the click.
    services.context = dialog.Control(IDC_RUN_CPU_SPEED);
    services.duringRun = [](void* p) {
        auto* target = static_cast<QWidget*>(p);
        const QPointF at(3, 3);
        QCoreApplication::postEvent(
            target, new QMouseEvent(QEvent::MouseButtonPress, at, at, Qt::LeftButton,
                                    Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(
            target, new QMouseEvent(QEvent::MouseButtonRelease, at, at, Qt::LeftButton,
                                    Qt::NoButton, Qt::NoModifier));
    };
    qobject_cast<QPushButton*>(dialog.Control(IDC_RUN_MEMORY))->click();
    services.duringRun = nullptr;
    QCoreApplication::processEvents();
    EXPECT_EQ(services.runs, std::vector<std::string>{"memory 6000"});
}

// A click in any pause of Run All starts a run that outlasts the pause, so the next
// tick falls due during it; the sequence must still end with four results.
TEST_F(QtDialogTest, RunAllEndsWithFourResultsWhateverIsClickedInItsPauses) {
    const int fields[] = {IDC_CPU_SPEED_RESULT, IDC_FLOPS_RESULT, IDC_MEMORY_RESULT,
                          IDC_DISK_RESULT};
    for (size_t pause = 0; pause < 4; ++pause) {
        SCOPED_TRACE(pause);
        services.runs.clear();
        QtDialog dialog(services);
        dialog.show();
        bool byHand = false;
        services.context = &byHand;
        services.duringRun = [](void* p) {
            if (*static_cast<bool*>(p)) QThread::msleep(kRunAllNextDelayMs + 150);
        };
        qobject_cast<QPushButton*>(dialog.Control(IDC_RUN_ALL))->click();
        ASSERT_TRUE(WaitFor([&] { return services.runs.size() == pause; }));

        byHand = true;
        qobject_cast<QPushButton*>(dialog.Control(IDC_RUN_CPU_SPEED))->click();
        byHand = false;
        EXPECT_TRUE(WaitFor([&] {
            for (int field : fields)
                if (TextOf(dialog, field) == "..." ||
                    TextOf(dialog, field).rfind("running", 0) == 0)
                    return false;
            return true;
        }));
        for (int field : fields) EXPECT_NE(TextOf(dialog, field), "...") << field;
        EXPECT_EQ(services.runs.back(), "disk / 6000");
        services.duringRun = nullptr;
    }
}

TEST_F(QtDialogTest, AboutEntryOnceAndEscapeEndsTheDialog) {
    QtDialog dialog(services);
    dialog.PrepareAboutMenu();
    dialog.PrepareAboutMenu();
    ASSERT_EQ(dialog.AboutMenu()->actions().size(), 2);  // separator and entry
    EXPECT_EQ(dialog.AboutMenu()->actions()[1]->text(), "About Kelvane...");
    BoxCloser closer;
    closer.Arm();
    dialog.AboutMenu()->actions()[1]->trigger();
    EXPECT_EQ(closer.caption, "About Kelvane");
    EXPECT_TRUE(closer.text.startsWith("Kelvane 0.4\n\n"));

    dialog.show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&dialog, &escape);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_FALSE(dialog.isVisible());
}

}  // namespace

int main(int argc, char** argv) {
    // Offscreen unless told otherwise, also when CTest lists the tests.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // QApplication adopts the environment's locale; unlike the program, the tests leave
    // LC_NUMERIC as it is, so under de_DE they show that no figure depends on it.
    const char* wanted = std::getenv("LC_ALL");
    if (wanted && *wanted && !std::setlocale(LC_ALL, "")) {
        std::fprintf(stderr, "locale %s is not installed: scripts/install-deps.sh generates it\n",
                     wanted);
        return 1;
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
