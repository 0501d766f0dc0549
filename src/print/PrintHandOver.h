#pragma once
// How a list hands itself to the print window "自由打印". The program owns one
// hand-over for the whole run and offers it to the list windows through the
// shell (Shell::printList):
//
//     shell->printList(*m_grid, title, QStringLiteral("题库.ini"));
//
// The hand-over keeps the last request. When the print window is open
// already, only the request changes: the window keeps its caption and column
// list, and its later operations read the new list and settings file.
#include "print/FreePrintWindow.h"
#include "print/PrintRequest.h"

#include <QPointer>

namespace kaoshi {

struct AppContext;
class ListGrid;

// The grid's rows (through its model) and the widths its columns show now.
PrintRequest listPrintRequest(const ListGrid &grid, const QString &title, const QString &settingsFile);

class PrintHandOver
{
public:
    explicit PrintHandOver(AppContext &context);
    // Closes the print window and its preview at once, storing nothing.
    ~PrintHandOver();
    PrintHandOver(const PrintHandOver &) = delete;
    PrintHandOver &operator=(const PrintHandOver &) = delete;

    void open(const PrintRequest &request);
    const PrintRequest &request() const { return m_request; }
    // The open print window, or nullptr.
    FreePrintWindow *window() const { return m_window.data(); }
    // Closes the print window and its preview at once, storing nothing; the
    // program does so when it ends.
    void close();

private:
    AppContext &m_context;
    PrintRequest m_request;
    QPointer<FreePrintWindow> m_window;
};

} // namespace kaoshi
