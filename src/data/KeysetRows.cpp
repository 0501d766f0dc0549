#include "data/KeysetRows.h"

#include <algorithm>

namespace kaoshi {

namespace {
// Positions kept to go on from; beyond this many, the oldest view is forgotten.
constexpr size_t kMostKnown = 4096;
} // namespace

std::shared_ptr<KeysetRows> KeysetRows::make(DataStore &store, QuestionType type, KeyedRows::CellsOf cellsOf,
                                             int columns)
{
    const std::optional<bank::NumberedCount> count = bank::numberedCount(store, type);
    if (!count || count->unnumbered > 0)
        return nullptr;
    return std::shared_ptr<KeysetRows>(new KeysetRows(store, type, std::move(cellsOf), columns, count->numbered));
}

KeysetRows::KeysetRows(DataStore &store, QuestionType type, KeyedRows::CellsOf cellsOf, int columns, qint64 size)
    : m_store(store), m_type(type), m_cellsOf(std::move(cellsOf)), m_columns(columns),
      m_size(size)
{
}

bool KeysetRows::fetchAround(qint64 index) const
{
    const qint64 start = std::max<qint64>(0, std::min(index - kWindow / 4, m_size - kWindow));
    const qint64 end = std::min(m_size, start + kWindow);
    // From the nearest known position or end: the rows skipped are few
    // when scrolling, and none for the first or the last screen.
    std::optional<bank::ListPosition> from;
    bool backwards = false;
    qint64 offset = start;
    if (m_size - end < offset) {
        backwards = true;
        offset = m_size - end;
    }
    auto above = m_known.lower_bound(start); // first known at or after start
    if (above != m_known.begin()) {
        const auto before = std::prev(above);
        if (start - before->first - 1 < offset) {
            from = before->second;
            backwards = false;
            offset = start - before->first - 1;
        }
    }
    const auto after = m_known.upper_bound(end - 1); // first known after the window
    if (after != m_known.end() && after->first - end < offset) {
        from = after->second;
        backwards = true;
        offset = after->first - end;
    }
    const std::optional<std::vector<Question>> questions =
        bank::numberedRows(m_store, m_type, from, backwards, offset, end - start);
    if (!questions)
        return false;
    std::vector<Row> window;
    window.reserve(questions->size());
    for (const Question &question : *questions)
        window.push_back({{question.number, question.rowId}, m_cellsOf(question), false});
    if (backwards)
        std::reverse(window.begin(), window.end());
    if (!window.empty()) {
        // Numbers carried twice stand out; rows of one number are neighbours.
        const std::optional<QStringList> twice = bank::duplicateNumbersBetween(
            m_store, m_type, window.front().position.number, window.back().position.number);
        const QSet<QString> duplicates(twice ? QSet<QString>(twice->cbegin(), twice->cend()) : QSet<QString>());
        for (Row &row : window)
            row.duplicate = duplicates.contains(row.position.number.toText());
        if (m_known.size() > kMostKnown)
            m_known.clear();
        m_known[start] = window.front().position;
        m_known[start + qint64(window.size()) - 1] = window.back().position;
    }
    m_windowStart = start;
    m_window = std::move(window);
    return true;
}

const KeysetRows::Row *KeysetRows::rowAt(qint64 index) const
{
    if (index < 0 || index >= m_size)
        return nullptr;
    if (index < m_windowStart || index >= m_windowStart + qint64(m_window.size())) {
        if (!fetchAround(index))
            m_window.clear();
    }
    const qint64 offset = index - m_windowStart;
    return offset >= 0 && offset < qint64(m_window.size()) ? &m_window[size_t(offset)] : nullptr;
}

QStringList KeysetRows::cells(qint64 index)
{
    if (index < 0 || index >= m_size)
        return {};
    const Row *row = rowAt(index);
    return row ? row->cells : QStringList(m_columns);
}

qint64 KeysetRows::rowId(qint64 index) const
{
    const Row *row = rowAt(index);
    return row ? row->position.rowId : 0;
}

bool KeysetRows::marked(qint64 index) const
{
    const Row *row = rowAt(index);
    return row && row->duplicate;
}

void KeysetRows::remove(qint64 index)
{
    if (index < 0 || index >= m_size)
        return;
    --m_size;
    forget();
}

void KeysetRows::truncate(qint64 newSize)
{
    if (newSize >= 0 && newSize < m_size)
        m_size = newSize;
    forget();
}

void KeysetRows::forget()
{
    m_window.clear();
    m_windowStart = 0;
    m_known.clear();
}

} // namespace kaoshi
