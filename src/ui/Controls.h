#pragma once
// Naming of controls: every control carries its control name as objectName,
// and an accessible name for screen readers: its visible caption where it
// shows one, otherwise its control name.
#include <QString>

class QWidget;

namespace kaoshi {

template <typename W>
W *named(W *widget, const QString &controlName, const QString &caption = QString());

void nameControl(QWidget *widget, const QString &controlName, const QString &caption = QString());

// A window of its own (not a dialog or the main window): a screen reader
// announces it as a window by its caption, as the caption changes.
void nameWindow(QWidget *window, const QString &controlName);

template <typename W>
W *named(W *widget, const QString &controlName, const QString &caption)
{
    nameControl(widget, controlName, caption);
    return widget;
}

} // namespace kaoshi
