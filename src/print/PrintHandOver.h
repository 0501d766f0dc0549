#pragma once
// How a list hands itself to the print window "自由打印". Every list window
// calls openPrintWindow with the request for its grid:
//
//     openPrintWindow(m_context, listPrintRequest(*m_grid, title, QStringLiteral("题库.ini")));
//
// The request is the application's one PrintRequest. When the print window is
// open already, only the request changes: the window keeps its caption and
// column list, and its later operations read the new list and settings file.
#include "print/PrintRequest.h"

namespace kaoshi {

struct AppContext;
class FreePrintWindow;
class ListGrid;

// The grid's rows (through its model) and the widths its columns show now.
PrintRequest listPrintRequest(const ListGrid &grid, const QString &title, const QString &settingsFile);

void openPrintWindow(AppContext &context, const PrintRequest &request);

// The open print window, or nullptr.
FreePrintWindow *printWindow(AppContext &context);

// Closes the print window and its preview at once, storing nothing; the
// program does so when it ends.
void closePrintWindow(AppContext &context);

} // namespace kaoshi
