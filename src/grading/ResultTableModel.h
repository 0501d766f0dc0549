#pragma once
// A table of the results analysis as a model for a view and for the print
// window: the titles as header, a marked cell with a warm background and its
// reason as tooltip. Like every list, column 0 is an empty column the views
// hide (the print window never offers column 0); the table's own columns are
// 1 … its number of titles, so that each of them reaches print and workbook.
#include "grading/ResultTables.h"

#include <QAbstractTableModel>

namespace kaoshi {

class ResultTableModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ResultTableModel(QObject *parent = nullptr) : QAbstractTableModel(parent) {}

    void setTable(ResultTable table);
    const ResultTable &table() const { return m_table; }
    // The model column of the table's column `tableColumn`.
    static int modelColumn(int tableColumn) { return tableColumn + 1; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    ResultTable m_table;
};

} // namespace kaoshi
