#pragma once
// A list model for tests: the first row holds the column titles (the header),
// the others are the data rows, as a list window's model gives them.
#include <QAbstractTableModel>
#include <QStringList>

namespace kaoshi::test {

class TableModel final : public QAbstractTableModel
{
public:
    explicit TableModel(QList<QStringList> rows) : m_rows(std::move(rows)) {}

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size()) - 1;
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() || m_rows.isEmpty() ? 0 : int(m_rows.first().size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return m_rows.value(index.row() + 1).value(index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return m_rows.value(0).value(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    QList<QStringList> m_rows;
};

// Titles "列0" … and data rows whose cells read "r<row>c<column>".
inline QList<QStringList> numberedRows(int dataRows, int columns)
{
    QList<QStringList> rows;
    QStringList titles;
    for (int c = 0; c < columns; ++c)
        titles << QStringLiteral("列%1").arg(c);
    rows << titles;
    for (int r = 1; r <= dataRows; ++r) {
        QStringList cells;
        for (int c = 0; c < columns; ++c)
            cells << QStringLiteral("r%1c%2").arg(r).arg(c);
        rows << cells;
    }
    return rows;
}

} // namespace kaoshi::test
