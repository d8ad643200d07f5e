// What screen readers learn of the dialog's labels: each value field is named by its label
// and reads its value as text; the status line and the link are named, and the link is a
// link that can be pressed.
#pragma once

#include <QString>

class QLabel;

// Installs the accessible views of the value fields, the status line and the link. Call it
// before they are first asked for: Qt keeps the view it made first.
void InstallLabelAccessibility();

// Makes `field` a value field that screen readers call `name`.
void MarkValueField(QLabel* field, const QString& name);
