#pragma once
// A list as the print window reads it: row 0 holds the column titles and data
// rows are 1 … rowCount()-1, like the list grid itself. Every cell is read
// through the list's model at the moment it is asked for (a list model may
// load its rows lazily), never through a window's widgets.
#include "print/PrintRequest.h"

#include <QAbstractItemModel>
#include <QList>
#include <QPointer>
#include <QString>

namespace kaoshi {

class PrintTable
{
public:
    PrintTable() = default;
    explicit PrintTable(QAbstractItemModel *model, QList<int> columnWidths = {});
    static PrintTable of(const PrintRequest &request) { return PrintTable(request.source, request.columnWidths); }

    // false when there is no list (never handed over, or closed since).
    bool isAvailable() const { return !m_model.isNull(); }
    // Title row included: 1 for a list without data rows; 0 without a list.
    int rowCount() const;
    int columnCount() const;
    // Row 0: the column title; other rows: the cell's text as the list shows it.
    QString text(int row, int column) const;
    // As handed over; 0 for a hidden column or one the hand-over did not size.
    int columnWidth(int column) const { return m_widths.value(column, 0); }

private:
    QPointer<QAbstractItemModel> m_model;
    QList<int> m_widths;
};

} // namespace kaoshi
