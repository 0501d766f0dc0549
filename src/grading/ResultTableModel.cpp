#include "grading/ResultTableModel.h"

#include <QColor>

namespace kaoshi {

namespace {
const QColor kMarked(255, 215, 170);
}

void ResultTableModel::setTable(ResultTable table)
{
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

int ResultTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_table.rows.size());
}

int ResultTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : modelColumn(int(m_table.titles.size()));
}

QVariant ResultTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_table.rows.size())
        return {};
    const auto &row = m_table.rows[size_t(index.row())];
    const int column = index.column() - modelColumn(0);
    if (column < 0 || size_t(column) >= row.size())
        return {};
    const TableCell &cell = row[size_t(column)];
    switch (role) {
    case Qt::DisplayRole:
        return cell.text;
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        return cell.note.isEmpty() ? QVariant() : QVariant(cell.note);
    case Qt::BackgroundRole:
        return cell.note.isEmpty() ? QVariant() : QVariant(kMarked);
    default:
        return {};
    }
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const int column = section - modelColumn(0);
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && column >= 0 && column < m_table.titles.size())
        return m_table.titles[column];
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == 0)
        return QString();
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace kaoshi
