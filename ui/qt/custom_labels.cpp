#include "ui/qt/custom_labels.h"

#include <QBitmap>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>

#include "res/hand_cursor.h"

namespace {

QColor ToColor(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

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

void PaintBackground(QPainter& painter, const QWidget* widget) {
    const QWidget* face = widget->parentWidget() ? widget->parentWidget() : widget;
    painter.fillRect(widget->rect().adjusted(-1, -1, 2, 2), face->palette().color(face->backgroundRole()));
}

}  // namespace

PaintedLabel::PaintedLabel(QWidget* parent, const GuiFontRequest& font) : QWidget(parent) {
    setFont(FontFor(this, font));
}

void PaintedLabel::SetLabelText(const char* text) {
    CopyLabelText(text_, text);
    update();
}

void StatusLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintBackground(painter, this);
    painter.setFont(font());
    const QString text = QString::fromLocal8Bit(text_);
    QRect rc = rect();
    painter.setPen(ToColor(kEngravedHighlight));
    painter.drawText(rc, Qt::AlignLeft | Qt::AlignTop, text);
    painter.setPen(ToColor(kEngravedText));
    painter.drawText(rc.translated(-1, -1), Qt::AlignLeft | Qt::AlignTop, text);
}

LinkLabel::LinkLabel(QWidget* parent) : PaintedLabel(parent, kLinkFont) { setCursor(MakeHandCursor()); }

void LinkLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintBackground(painter, this);
    painter.setFont(font());
    painter.setPen(ToColor(kLinkColour));
    painter.drawText(rect(), Qt::AlignHCenter | Qt::AlignTop, QString::fromLocal8Bit(text_));
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (!open || !open()) {
        QMessageBox box(QMessageBox::Warning, kLinkFailureCaption, kLinkFailureText, QMessageBox::Ok);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.exec();
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
