#include "ui/DialogPlacement.h"

#include <QScreen>
#include <QWidget>

namespace kaoshi {

void centreOnScreen(QWidget *dialog)
{
    if (QScreen *screen = dialog->screen()) {
        QRect frame = dialog->frameGeometry();
        frame.moveCenter(screen->geometry().center());
        dialog->move(frame.topLeft());
    }
}

} // namespace kaoshi
