#pragma once
// The column list of the print window: which columns of the list are output,
// and in which order. Column 0 of a list is never offered (a list that needs
// it in the output carries a hidden copy of it).
#include "print/PrintTable.h"

#include <QList>
#include <QString>

namespace kaoshi {

struct ColumnEntry {
    int column = 0;   // column of the list
    bool ticked = true;
    QString title;    // the list's column title
    bool operator==(const ColumnEntry &) const = default;
};
using ColumnList = QList<ColumnEntry>;

// Every column but 0, in the list's order, all ticked.
ColumnList allColumns(const PrintTable &table);
// The stored field list "5,1,2": exactly those columns, in that order, all
// ticked; elements naming no column of the list are skipped. An empty field
// list offers every column.
ColumnList storedColumns(const PrintTable &table, const QString &fieldList);
// The ticked columns joined by ","; "" when none is ticked.
QString fieldList(const ColumnList &columns);
// The ticked entries, in list order.
ColumnList tickedColumns(const ColumnList &columns);

// Moves the entry at index one place up or down; false (and nothing moves)
// at the top or bottom, or for an index outside the list.
bool moveColumnUp(ColumnList &columns, int index);
bool moveColumnDown(ColumnList &columns, int index);

} // namespace kaoshi
