#include "ui/qt/label_accessibility.h"

#include <QAccessibleWidget>
#include <QLabel>

#include "ui/qt/custom_labels.h"

namespace {

constexpr char kValueFieldProperty[] = "kelvaneValueField";

// A read-only text: its name from the widget's accessible name, its characters through the
// text interface, so a screen reader says "CPU Speed, 2.60 GHz" rather than the figure alone.
class ReadOnlyTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    ReadOnlyTextAccessible(QWidget* widget, QAccessible::Role role)
        : QAccessibleWidget(widget, role) {}
    virtual QString Text() const = 0;

    QString text(QAccessible::Text kind) const override {
        switch (kind) {
            case QAccessible::Name: {
                const QString name = widget()->accessibleName();
                return name.isEmpty() ? Text() : name;
            }
            case QAccessible::Description:
                return widget()->accessibleName().isEmpty() ? QString() : Text();
            default:
                return QAccessibleWidget::text(kind);
        }
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        return state;
    }

    // The text interface, without selection unless a subclass has one.
    QString text(int start, int end) const override {
        const QString all = Text();
        if (end < 0 || end > all.size()) end = static_cast<int>(all.size());
        return start < 0 || start >= end ? QString() : all.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(Text().size()); }
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = 0;
        *end = offset < characterCount() ? characterCount() : offset;
        return QString();
    }
};

// A value field: the label's text, selectable and copyable as the label allows.
class ValueFieldAccessible final : public ReadOnlyTextAccessible {
  public:
    explicit ValueFieldAccessible(QLabel* label)
        : ReadOnlyTextAccessible(label, QAccessible::StaticText) {}
    QString Text() const override { return Label()->text(); }
    QAccessible::State state() const override {
        QAccessible::State state = ReadOnlyTextAccessible::state();
        state.selectableText = true;
        return state;
    }
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index != 0 || !Label()->hasSelectedText()) return;
        *start = Label()->selectionStart();
        *end = *start + static_cast<int>(Label()->selectedText().size());
    }
    int selectionCount() const override { return Label()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { Label()->setSelection(0, 0); }
    void setSelection(int, int start, int end) override {
        Label()->setSelection(start, end - start);
    }

  private:
    QLabel* Label() const { return static_cast<QLabel*>(widget()); }
};

// The status line: its painted time stamp.
class StatusAccessible final : public ReadOnlyTextAccessible {
  public:
    explicit StatusAccessible(PaintedLabel* label)
        : ReadOnlyTextAccessible(label, QAccessible::StaticText) {}
    QString Text() const override {
        return QString::fromLocal8Bit(static_cast<PaintedLabel*>(widget())->PaintedText());
    }
};

// The link: named by its address, pressed as a button is.
class LinkAccessible final : public ReadOnlyTextAccessible {
  public:
    explicit LinkAccessible(LinkLabel* link) : ReadOnlyTextAccessible(link, QAccessible::Link) {}
    QString Text() const override { return QString::fromLocal8Bit(Link()->PaintedText()); }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action != pressAction()) return QAccessibleWidget::doAction(action);
        // Later, from the event loop: a failure shows a modal box, which must not hold
        // the screen reader's call open.
        LinkLabel* link = Link();
        QMetaObject::invokeMethod(
            link, [link] { link->Activate(); }, Qt::QueuedConnection);
    }
    QStringList keyBindingsForAction(const QString& action) const override {
        if (action == pressAction()) return {QStringLiteral("Return"), QStringLiteral("Space")};
        return QAccessibleWidget::keyBindingsForAction(action);
    }

  private:
    LinkLabel* Link() const { return static_cast<LinkLabel*>(widget()); }
};

QAccessibleInterface* MakeLabelAccessible(const QString&, QObject* object) {
    if (auto* link = dynamic_cast<LinkLabel*>(object)) return new LinkAccessible(link);
    if (auto* status = dynamic_cast<StatusLabel*>(object)) return new StatusAccessible(status);
    auto* label = qobject_cast<QLabel*>(object);
    if (label && label->property(kValueFieldProperty).toBool())
        return new ValueFieldAccessible(label);
    return nullptr;
}

}  // namespace

void InstallLabelAccessibility() {
    // Installing the same factory twice keeps one.
    QAccessible::installFactory(MakeLabelAccessible);
}

void MarkValueField(QLabel* field, const QString& name) {
    field->setProperty(kValueFieldProperty, true);
    field->setAccessibleName(name);
}
