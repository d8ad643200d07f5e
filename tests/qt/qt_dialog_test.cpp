// The Qt dialog over the controller, with scripted probes and benchmarks, offscreen.
#include "app/qt/qt_dialog.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QThread>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/dialog_layout.h"
#include "app/duration.h"
#include "fakes/fake_controller_services.h"
#include "platform/month_name.h"
#include "res/resource.h"
#include "ui/label_rules.h"
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

// Where `widget` draws `text`, and the room it has for it, measured as the widget paints:
// the label's frame and indent, the button's contents, the painted labels' offsets.
struct TextRoom {
    QRect text, room;
};

TextRoom MeasureText(QWidget* widget, const QString& text) {
    const QRect unbounded(0, 0, 100000, 100000);
    if (auto* painted = dynamic_cast<PaintedLabel*>(widget)) {
        const QFontMetrics metrics(painted->font());
        // The engraved copy lies a pixel right and down of the text.
        return {metrics.boundingRect(unbounded, 0, text).adjusted(0, 0, 1, 1), painted->rect()};
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        const QFontMetrics metrics(label->font());
        QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                    -label->margin(), -label->margin());
        int indent = label->indent();
        if (indent < 0 && label->frameWidth() > 0)
            indent = metrics.horizontalAdvance(u'x') / 2 - label->margin();
        if (indent > 0) {
            if (label->alignment() & Qt::AlignLeft) room.setLeft(room.left() + indent);
            if (label->alignment() & Qt::AlignRight) room.setRight(room.right() - indent);
            if (label->alignment() & Qt::AlignTop) room.setTop(room.top() + indent);
        }
        return {metrics.boundingRect(unbounded, 0, text), room};
    }
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        if (button->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
        if (button->autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
        const QRect room =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        return {QRect(QPoint(0, 0), button->fontMetrics().size(Qt::TextShowMnemonic, text)), room};
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        const int advance = group->fontMetrics().horizontalAdvance(text);
        return {QRect(0, 0, advance, 0), group->rect().adjusted(10, 0, -10, 0)};
    }
    return {};
}

// Every text of the template, and the longest each field holds, shows whole in the font
// the dialog really uses (run at scale 1 and 2, in C, de_DE and ru_RU).
TEST(QtDialogFitTest, EveryTextFitsItsControl) {
    QtDialog dialog;  // the real month names of the user's language
    dialog.show();
    QString widestStamp;
    for (int month = 1; month <= 12; ++month) {
        char name[32], stamp[128];
        GetMonthName(month, name, sizeof name);
        FormatLongestTimeStamp(name, stamp, sizeof stamp);
        if (dialog.Status()->fontMetrics().horizontalAdvance(QString::fromLocal8Bit(stamp)) >
            dialog.Status()->fontMetrics().horizontalAdvance(widestStamp))
            widestStamp = QString::fromLocal8Bit(stamp);
    }
    ASSERT_FALSE(widestStamp.isEmpty());

    QList<QWidget*> rows;
    for (QObject* child : dialog.children())
        if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow())
            rows << widget;
    size_t checked = 0;
    for (size_t i = 0; i < kMainDialogControlCount; ++i) {
        const ControlSpec& row = kMainDialogControls[i];
        QWidget* widget = row.id != -1 ? dialog.Control(row.id) : nullptr;
        if (!widget) {
            // Labels and group boxes have no id: find the one at the row's place.
            const QRect place = dialog.ToPixels(row.x, row.y, row.width, row.height);
            for (QWidget* candidate : rows)
                if (candidate->geometry() == place) widget = candidate;
        }
        ASSERT_NE(widget, nullptr) << row.text;
        QStringList texts;
        if (row.text[0]) texts << QString::fromLatin1(row.text);
        for (size_t j = 0; j < kLongestFieldTextCount; ++j)
            if (kLongestFieldTexts[j].id == row.id)
                texts << QString::fromLocal8Bit(kLongestFieldTexts[j].text);
        if (row.id == IDC_STATUS_LINE) texts << widestStamp;
        for (const QString& text : texts) {
            const TextRoom measured = MeasureText(widget, text);
            if (measured.room.isNull()) continue;
            ++checked;
            EXPECT_LE(measured.text.width(), measured.room.width())
                << text.toStdString() << " in " << row.id;
            EXPECT_LE(measured.text.height(), measured.room.height())
                << text.toStdString() << " in " << row.id;
        }
    }
    EXPECT_GE(checked, 40u);
    // And the dialog still fits an 800 x 600 screen.
    EXPECT_LE(dialog.width(), 640);
    EXPECT_LE(dialog.height(), 560);
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

