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

template <typename W>
W *named(W *widget, const QString &controlName, const QString &caption)
{
    nameControl(widget, controlName, caption);
    return widget;
}

} // namespace kaoshi
