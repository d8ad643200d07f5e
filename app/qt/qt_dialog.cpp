#include "app/qt/qt_dialog.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>

#include "app/dialog_layout.h"
#include "res/resource.h"
#include "text/bounded_copy.h"
#include "ui/accessible_name.h"
#include "ui/qt/custom_labels.h"
#include "ui/qt/label_accessibility.h"

namespace {

int MulDiv(int value, int numerator, int denominator) {
    long long product = static_cast<long long>(value) * numerator;
    return static_cast<int>((product + (product >= 0 ? denominator / 2 : -denominator / 2)) /
                            denominator);
}

Qt::Alignment ToAlignment(Align align, bool wordWrap) {
    Qt::Alignment vertical = wordWrap ? Qt::AlignTop : Qt::AlignVCenter;
    switch (align) {
        case Align::kLeft:
            return Qt::AlignLeft | vertical;
        case Align::kRight:
            return Qt::AlignRight | vertical;
        default:
            return Qt::AlignHCenter | vertical;
    }
}

// Drops keyboard and mouse events while it is installed.
class InputSwallower final : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::Wheel:
            case QEvent::Shortcut:
                return true;
            default:
                return false;
        }
    }
};

// A push button whose style options the dialog can read, to measure its room for text.
class DialogButton final : public QPushButton {
  public:
    using QPushButton::initStyleOption;
    using QPushButton::QPushButton;
};

// "Memory (RAM):" names its field "Memory (RAM)", by the rule both dialogs share.
QString AccessibleName(const QString& label) {
    char name[64];
    AccessibleNameFromLabel(label.toUtf8().constData(), name, sizeof name);
    return QString::fromUtf8(name);
}

// The pixels `widget` needs to show `text` whole, on one line per line of the text;
// an empty size where the text does not depend on the widget's size.
QSize NeededSize(QWidget* widget, const QString& text) {
    if (auto* painted = dynamic_cast<PaintedLabel*>(widget)) {
        const QRect bounds =
            QFontMetrics(painted->font()).boundingRect(QRect(0, 0, 4096, 4096), 0, text);
        return bounds.size() + QSize(1, 1);  // the engraved copy lies a pixel right and down
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        // The label's own measure, frame and indent included, with wrapping off: each
        // line of the text must fit, not only its longest word.
        const QString saved = label->text();
        const bool wrap = label->wordWrap();
        label->setWordWrap(false);
        label->setText(text);
        const QSize size = label->sizeHint();
        label->setText(saved);
        label->setWordWrap(wrap);
        return size;
    }
    if (auto* button = dynamic_cast<DialogButton*>(widget)) {
        QStyleOptionButton option;
        button->initStyleOption(&option);
        option.text = text;
        const QSize probe(1000, 1000);
        option.rect = QRect(QPoint(0, 0), probe);
        const QRect room =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        return option.fontMetrics.size(Qt::TextShowMnemonic, text) + probe - room.size();
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        // The title and the frame's corners beside it.
        const QFontMetrics metrics(group->font());
        return QSize(metrics.horizontalAdvance(text) + 4 * metrics.horizontalAdvance(u'x'), 0);
    }
    return QSize();
}

}  // namespace

QtDialog::QtDialog(ControllerServices& services, QWidget* parent)
    : QDialog(parent), controller_(MakeMainDialog(*this, services)), menu_(this) {
    InstallLabelAccessibility();
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    BuildControls();
    ChooseDialogUnits();
    PlaceControls();
    OnDialogOpened(&controller_);
}

QRect QtDialog::ToPixels(int x, int y, int width, int height) const {
    return QRect(MulDiv(x, baseX_, 4), MulDiv(y, baseY_, 8), MulDiv(width, baseX_, 4),
                 MulDiv(height, baseY_, 8));
}

