// Where a long-running benchmark shows what it is doing: a dialog field, a Qt label, or
// a line on the command-line tool's stderr.
#pragma once

class ProgressTarget {
public:
    // Sets the text and shows it at once (set, invalidate, repaint).
    virtual void Show(const char* text) = 0;
    // Sets the text without forcing a repaint; it appears when the window next paints.
    virtual void Set(const char* text) = 0;

protected:
    ~ProgressTarget() = default;
};

// Shows nothing.
class NullProgress final : public ProgressTarget {
public:
    void Show(const char*) override {}
    void Set(const char*) override {}
};
