#pragma once
// A listing of bank rows held as their identities (bank and rowid, in list
// order). The cells of a window of rows around the one asked for are read
// in one statement per bank and kept until a row outside the window is asked
// for, so scrolling reads the database a screenful at a time.
#include "data/BankTable.h"
#include "data/RowSource.h"

#include <functional>
#include <vector>

namespace kaoshi {

class KeyedRows final : public RowSource
{
public:
    // cellsOf turns one fetched question into the grid's cells.
    using CellsOf = std::function<QStringList(const Question &question)>;

    KeyedRows(DataStore &store, std::vector<RowKey> keys, CellsOf cellsOf, int columns);
    // All rows of one bank.
    KeyedRows(DataStore &store, QuestionType type, const std::vector<qint64> &rowIds, CellsOf cellsOf, int columns);

    // More rows of one bank at the end (a search that goes on).
    void append(QuestionType type, const std::vector<qint64> &rowIds);

    qint64 size() const override { return qint64(m_keys.size()); }
    QStringList cells(qint64 index) override;
    qint64 rowId(qint64 index) const override;
    void remove(qint64 index) override;
    void truncate(qint64 size) override;
    void forget() override;

    // Rows read per window.
    static constexpr qint64 kWindow = 256;

private:
    void fetchAround(qint64 index);

    DataStore &m_store;
    std::vector<RowKey> m_keys;
    CellsOf m_cellsOf;
    int m_columns;
    qint64 m_windowStart = 0;
    std::vector<QStringList> m_window;
};

} // namespace kaoshi