QWidget* QtDialog::Control(int id) const {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void QtDialog::BuildControls() {
    QWidget* previous = nullptr;
    QLabel* lastLabel = nullptr;
    for (size_t i = 0; i < kMainDialogControlCount; ++i) {
        const ControlTemplate& row = kMainDialogControls[i];
        QWidget* widget = nullptr;
        const QString text = QString::fromLatin1(row.text);
        // Besides the template's tab stops, the link takes the focus: the keyboard's
        // only way to it.
        bool tabStop = row.tabStop;
        switch (row.kind) {
            case ControlKind::kLabel:
            case ControlKind::kValueField: {
                auto* label = new QLabel(text, this);
                label->setAlignment(ToAlignment(row.align, row.wordWrap));
                label->setWordWrap(row.wordWrap);
                label->setTextFormat(Qt::PlainText);
                if (row.kind == ControlKind::kLabel) {
                    lastLabel = label;
                } else {
                    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                    // A result can be selected and copied, as from a read-only field; the
                    // field looks as before, and a click gives it the focus for the keys.
                    label->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                                   Qt::TextSelectableByKeyboard);
                    if (lastLabel) {
                        // Each field follows its label in the table.
                        const char* rowName = AccessibleRowName(row.id);
                        MarkValueField(label, rowName ? QString::fromLatin1(rowName)
                                                      : AccessibleName(lastLabel->text()));
                        lastLabel->setBuddy(label);
                    }
                }
                widget = label;
                break;
            }
            case ControlKind::kButton: {
                auto* button = new DialogButton(text, this);
                const int id = row.id;
                connect(button, &QPushButton::clicked, this,
                        [this, id] { OnDialogCommand(&controller_, id); });
                if (row.id == IDC_CLOSE) button->setDefault(true);  // Enter is command 1
                if (const char* rowName = AccessibleRowName(row.id))
                    button->setAccessibleName(QString::fromLatin1(rowName));
                widget = button;
                break;
            }
            case ControlKind::kDropDownList:
                widget = new QComboBox(this);
                break;
            case ControlKind::kGroupBox:
                widget = new QGroupBox(text, this);
                break;
            case ControlKind::kStatusLine:
                widget = status_ = new StatusLabel(this);
                status_->setAccessibleName(QStringLiteral("Time stamp of the last test"));
                break;
            case ControlKind::kLink:
                widget = link_ = new LinkLabel(this);
                tabStop = true;
                break;
        }
        if (row.kind == ControlKind::kValueField)
            widget->setFocusPolicy(Qt::ClickFocus);
        else
            widget->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::NoFocus);
        if (tabStop) {
            if (previous) setTabOrder(previous, widget);
            previous = widget;
        }
        if (row.id != -1) controls_[row.id] = widget;
        rows_.push_back(widget);
    }
    // Group boxes come late in the table but lie under the controls they frame.
    for (QWidget* widget : rows_)
        if (qobject_cast<QGroupBox*>(widget)) widget->lower();
}

QStringList QtDialog::LongestTexts(int id) const {
    QStringList texts;
    for (size_t i = 0; i < kLongestFieldTextCount; ++i)
        if (kLongestFieldTexts[i].id == id)
            texts << QString::fromLocal8Bit(kLongestFieldTexts[i].text);
    if (id == IDC_STATUS_LINE) {
        // The month names are the user's; which is widest depends on the font.
        for (int month = 1; month <= 12; ++month) {
            char name[32] = "", stamp[128];
            controller_.services->MonthName(month, name, sizeof name);
            FormatLongestTimeStamp(name, stamp, sizeof stamp);
            texts << QString::fromLocal8Bit(stamp);
        }
    }
    return texts;
}

void QtDialog::ChooseDialogUnits() {
    // Windows' dialog base units: the average width of the letters and the font height.
    QFontMetrics metrics(font());
    const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    baseX_ = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    baseY_ = metrics.height();
    // The template was drawn for a font whose letters are narrower than those of the
    // fonts Linux desktops have: widen the units until every text fits its control.
    constexpr int kLargestUnit = 64;
    for (size_t i = 0; i < kMainDialogControlCount; ++i) {
        const ControlTemplate& row = kMainDialogControls[i];
        QStringList texts = LongestTexts(row.id);
        if (row.text[0]) texts << QString::fromLatin1(row.text);
        for (const QString& text : texts) {
            const QSize need = NeededSize(rows_[i], text);
            while (MulDiv(row.width, baseX_, 4) < need.width() && baseX_ < kLargestUnit) ++baseX_;
            while (MulDiv(row.height, baseY_, 8) < need.height() && baseY_ < kLargestUnit) ++baseY_;
        }
    }
}

void QtDialog::PlaceControls() {
    for (size_t i = 0; i < kMainDialogControlCount; ++i) {
        const ControlTemplate& row = kMainDialogControls[i];
        QRect place = ToPixels(row.x, row.y, row.width, row.height);
        if (row.kind == ControlKind::kDropDownList) place.setHeight(rows_[i]->sizeHint().height());
        rows_[i]->setGeometry(place);
    }
    setFixedSize(ToPixels(0, 0, kDialogWidth, kDialogHeight).size());
}

void QtDialog::SetCaption(const char* text) {
    setWindowTitle(QString::fromLocal8Bit(text));
}

void QtDialog::SetSmallIcon() {
    QIcon icon(":/kelvane.png");
    setWindowIcon(icon.isNull() ? style()->standardIcon(QStyle::SP_MessageBoxInformation) : icon);
}

void QtDialog::CenterOnDesktop() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect desktop = screen->availableGeometry();
        move(desktop.center() - QPoint(width() / 2, height() / 2));
    }
}

