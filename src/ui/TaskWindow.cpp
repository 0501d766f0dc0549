#include "ui/TaskWindow.h"

#include <QKeyEvent>

namespace kaoshi {

TaskWindow::TaskWindow(QWidget *host) : QWidget(host, Qt::Widget)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void TaskWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TaskWindow::closeEvent(QCloseEvent *event)
{
    emit closed();
    QWidget::closeEvent(event);
}

} // namespace kaoshi
