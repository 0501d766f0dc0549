#include "print/ColumnChoice.h"

#include <QStringList>

namespace kaoshi {

ColumnList allColumns(const PrintTable &table)
{
    ColumnList columns;
    for (int c = 1; c < table.columnCount(); ++c)
        columns.append({c, true, table.text(0, c)});
    return columns;
}

ColumnList storedColumns(const PrintTable &table, const QString &fieldList)
{
    if (fieldList.isEmpty())
        return allColumns(table);
    ColumnList columns;
    for (const QString &element : fieldList.split(QLatin1Char(',')))
        for (int c = 1; c < table.columnCount(); ++c)
            if (element == QString::number(c))
                columns.append({c, true, table.text(0, c)});
    return columns;
}

QString fieldList(const ColumnList &columns)
{
    QStringList numbers;
    for (const ColumnEntry &entry : columns)
        if (entry.ticked)
            numbers << QString::number(entry.column);
    return numbers.join(QLatin1Char(','));
}

ColumnList tickedColumns(const ColumnList &columns)
{
    ColumnList ticked;
    for (const ColumnEntry &entry : columns)
        if (entry.ticked)
            ticked.append(entry);
    return ticked;
}

bool moveColumnUp(ColumnList &columns, int index)
{
    if (index < 1 || index >= columns.size())
        return false;
    columns.swapItemsAt(index - 1, index);
    return true;
}

bool moveColumnDown(ColumnList &columns, int index)
{
    if (index < 0 || index >= columns.size() - 1)
        return false;
    columns.swapItemsAt(index, index + 1);
    return true;
}

} // namespace kaoshi
