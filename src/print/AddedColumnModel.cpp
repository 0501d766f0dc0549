#include "print/AddedColumnModel.h"

namespace kaoshi {

AddedColumnModel::AddedColumnModel(const QString &title, RowText textOf, QObject *parent)
    : QIdentityProxyModel(parent), m_title(title), m_textOf(std::move(textOf))
{
}

int AddedColumnModel::addedColumn() const { return sourceModel() ? sourceModel()->columnCount() : 0; }

bool AddedColumnModel::isAdded(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && index.column() == addedColumn();
}

int AddedColumnModel::columnCount(const QModelIndex &parent) const
{
    // A flat list: rows have no children.
    return parent.isValid() || !sourceModel() ? 0 : addedColumn() + 1;
}

QModelIndex AddedColumnModel::index(int row, int column, const QModelIndex &parent) const
{
    if (sourceModel() && !parent.isValid() && column == addedColumn() && row >= 0 && row < rowCount())
        return createIndex(row, column);
    return QIdentityProxyModel::index(row, column, parent);
}

QModelIndex AddedColumnModel::parent(const QModelIndex &child) const
{
    return isAdded(child) ? QModelIndex() : QIdentityProxyModel::parent(child);
}

QModelIndex AddedColumnModel::sibling(int row, int column, const QModelIndex &index) const
{
    return this->index(row, column, parent(index));
}

QModelIndex AddedColumnModel::mapToSource(const QModelIndex &proxyIndex) const
{
    return isAdded(proxyIndex) ? QModelIndex() : QIdentityProxyModel::mapToSource(proxyIndex);
}

QVariant AddedColumnModel::data(const QModelIndex &index, int role) const
{
    if (!isAdded(index))
        return QIdentityProxyModel::data(index, role);
    if (role != Qt::DisplayRole)
        return {};
    return m_textOf(*sourceModel(), index.row());
}

QVariant AddedColumnModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section == addedColumn())
        return role == Qt::DisplayRole ? QVariant(m_title) : QVariant();
    return QIdentityProxyModel::headerData(section, orientation, role);
}

Qt::ItemFlags AddedColumnModel::flags(const QModelIndex &index) const
{
    return isAdded(index) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : QIdentityProxyModel::flags(index);
}

} // namespace kaoshi
