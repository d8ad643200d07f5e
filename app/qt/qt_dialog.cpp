#include "app/qt/qt_dialog.h"

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

#include "app/dialog_layout.h"
#include "res/resource.h"
#include "text/bounded_copy.h"
#include "ui/qt/custom_labels.h"

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

}  // namespace

QtDialog::QtDialog(ControllerServices& services, QWidget* parent)
    : QDialog(parent), controller_(MakeMainDialog(*this, services)), menu_(this) {
    // Windows' dialog base units: the average width of the letters and the font height.
    QFontMetrics metrics(font());
    const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    baseX_ = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    baseY_ = metrics.height();
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(ToPixels(0, 0, kDialogWidth, kDialogHeight).size());
    BuildControls();
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
    QList<QGroupBox*> groups;
    for (size_t i = 0; i < kMainDialogControlCount; ++i) {
        const ControlSpec& row = kMainDialogControls[i];
        QWidget* widget = nullptr;
        const QString text = QString::fromLatin1(row.text);
        switch (row.kind) {
            case ControlKind::kLabel:
            case ControlKind::kValueField: {
                auto* label = new QLabel(text, this);
                label->setAlignment(ToAlignment(row.align, row.wordWrap));
                label->setWordWrap(row.wordWrap);
                label->setTextFormat(Qt::PlainText);
                if (row.sunken) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                widget = label;
                break;
            }
            case ControlKind::kButton: {
                auto* button = new QPushButton(text, this);
                const int id = row.id;
                connect(button, &QPushButton::clicked, this,
                        [this, id] { OnDialogCommand(&controller_, id); });
                if (row.id == IDC_CLOSE) button->setDefault(true);  // Enter is command 1
                widget = button;
                break;
            }
            case ControlKind::kDropDownList: {
                auto* list = new QComboBox(this);
                widget = list;
                break;
            }
            case ControlKind::kGroupBox: {
                auto* group = new QGroupBox(text, this);
                groups.append(group);
                widget = group;
                break;
            }
            case ControlKind::kStatusLine:
                widget = status_ = new StatusLabel(this);
                break;
            case ControlKind::kLink:
                widget = link_ = new LinkLabel(this);
                break;
        }
        QRect place = ToPixels(row.x, row.y, row.width, row.height);
        if (row.kind == ControlKind::kDropDownList) place.setHeight(widget->sizeHint().height());
        widget->setGeometry(place);
        widget->setFocusPolicy(row.tabStop ? Qt::StrongFocus : Qt::NoFocus);
        if (row.tabStop) {
            if (previous) setTabOrder(previous, widget);
            previous = widget;
        }
        if (row.id != -1) controls_[row.id] = widget;
    }
    // Group boxes come late in the table but lie under the controls they frame.
    for (QGroupBox* group : groups) group->lower();
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