void SendMouse(QWidget* target, QEvent::Type type, QPointF at) {
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

void SendKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
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
    SendMouse(dialog.Link(), QEvent::MouseButtonPress, QPointF(5, 5));
    SendMouse(dialog.Link(), QEvent::MouseButtonRelease, QPointF(5, 5));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(closer.caption, "Link Failure");
    EXPECT_EQ(closer.text, "Unable to load website!");
    EXPECT_EQ(dialog.Link()->cursor().shape(), Qt::BitmapCursor);
}

// As a button: the release must land on the link; the keyboard reaches it with Tab and
// opens it with Enter or Space.
TEST_F(QtDialogTest, LinkOpensOnAClickOnItOrFromTheKeyboard) {
    QtDialog dialog(services);
    dialog.show();
    QWidget* link = dialog.Link();
    int opened = 0;
    dialog.Link()->open = [&] {
        ++opened;
        return true;
    };
    const QPointF inside(5, 5), outside(link->width() + 20, 5), below(5, link->height() + 3);
    SendMouse(link, QEvent::MouseButtonPress, inside);
    SendMouse(link, QEvent::MouseButtonRelease, outside);
    SendMouse(link, QEvent::MouseButtonPress, inside);
    SendMouse(link, QEvent::MouseButtonRelease, below);
    EXPECT_EQ(opened, 0) << "dragged off before the release";
    SendMouse(link, QEvent::MouseButtonRelease, inside);
    EXPECT_EQ(opened, 0) << "a release without a press on the link";
    SendMouse(link, QEvent::MouseButtonPress, inside);
    SendMouse(link, QEvent::MouseButtonRelease, inside);
    EXPECT_EQ(opened, 1);

    // Tab from the last button reaches the link: the next in the chain that takes Tab.
    QWidget* next = dialog.Control(IDC_CLOSE)->nextInFocusChain();
    while (next != &dialog && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    EXPECT_EQ(next, link);
    SendKey(link, Qt::Key_Return);
    SendKey(link, Qt::Key_Space);
    SendKey(link, Qt::Key_Enter);
    EXPECT_EQ(opened, 4);
    EXPECT_EQ(dialog.result(), 0) << "Enter on the link opens it and does not close the dialog";
    EXPECT_TRUE(dialog.isVisible());
}

Rgb ToRgb(QColor colour) {
    return {static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()),
            static_cast<uint8_t>(colour.blue())};
}

// The colour on screen at `at` in `widget`, and a pixel of the dialog around it.
QColor PixelOf(QtDialog& dialog, QWidget* widget, QPoint at) {
    const QImage shot = dialog.grab().toImage();
    return shot.pixelColor(widget->mapTo(&dialog, at) * shot.devicePixelRatio());
}

TEST_F(QtDialogTest, StatusLineShowsTheGroupBoxBehindIt) {
    QtDialog dialog(services);
    dialog.show();
    StatusLabel* status = dialog.Status();
    // Before the first stamp it shows only its background: the same as beside it.
    const QColor inside =
        PixelOf(dialog, status, QPoint(status->width() / 2, status->height() / 2));
    const QColor beside = PixelOf(dialog, status, QPoint(-3, status->height() / 2));
    EXPECT_EQ(inside.name().toStdString(), beside.name().toStdString());
}

TEST_F(QtDialogTest, LinkAndStatusLineReadOnDarkAndKeepTheirLookOnLight) {
    QPalette dark;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        dark.setColor(group, QPalette::Window, QColor(53, 53, 53));
        dark.setColor(group, QPalette::WindowText, Qt::white);
        dark.setColor(group, QPalette::Base, QColor(35, 35, 35));
        dark.setColor(group, QPalette::Text, Qt::white);
        dark.setColor(group, QPalette::Button, QColor(53, 53, 53));
        dark.setColor(group, QPalette::ButtonText, Qt::white);
    }
    for (bool darkTheme : {false, true}) {
        SCOPED_TRACE(darkTheme ? "dark" : "light");
        QtDialog dialog(services);
        if (darkTheme) dialog.setPalette(dark);
        dialog.show();
        qobject_cast<QPushButton*>(dialog.Control(IDC_RUN_CPU_SPEED))->click();  // a time stamp
        StatusLabel* status = dialog.Status();
        LinkLabel* link = dialog.Link();
        // Past the end of the texts, where only the background shows.
        const QColor statusFace =
            PixelOf(dialog, status, QPoint(status->width() - 3, status->height() / 2));
        const QColor linkFace = PixelOf(dialog, link, QPoint(2, link->height() / 2));
        const Rgb statusText = ToRgb(status->PaintedColour());
        const Rgb linkText = ToRgb(link->PaintedColour());
        if (darkTheme) {
            EXPECT_GE(ContrastRatio(statusText, ToRgb(statusFace)), kMinimumTextContrast);
            EXPECT_GE(ContrastRatio(linkText, ToRgb(linkFace)), kMinimumTextContrast);
            EXPECT_GT(linkText.blue, linkText.red) << "still a blue link";
        } else {
            EXPECT_EQ(status->PaintedColour(), QColor(96, 96, 96));
            EXPECT_EQ(link->PaintedColour(), QColor(0, 0, 255));
        }
    }
}

