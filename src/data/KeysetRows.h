#pragma once
// A whole bank listed in 题号 order without reading its rows up front: the
// count comes from the 题号 index, and the window of rows shown is read by
// its position in the index (keyset), going on from the nearest position
// already known or from either end. Listing a bank of millions and jumping
// to its last row read a screenful each. Rows whose 题号 another row also
// carries are marked, found per window.
#include "data/BankTable.h"
#include "data/KeyedRows.h"
#include "data/RowSource.h"

#include <QSet>
#include <map>
#include <optional>
#include <vector>

namespace kaoshi {

class KeysetRows final : public RowSource
{
public:
    // Nothing when the bank cannot be counted, or when some of its rows lack
    // a 题号 (they sort apart; such a bank is listed by KeyedRows).
    static std::shared_ptr<KeysetRows> make(DataStore &store, QuestionType type, KeyedRows::CellsOf cellsOf,
                                            int columns);

    qint64 size() const override { return m_size; }
    QStringList cells(qint64 index) override;
    qint64 rowId(qint64 index) const override;
    bool marked(qint64 index) const override;
    void remove(qint64 index) override;
    void truncate(qint64 size) override;
    void forget() override;

    static constexpr qint64 kWindow = 256;

private:
    KeysetRows(DataStore &store, QuestionType type, KeyedRows::CellsOf cellsOf, int columns, qint64 size);
    struct Row {
        bank::ListPosition position;
        QStringList cells;
        bool duplicate = false;
    };
    // Reads the window holding index; false when it cannot be read.
    bool fetchAround(qint64 index) const;
    const Row *rowAt(qint64 index) const;

    DataStore &m_store;
    QuestionType m_type;
    KeyedRows::CellsOf m_cellsOf;
    int m_columns;
    qint64 m_size;
    // The window read last, and positions met so far (index → position).
    mutable qint64 m_windowStart = 0;
    mutable std::vector<Row> m_window;
    mutable std::map<qint64, bank::ListPosition> m_known;
};

} // namespace kaoshi
