#include "ui/qt/custom_labels.h"

#include <QBitmap>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "res/hand_cursor.h"

namespace {

QColor ToColor(Rgb colour) {
    return QColor(colour.red, colour.green, colour.blue);
}
Rgb ToRgb(const QColor& colour) {
    return {static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()),
            static_cast<uint8_t>(colour.blue())};
}

// The standard font with the request's changes, as the Windows labels derive theirs.
QFont FontFor(const QWidget* widget, const GuiFontRequest& request) {
    QFont font = widget->font();
    if (request.face && *request.face) {
        font.setFamily(request.face);
        font.setStyleHint(QFont::SansSerif);  // Verdana, else the closest sans font
    }
    if (request.points) font.setPointSize(request.points);
    font.setBold(request.bold);
    font.setItalic(request.italic);
    font.setUnderline(request.underline);
    return font;
}

}  // namespace

PaintedLabel::PaintedLabel(QWidget* parent, const GuiFontRequest& font) : QWidget(parent) {
    setFont(FontFor(this, font));
}

void PaintedLabel::SetLabelText(const char* text) {
    CopyLabelText(text_, text);
    update();
}

QColor PaintedLabel::BackgroundColour() const {
    const QWidget* face = parentWidget() ? parentWidget() : this;
    return face->palette().color(QPalette::Window);
}

// Windows fills the control with the dialog's face colour; here the widget paints no
// background, so the group box's own shade shows through rather than a lighter patch.
// Qt repaints what lies behind first, which erases the previous text as the fill did.
void StatusLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    const QString text = QString::fromLocal8Bit(text_);
    const EngravedColours colours = EngravedColoursOn(ToRgb(BackgroundColour()));
    QRect rc = rect();
    painter.setPen(ToColor(colours.highlight));
    painter.drawText(rc, Qt::AlignLeft | Qt::AlignTop, text);
    painted_ = ToColor(colours.text);
    painter.setPen(painted_);
    painter.drawText(rc.translated(-1, -1), Qt::AlignLeft | Qt::AlignTop, text);
}

LinkLabel::LinkLabel(QWidget* parent) : PaintedLabel(parent, kLinkFont) {
    setCursor(MakeHandCursor());
}

void LinkLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painted_ = ToColor(TextColourOn(kLinkColour, ToRgb(BackgroundColour())));
    painter.setPen(painted_);
    const QString text = QString::fromLocal8Bit(text_);
    painter.drawText(rect(), Qt::AlignHCenter | Qt::AlignTop, text);
    if (hasFocus()) {
        // Keyboard users see where the focus is, as on a button.
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = painter.boundingRect(rect(), Qt::AlignHCenter | Qt::AlignTop, text) & rect();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void LinkLabel::Activate() {
    if (!open || !open()) {
        QMessageBox box(QMessageBox::Warning, kLinkFailureCaption, kLinkFailureText,
                        QMessageBox::Ok);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.exec();
    }
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) pressed_ = true;
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    // As a button does: a press dragged off the link and released elsewhere opens nothing.
    const bool click = pressed_ && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click) Activate();
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (!event->isAutoRepeat()) Activate();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

QCursor MakeHandCursor() {
    // Qt's monochrome cursors: bitmap 1 is black, mask 1 is opaque. AND 0 + XOR 0 is
    // black, AND 0 + XOR 1 white, AND 1 transparent.
    unsigned char bitmap[128], mask[128];
    for (int i = 0; i < 128; ++i) {
        mask[i] = static_cast<unsigned char>(~kHandCursorAnd[i]);
        bitmap[i] = static_cast<unsigned char>(~kHandCursorAnd[i] & ~kHandCursorXor[i]);
    }
    const QSize size(KELVANE_HAND_CURSOR_SIZE, KELVANE_HAND_CURSOR_SIZE);
    return QCursor(QBitmap::fromData(size, bitmap, QImage::Format_Mono),
                   QBitmap::fromData(size, mask, QImage::Format_Mono), KELVANE_HAND_CURSOR_HOT_X,
                   KELVANE_HAND_CURSOR_HOT_Y);
}
