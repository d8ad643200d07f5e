// The Qt dialog over the controller, with scripted probes and benchmarks, offscreen.
#include "app/qt/qt_dialog.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
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
#include <memory>
#include <utility>

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

void Click(QtDialog& dialog, int id) {
    qobject_cast<QPushButton*>(dialog.Control(id))->click();
}

// Counts the link's openings, each of which answers `works`.
void CountOpenings(QtDialog& dialog, int* opened, bool works = true) {
    dialog.Link()->open = [opened, works] {
        ++*opened;
        return works;
    };
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
    BoxCloser() { Arm(); }
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
        std::strcpy(services.summary.osVersion, "  \"Debian GNU/Linux 12\" version 6.1.0 ");
        std::strcpy(services.summary.drives.names[0], "/");
        std::strcpy(services.summary.drives.names[1], "/home");
        services.summary.drives.count = 2;
    }
};

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

// Every control at its table place, and every text of the template and the longest each
// field holds whole in the font the dialog really uses (at scale 1 and 2, in C, de_DE and
// ru_RU).
TEST(QtDialogFitTest, EveryControlAtItsPlaceAndEveryTextWhole) {
    QtDialog dialog;  // the real month names of the user's language
    dialog.show();
    QStringList stamps;  // the widest time stamp in every month name
    for (int month = 1; month <= 12; ++month) {
        char name[32], stamp[128];
        GetMonthName(month, name, sizeof name);
        FormatLongestTimeStamp(name, stamp, sizeof stamp);
        stamps << QString::fromLocal8Bit(stamp);
    }

    const QList<QWidget*> rows = dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    size_t checked = 0;
    for (size_t i = 0; i < kMainDialogControlCount; ++i) {
        const ControlTemplate& row = kMainDialogControls[i];
        const QRect place = dialog.ToPixels(row.x, row.y, row.width, row.height);
        QWidget* widget = row.id != -1 ? dialog.Control(row.id) : nullptr;
        // Labels and group boxes have no id: find the one at the row's place.
        for (QWidget* candidate : rows)
            if (!widget && candidate->geometry() == place) widget = candidate;
        ASSERT_NE(widget, nullptr) << row.text;
        EXPECT_EQ(widget->pos(), place.topLeft()) << row.id;
        EXPECT_EQ(widget->width(), place.width()) << row.id;
        if (row.kind != ControlKind::kDropDownList) {
            EXPECT_EQ(widget->height(), place.height()) << row.id;
        }
        QStringList texts;
        if (row.text[0]) texts << QString::fromLatin1(row.text);
        for (size_t j = 0; j < kLongestFieldTextCount; ++j)
            if (kLongestFieldTexts[j].id == row.id)
                texts << QString::fromLocal8Bit(kLongestFieldTexts[j].text);
        if (row.id == IDC_STATUS_LINE) texts << stamps;
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
    EXPECT_EQ(dialog.size(), dialog.ToPixels(0, 0, kDialogWidth, kDialogHeight).size());
    // And the dialog still fits an 800 x 600 screen.
    EXPECT_LE(dialog.width(), 640);
    EXPECT_LE(dialog.height(), 560);
}

// Run All with real timers, and a CPU Speed run by hand in any of its pauses. That run
// outlasts the pause, so the next tick falls due during it: the sequence must lose no step,
// and skip the CPU Speed if it was run by hand before its turn.
TEST_F(QtDialogTest, RunAllRunsTheFourInOrderWhateverIsClickedInItsPauses) {
    for (int pause = -1; pause < 4; ++pause) {  // -1: no click
        SCOPED_TRACE(pause);
        services.runs.clear();
        QtDialog dialog(services);
        dialog.show();
        Click(dialog, IDC_RUN_ALL);
        EXPECT_EQ(dialog.TimerInterval(IDT_RUN_ALL), kRunAllFirstDelayMs);
        std::vector<std::string> expected = {"cpu", "flops 3000", "memory 6000", "disk / 6000"};
        if (pause >= 0) {
            ASSERT_TRUE(WaitFor([&] { return services.runs.size() == size_t(pause); }));
            services.duringRun = [](void*) { QThread::msleep(kRunAllNextDelayMs + 150); };
            Click(dialog, IDC_RUN_CPU_SPEED);
            services.duringRun = nullptr;
            if (pause > 0) expected.insert(expected.begin() + pause, "cpu");
        }
        EXPECT_TRUE(WaitFor([&] { return TextOf(dialog, IDC_DISK_RESULT) == "512 MB/second"; }));
        EXPECT_EQ(services.runs, expected);
    }
}

QMouseEvent* MouseEvent(QEvent::Type type, QPointF at, QPointF global) {
    return new QMouseEvent(type, at, global, Qt::LeftButton,
                           type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                           Qt::NoModifier);
}

void SendMouse(QWidget* target, QEvent::Type type, QPointF at) {
    std::unique_ptr<QMouseEvent> event(MouseEvent(type, at, target->mapToGlobal(at)));
    QCoreApplication::sendEvent(target, event.get());
}

void Press(QWidget* target, QPointF down, QPointF up) {
    SendMouse(target, QEvent::MouseButtonPress, down);
    SendMouse(target, QEvent::MouseButtonRelease, up);
}

// As a button: the release must land on the link; the keyboard reaches it with Tab and
// opens it with Enter or Space; where it cannot open, a warning says so.
TEST_F(QtDialogTest, LinkOpensOnAClickOnItOrFromTheKeyboardAndWarnsWhereItCannot) {
    QtDialog dialog(services);
    dialog.show();
    LinkLabel* link = dialog.Link();
    int opened = 0;
    CountOpenings(dialog, &opened);
    const QPointF inside(5, 5), outside(link->width() + 20, 5), below(5, link->height() + 3);
    Press(link, inside, outside);
    Press(link, inside, below);
    EXPECT_EQ(opened, 0) << "dragged off before the release";
    SendMouse(link, QEvent::MouseButtonRelease, inside);
    EXPECT_EQ(opened, 0) << "a release without a press on the link";
    Press(link, inside, inside);
    EXPECT_EQ(opened, 1);

    // Tab from the last button reaches the link: the next in the chain that takes Tab.
    QWidget* next = dialog.Control(IDC_CLOSE)->nextInFocusChain();
    while (next != &dialog && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    EXPECT_EQ(next, link);
    for (int key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(link, &press);
        QCoreApplication::sendEvent(link, &release);
    }
    EXPECT_EQ(opened, 4);
    EXPECT_EQ(dialog.result(), 0) << "Enter on the link opens it and does not close the dialog";
    EXPECT_TRUE(dialog.isVisible());

    CountOpenings(dialog, &opened, false);
    BoxCloser closer;
    Press(link, inside, inside);
    EXPECT_EQ(opened, 5);
    EXPECT_EQ(closer.caption, "Link Failure");
    EXPECT_EQ(closer.text, "Unable to load website!");
    EXPECT_EQ(link->cursor().shape(), Qt::BitmapCursor);
}

Rgb ToRgb(QColor colour) {
    return {static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()),
            static_cast<uint8_t>(colour.blue())};
}

// The colour on screen at `at` in `widget`, which may lie outside it.
QColor PixelOf(QtDialog& dialog, QWidget* widget, QPoint at) {
    const QImage shot = dialog.grab().toImage();
    return shot.pixelColor(widget->mapTo(&dialog, at) * shot.devicePixelRatio());
}

// Before the first stamp the status line shows what lies behind it; on a dark palette the
// link and the stamp reach the minimum contrast, on a light one they keep their colours.
TEST_F(QtDialogTest, LinkAndStatusLineReadOnDarkAndKeepTheirLookOnLight) {
    const QPalette dark(QColor(53, 53, 53));  // white text on dark grey
    for (bool darkTheme : {false, true}) {
        SCOPED_TRACE(darkTheme ? "dark" : "light");
        QtDialog dialog(services);
        if (darkTheme) dialog.setPalette(dark);
        dialog.show();
        StatusLabel* status = dialog.Status();
        LinkLabel* link = dialog.Link();
        const QPoint middle(status->width() / 2, status->height() / 2);
        EXPECT_EQ(PixelOf(dialog, status, middle).name().toStdString(),
                  PixelOf(dialog, status, QPoint(-3, middle.y())).name().toStdString());
        Click(dialog, IDC_RUN_CPU_SPEED);  // a time stamp
        // Past the end of the texts, where only the background shows.
        const QColor statusFace =
            PixelOf(dialog, status, QPoint(status->width() - 3, status->height() / 2));
        const QColor linkFace = PixelOf(dialog, link, QPoint(2, link->height() / 2));
        const QColor statusText = status->PaintedColour(), linkText = link->PaintedColour();
        if (darkTheme) {
            EXPECT_GE(ContrastRatio(ToRgb(statusText), ToRgb(statusFace)), kMinimumTextContrast);
            EXPECT_GE(ContrastRatio(ToRgb(linkText), ToRgb(linkFace)), kMinimumTextContrast);
            EXPECT_GT(linkText.blue(), linkText.red()) << "still a blue link";
        } else {
            EXPECT_EQ(status->PaintedColour(), QColor(96, 96, 96));
            EXPECT_EQ(link->PaintedColour(), QColor(0, 0, 255));
        }
    }
}

// What a screen reader is told: each value field by its label's name (the two CPU Speed
// fields by their rows) with its value as text, each Run button by its row, the link as a link it
// can press, the status line by name. And a result can be selected and copied.
TEST_F(QtDialogTest, FieldsAreNamedByTheirLabelsForScreenReadersAndCopied) {
    QtDialog dialog(services);
    dialog.show();
    Click(dialog, IDC_RUN_DISK);
    // The value fields in template order.
    const char* const names[] = {
        "CPU Speed (measured)", "CPU FLOPS",           "Mem Bandwidth", "Disk Transfer",
        "CPU Details",          "CPU Family",          "Model",         "Stepping",
        "Instructions",         "CPU Speed (nominal)", "Vendor",        "Cores",
        "Memory (RAM)",         "Video Memory",        "OS Version"};
    size_t fields = 0;
    for (size_t i = 0; i < kMainDialogControlCount; ++i) {
        if (kMainDialogControls[i].kind != ControlKind::kValueField) continue;
        ASSERT_LT(fields, std::size(names));
        const int id = kMainDialogControls[i].id;
        const char* name = names[fields++];
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(dialog.Control(id));
        ASSERT_NE(view, nullptr) << name;
        EXPECT_EQ(view->text(QAccessible::Name).toStdString(), name) << id;
        QAccessibleTextInterface* text = view->textInterface();
        ASSERT_NE(text, nullptr) << name;
        EXPECT_EQ(text->text(0, text->characterCount()).toStdString(), TextOf(dialog, id)) << name;
        EXPECT_TRUE(view->state().selectableText) << name;
        EXPECT_FALSE(view->relations(QAccessible::Label).isEmpty())
            << name << " is labelled by its label";
    }
    EXPECT_EQ(fields, std::size(names));
    // The four buttons that all show "Run" are told apart by their rows.
    const std::pair<int, const char*> buttons[] = {{IDC_RUN_CPU_SPEED, "Run CPU Speed"},
                                                   {IDC_RUN_FLOPS, "Run CPU FLOPS"},
                                                   {IDC_RUN_MEMORY, "Run Mem Bandwidth"},
                                                   {IDC_RUN_DISK, "Run Disk Transfer"}};
    for (const auto& button : buttons) {
        QAccessibleInterface* view =
            QAccessible::queryAccessibleInterface(dialog.Control(button.first));
        ASSERT_NE(view, nullptr) << button.second;
        EXPECT_EQ(view->role(), QAccessible::Button);
        EXPECT_EQ(view->text(QAccessible::Name).toStdString(), button.second);
        EXPECT_EQ(TextOf(dialog, button.first), "Run");
    }

    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(dialog.Link());
    EXPECT_EQ(link->role(), QAccessible::Link);
    EXPECT_EQ(link->text(QAccessible::Name), "www.kelvane.example");
    EXPECT_TRUE(link->state().focusable);
    ASSERT_NE(link->actionInterface(), nullptr);
    int opened = 0;
    CountOpenings(dialog, &opened);
    link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, 1);

    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(dialog.Status());
    EXPECT_FALSE(status->text(QAccessible::Name).isEmpty());
    EXPECT_EQ(status->textInterface()->text(0, -1), "Time Stamp:  April 3, 2009 at 18:33:49");

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
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(static_cast<QWidget*>(p),
                                        MouseEvent(type, QPointF(3, 3), QPointF(3, 3)));
    };
    Click(dialog, IDC_RUN_MEMORY);
    services.duringRun = nullptr;
    QCoreApplication::processEvents();
    EXPECT_EQ(services.runs, std::vector<std::string>{"memory 6000"});
}

// From opening to Escape: the fields keep their texts whole, the About entry shows the box.
TEST_F(QtDialogTest, OpeningFillsTheFieldsAboutEntryShowsTheBoxAndEscapeEndsTheDialog) {
    QtDialog dialog(services);
    EXPECT_EQ(dialog.windowTitle(), "Kelvane 0.4");
    EXPECT_EQ(TextOf(dialog, IDC_CPU_DETAILS), services.summary.cpuDetails);
    EXPECT_EQ(TextOf(dialog, IDC_OS_VERSION), services.summary.osVersion);
    EXPECT_EQ(TextOf(dialog, IDC_WEB_LINK), "www.kelvane.example");

    dialog.PrepareAboutMenu();
    ASSERT_EQ(dialog.AboutMenu()->actions().size(), 2);  // separator and entry
    EXPECT_EQ(dialog.AboutMenu()->actions()[1]->text(), "About Kelvane...");
    BoxCloser closer;
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
