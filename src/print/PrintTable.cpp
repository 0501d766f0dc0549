#include "print/PrintTable.h"

namespace kaoshi {

PrintTable::PrintTable(QAbstractItemModel *model, QList<int> columnWidths)
    : m_model(model), m_widths(std::move(columnWidths))
{
    // A model that fetches its rows in steps gives them all: a printout or a
    // workbook holds every row of the list.
    if (m_model)
        while (m_model->canFetchMore({}))
            m_model->fetchMore({});
}

int PrintTable::rowCount() const { return m_model ? m_model->rowCount() + 1 : 0; }

int PrintTable::columnCount() const { return m_model ? m_model->columnCount() : 0; }

QString PrintTable::text(int row, int column) const
{
    if (!m_model || row < 0 || column < 0 || column >= m_model->columnCount())
        return QString();
    if (row == 0)
        return m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    if (row > m_model->rowCount())
        return QString();
    return m_model->data(m_model->index(row - 1, column), Qt::DisplayRole).toString();
}

} // namespace kaoshi
