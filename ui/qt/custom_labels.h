// The status line and the web link on Qt, painted by the same rules as on Windows.
#pragma once

#include <QColor>
#include <QCursor>
#include <QWidget>

#include <functional>

#include "ui/label_rules.h"

// A label that paints its own copy of its text, cut to 62 characters, over whatever lies
// behind it (the group box, the dialog).
class PaintedLabel : public QWidget {
  public:
    PaintedLabel(QWidget* parent, const GuiFontRequest& font);
    void SetLabelText(const char* text);
    const char* PaintedText() const { return text_; }
    // The colour of the text in the last paint, and the colour it was chosen against.
    QColor PaintedColour() const { return painted_; }
    QColor BackgroundColour() const;

  protected:
    char text_[kLabelTextSize] = "";
    QColor painted_;
};

// The time stamp: italic, engraved (a light copy one pixel right and down, grey on top).
class StatusLabel final : public PaintedLabel {
  public:
    explicit StatusLabel(QWidget* parent) : PaintedLabel(parent, kStatusFont) {}

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// The maker's address: blue, underlined Verdana (or the closest sans font), a hand
// cursor; a left click on it, or Enter or Space while it has the focus, opens it.
class LinkLabel final : public PaintedLabel {
  public:
    explicit LinkLabel(QWidget* parent);
    // Opens the address, or shows "Unable to load website!" when that cannot start.
    void Activate();
    // Opens the address; false when it could not. Tests hand in their own.
    std::function<bool()> open = OpenMakerWebsite;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool pressed_ = false;  // the left button went down on the link
};

// The hand cursor of the AND and XOR planes, hot spot (5, 0).
QCursor MakeHandCursor();