// What a screen reader is told: each value field by its label's name with its value as
// text, the link as a link it can press, the status line by name.
TEST_F(QtDialogTest, FieldsAreNamedByTheirLabelsForScreenReaders) {
    std::strcpy(services.summary.nominalSpeed, "2.60 GHz");
    QtDialog dialog(services);
    dialog.show();
    qobject_cast<QPushButton*>(dialog.Control(IDC_RUN_CPU_SPEED))->click();
    const struct {
        int id;
        const char* name;
    } fields[] = {
        {IDC_CPU_SPEED_RESULT, "CPU Speed"},
        {IDC_FLOPS_RESULT, "CPU FLOPS"},
        {IDC_MEMORY_RESULT, "Mem Bandwidth"},
        {IDC_DISK_RESULT, "Disk Transfer"},
        {IDC_CPU_DETAILS, "CPU Details"},
        {IDC_CPU_FAMILY, "CPU Family"},
        {IDC_CPU_MODEL, "Model"},
        {IDC_CPU_STEPPING, "Stepping"},
        {IDC_INSTRUCTIONS, "Instructions"},
        {IDC_NOMINAL_SPEED, "CPU Speed"},
        {IDC_VENDOR, "Vendor"},
        {IDC_CORES, "Cores"},
        {IDC_MEMORY, "Memory (RAM)"},
        {IDC_VIDEO_MEMORY, "Video Memory"},
        {IDC_OS_VERSION, "OS Version"},
    };
    for (const auto& field : fields) {
        QAccessibleInterface* view =
            QAccessible::queryAccessibleInterface(dialog.Control(field.id));
        ASSERT_NE(view, nullptr) << field.name;
        EXPECT_EQ(view->text(QAccessible::Name).toStdString(), field.name);
        ASSERT_NE(view->textInterface(), nullptr) << field.name;
        EXPECT_EQ(
            view->textInterface()->text(0, view->textInterface()->characterCount()).toStdString(),
            TextOf(dialog, field.id));
        EXPECT_TRUE(view->state().selectableText) << field.name;
        EXPECT_FALSE(view->relations(QAccessible::Label).isEmpty())
            << field.name << " is labelled by its label";
    }
    QAccessibleInterface* speed =
        QAccessible::queryAccessibleInterface(dialog.Control(IDC_NOMINAL_SPEED));
    EXPECT_EQ(speed->textInterface()->text(0, -1), "2.60 GHz");

    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(dialog.Link());
    EXPECT_EQ(link->role(), QAccessible::Link);
    EXPECT_EQ(link->text(QAccessible::Name), "www.kelvane.example");
    EXPECT_TRUE(link->state().focusable);
    ASSERT_NE(link->actionInterface(), nullptr);
    EXPECT_TRUE(
        link->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    int opened = 0;
    dialog.Link()->open = [&] {
        ++opened;
        return true;
    };
    link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, 1);

    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(dialog.Status());
    EXPECT_FALSE(status->text(QAccessible::Name).isEmpty());
    EXPECT_EQ(status->textInterface()->text(0, -1), "Time Stamp:  April 3, 2009 at 18:33:49");
}

TEST_F(QtDialogTest, ResultsCanBeSelectedAndCopied) {
    QtDialog dialog(services);
    dialog.show();
    qobject_cast<QPushButton*>(dialog.Control(IDC_RUN_DISK))->click();
    auto* field = qobject_cast<QLabel*>(dialog.Control(IDC_DISK_RESULT));
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(field->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_TRUE(field->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    EXPECT_EQ(field->focusPolicy(), Qt::ClickFocus) << "Tab keeps to the template's stops";
    field->setSelection(0, static_cast<int>(field->text().size()));
    EXPECT_EQ(field->selectedText(), "512 MB/second");
    QApplication::clipboard()->clear();
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
    QCoreApplication::sendEvent(field, &copy);
    EXPECT_EQ(QApplication::clipboard()->text(), "512 MB/second");
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