void QtDialog::SetText(int id, const char* text) {
    QWidget* widget = Control(id);
    if (auto* painted = dynamic_cast<PaintedLabel*>(widget)) {
        // It paints 62 characters; the window text keeps them all, as on Windows.
        painted->SetLabelText(text);
        painted->setProperty("fullText", QString::fromLocal8Bit(text));
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(QString::fromLocal8Bit(text));
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        button->setText(QString::fromLocal8Bit(text));
    }
}

void QtDialog::GetText(int id, char* out, size_t capacity) {
    if (!out || capacity == 0) return;
    QWidget* widget = Control(id);
    QString text;
    if (widget == status_ || widget == link_)
        text = widget->property("fullText").toString();
    else if (auto* label = qobject_cast<QLabel*>(widget))
        text = label->text();
    else if (auto* button = qobject_cast<QPushButton*>(widget))
        text = button->text();
    CopyBounded(out, text.toLocal8Bit().constData(), capacity);
}

void QtDialog::Repaint(int id) {
    if (QWidget* widget = Control(id)) widget->repaint();
    // The window keeps painting while a benchmark holds the thread; input and timers wait,
    // as they do while a Windows dialog procedure runs: a Run All tick handled here would
    // meet the run in progress.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::X11ExcludeTimers);
}

void QtDialog::Invalidate(int id) {
    if (QWidget* widget = Control(id)) widget->update();
}

void QtDialog::Enable(int id, bool enabled) {
    if (QWidget* widget = Control(id)) widget->setEnabled(enabled);
}

void QtDialog::SetToolTip(int id, const char* text) {
    if (QWidget* widget = Control(id)) widget->setToolTip(QString::fromUtf8(text));
}

void QtDialog::Focus(int id) {
    if (QWidget* widget = Control(id)) widget->setFocus();
}

int QtDialog::AppendListItem(int id, const char* text) {
    auto* list = qobject_cast<QComboBox*>(Control(id));
    if (!list) return -1;
    list->addItem(QString::fromLocal8Bit(text));
    return list->count() - 1;
}

void QtDialog::SelectListItem(int id, int index) {
    if (auto* list = qobject_cast<QComboBox*>(Control(id))) list->setCurrentIndex(index);
}

void QtDialog::GetSelectedListText(int id, char* out, size_t capacity) {
    if (!out || capacity == 0) return;
    out[0] = '\0';
    auto* list = qobject_cast<QComboBox*>(Control(id));
    if (list && list->currentIndex() >= 0)
        CopyBounded(out, list->currentText().toLocal8Bit().constData(), capacity);
}

void QtDialog::StartTimer(int timerId, unsigned milliseconds) {
    QTimer*& timer = timers_[timerId];
    if (!timer) {
        timer = new QTimer(this);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this,
                [this, timerId] { OnDialogTimer(&controller_, timerId); });
    }
    timer->start(static_cast<int>(milliseconds));
}

int QtDialog::TimerInterval(int timerId) const {
    auto found = timers_.find(timerId);
    return found == timers_.end() ? 0 : found->second->interval();
}

void QtDialog::StopTimer(int timerId) {
    auto found = timers_.find(timerId);
    if (found != timers_.end()) found->second->stop();
}

void QtDialog::ShowMessage(const char* text, const char* caption, MessageIcon icon) {
    QMessageBox::Icon kind = icon == MessageIcon::kError     ? QMessageBox::Critical
                             : icon == MessageIcon::kWarning ? QMessageBox::Warning
                                                             : QMessageBox::Information;
    QMessageBox box(kind, QString::fromLocal8Bit(caption), QString::fromLocal8Bit(text),
                    QMessageBox::Ok, this);
    box.exec();
}

void QtDialog::AddSystemMenuEntry(int commandId, const char* text) {
    menu_.addSeparator();
    QAction* about = menu_.addAction(QString::fromLocal8Bit(text));
    connect(about, &QAction::triggered, this, [this, commandId] {
        OnDialogSystemCommand(&controller_, static_cast<uint32_t>(commandId));
    });
}

void QtDialog::DiscardQueuedInput() {
    InputSwallower swallower;
    QCoreApplication::instance()->installEventFilter(&swallower);
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(&swallower);
}

void QtDialog::EndDialog(int result) {
    done(result);
}

void QtDialog::reject() {
    OnDialogCommand(&controller_, IDC_CANCEL);
}

void QtDialog::keyPressEvent(QKeyEvent* event) {
    // Enter gives command 1 wherever the focus is, as the Windows dialog manager does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnDialogCommand(&controller_, IDC_CLOSE);
        return;
    }
    QDialog::keyPressEvent(event);
}

void QtDialog::PrepareAboutMenu() {
    OnDialogMenuPopup(&controller_);
}

void QtDialog::contextMenuEvent(QContextMenuEvent* event) {
    // Qt has no system menu: the window's context menu carries the About entry.
    PrepareAboutMenu();
    menu_.exec(event->globalPos());
}
