#include "print/PrintHandOver.h"

#include "print/FreePrintWindow.h"
#include "ui/ListGrid.h"

#include <QGuiApplication>
#include <QScreen>

namespace kaoshi {

PrintRequest listPrintRequest(const ListGrid &grid, const QString &title, const QString &settingsFile)
{
    PrintRequest request;
    request.source = grid.gridModel();
    for (int c = 0; c < grid.columnCount(); ++c)
        request.columnWidths << grid.columnWidth(c);
    request.title = title;
    request.settingsFile = settingsFile;
    return request;
}

PrintHandOver::PrintHandOver(AppContext &context) : m_context(context) {}

PrintHandOver::~PrintHandOver() { close(); }

void PrintHandOver::open(const PrintRequest &request)
{
    m_request = request;
    if (FreePrintWindow *open = window()) {
        if (open->isVisible()) { // not while its preview is showing
            open->raise();
            open->activateWindow();
        }
        return;
    }
    auto *created = new FreePrintWindow(m_context, m_request);
    m_window = created;
    // A closed window is gone for the next hand-over, even before it is deleted.
    QObject::connect(created, &FreePrintWindow::closedForGood, created, [this, created] {
        if (m_window == created)
            m_window = nullptr;
    });
    if (QScreen *screen = QGuiApplication::primaryScreen())
        created->move(screen->availableGeometry().center() - created->rect().center());
    created->show();
}

void PrintHandOver::close() { delete m_window.data(); }

} // namespace kaoshi
