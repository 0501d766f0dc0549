#include "print/PrintHandOver.h"

#include "print/FreePrintWindow.h"
#include "ui/AppContext.h"
#include "ui/ListGrid.h"

#include <QGuiApplication>
#include <QScreen>

namespace kaoshi {

PrintRequest listPrintRequest(const ListGrid &grid, const QString &title, const QString &settingsFile)
{
    PrintRequest request;
    request.source = grid.model();
    for (int c = 0; c < grid.model()->columnCount(); ++c)
        request.columnWidths << grid.columnWidth(c);
    request.title = title;
    request.settingsFile = settingsFile;
    return request;
}

FreePrintWindow *printWindow(AppContext &context)
{
    return qobject_cast<FreePrintWindow *>(context.print.window.data());
}

void openPrintWindow(AppContext &context, const PrintRequest &request)
{
    context.print.request = request;
    if (FreePrintWindow *open = printWindow(context)) {
        if (open->isVisible()) { // not while its preview is showing
            open->raise();
            open->activateWindow();
        }
        return;
    }
    auto *window = new FreePrintWindow(context);
    context.print.window = window;
    if (QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
    window->show();
}

void closePrintWindow(AppContext &context)
{
    delete printWindow(context);
}

} // namespace kaoshi
