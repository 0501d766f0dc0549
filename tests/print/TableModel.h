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

// A list of any length whose cells are made when they are read: titles
// "列0" …, data cells "r<row>c<column>" (rows from 1). Counts the reads, so
// that a test sees which rows a report read.
class GeneratedModel final : public QAbstractTableModel
{
public:
    GeneratedModel(int dataRows, int columns) : m_rows(dataRows), m_columns(columns) {}

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_rows; }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_columns; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        ++reads;
        lastRowRead = qMax(lastRowRead, index.row() + 1);
        return QStringLiteral("r%1c%2").arg(index.row() + 1).arg(index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return QStringLiteral("列%1").arg(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    mutable qint64 reads = 0;
    mutable int lastRowRead = 0; // the furthest data row read (from 1)

private:
    int m_rows;
    int m_columns;
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
