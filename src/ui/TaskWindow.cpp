#include "ui/TaskWindow.h"

#include "ui/AppContext.h"
#include "ui/Shell.h"

#include <QKeyEvent>

namespace kaoshi {

TaskWindow::TaskWindow(AppContext &context, QWidget *host) : QWidget(host, Qt::Widget), m_context(context)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

bool TaskWindow::start()
{
    const QString caption = mainCaption();
    if (!caption.isEmpty()) {
        m_context.reopenStore();
        if (Shell *shell = m_context.shell) {
            shell->registerTaskWindow(this);
            shell->setCaption(caption);
            shell->placeTaskWindow();
            shell->sizeTaskWindow();
        }
    }
    return startTask();
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
