#pragma once
// A listing read by its position in an index (keyset), without reading any
// row identity up front. It is made of runs laid end to end (a bank; or each
// bank's wrong questions; or one candidate's answers kind by kind); each run
// knows its count at once and reads the window of rows shown, going on from
// the nearest position already met in it or from either end. Listing
// millions of rows and jumping to the last read a screenful each.
#include "data/BankTable.h"
#include "data/KeyedRows.h"
#include "data/Keyset.h"
#include "data/RowSource.h"

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace kaoshi {

// One row of a run as the grid shows it.
struct KeysetRow {
    ListPosition position;
    QStringList cells;
    bool marked = false;
};

// Reads up to `limit` rows of a run, skipping `offset`, after (or, backwards,
// before) a position; in list order either way. Nothing on failure.
using KeysetReader = std::function<std::optional<std::vector<KeysetRow>>(
    const std::optional<ListPosition> &from, bool backwards, qint64 offset, qint64 limit)>;

struct KeysetRun {
    qint64 size = 0;
    KeysetReader read;
};

// Questions as rows of a run, placed by (题号, row), unmarked.
std::vector<KeysetRow> questionRows(const std::vector<Question> &questions, const KeyedRows::CellsOf &cellsOf);

class KeysetRows final : public RowSource
{
public:
    KeysetRows(std::vector<KeysetRun> runs, int columns);

    // A whole bank in 题号 order; rows whose 题号 another row also carries are
    // marked, found per window. Nothing when the bank cannot be counted, or
    // when some of its rows lack a 题号 (those are listed by a search).
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
    struct Run {
        KeysetRun source;
        qint64 start = 0; // index of its first row in the listing
        // The window read last, and positions met so far (index in the run → position).
        qint64 windowStart = 0;
        std::vector<KeysetRow> window;
        std::map<qint64, ListPosition> known;
    };
    // Reads the window of the run holding index; false when it cannot be read.
    static bool fetchAround(Run &run, qint64 index);
    const KeysetRow *rowAt(qint64 index) const;
    void placeRuns();

    mutable std::vector<Run> m_runs;
    int m_columns;
    qint64 m_size = 0;
};

} // namespace kaoshi
