#include "ui/Controls.h"

#include <QWidget>

namespace kaoshi {

void nameControl(QWidget *widget, const QString &controlName, const QString &caption)
{
    widget->setObjectName(controlName);
    widget->setAccessibleName(caption.isEmpty() ? controlName : caption);
}

} // namespace kaoshi
