#include "data/BankSearch.h"

#include <algorithm>

namespace kaoshi {

namespace {
// Rows read per statement: grown or shrunk so that a slice takes about a
// tenth of the budget, within these bounds.
constexpr qint64 kFirstSlice = 500;
constexpr qint64 kLeastSlice = 100;
constexpr qint64 kMostSlice = 50000;
} // namespace

BankSearch::BankSearch(DataStore &store, QuestionType type, QString text)
    : m_store(store), m_type(type), m_text(std::move(text)), m_slice(kFirstSlice)
{
}

bool BankSearch::advance(qint64 budgetMs, qint64 enough)
{
    QElapsedTimer timer;
    timer.start();
    while (!m_finished) {
        QElapsedTimer slice;
        slice.start();
        const std::optional<qint64> read = scanSlice();
        if (!read)
            return false;
        // Only a full slice tells how long a slice takes.
        if (*read == m_slice) {
            const qint64 took = std::max<qint64>(1, slice.elapsed());
            const qint64 aim = std::max<qint64>(1, budgetMs / 10);
            m_slice = std::clamp(m_slice * aim / took, kLeastSlice, kMostSlice);
        }
        if (timer.elapsed() >= budgetMs || (enough >= 0 && m_matchCount >= enough))
            break;
    }
    return true;
}

std::optional<qint64> BankSearch::scanSlice()
{
    const std::optional<std::vector<bank::ScannedRow>> rows =
        bank::scanForText(m_store, m_type, m_text, m_numbered, m_position, m_slice);
    if (!rows)
        return std::nullopt;
    for (const bank::ScannedRow &row : *rows) {
        // In 题号 order a number carried twice is met twice in a row.
        if (m_numbered && m_position && !m_position->number.isNull() &&
            row.position.number.toText() == m_position->number.toText())
            m_duplicates.insert(row.position.number.toText());
        if (row.matches) {
            m_found.push_back(row.position.rowId);
            ++m_matchCount;
        }
        m_position = row.position;
    }
    if (qint64(rows->size()) < m_slice) {
        // The end of this part of the bank: the numbered rows follow.
        if (m_numbered)
            m_finished = true;
        m_numbered = true;
        m_position.reset();
    }
    return qint64(rows->size());
}

std::vector<qint64> BankSearch::takeMatches()
{
    std::vector<qint64> found;
    found.swap(m_found);
    return found;
}

} // namespace kaoshi
