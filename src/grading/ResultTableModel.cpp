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
    return parent.isValid() ? 0 : int(m_table.titles.size());
}

QVariant ResultTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_table.rows.size())
        return {};
    const auto &row = m_table.rows[size_t(index.row())];
    if (size_t(index.column()) >= row.size())
        return {};
    const TableCell &cell = row[size_t(index.column())];
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
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_table.titles.size())
        return m_table.titles[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace kaoshi
