#include "data/KeyedRows.h"


#include <QHash>
#include <algorithm>

namespace kaoshi {

KeyedRows::KeyedRows(DataStore &store, std::vector<RowKey> keys, CellsOf cellsOf, int columns)
    : m_store(store), m_keys(std::move(keys)), m_cellsOf(std::move(cellsOf)), m_columns(columns)
{
}

KeyedRows::KeyedRows(DataStore &store, QuestionType type, const std::vector<qint64> &rowIds, CellsOf cellsOf,
                     int columns)
    : m_store(store), m_cellsOf(std::move(cellsOf)), m_columns(columns)
{
    m_keys.reserve(rowIds.size());
    for (qint64 id : rowIds)
        m_keys.push_back({type, id});
}

void KeyedRows::append(QuestionType type, const std::vector<qint64> &rowIds)
{
    m_keys.reserve(m_keys.size() + rowIds.size());
    for (qint64 id : rowIds)
        m_keys.push_back({type, id});
}

QStringList KeyedRows::cells(qint64 index)
{
    if (index < 0 || index >= size())
        return {};
    if (index < m_windowStart || index >= m_windowStart + qint64(m_window.size()))
        fetchAround(index);
    const qint64 offset = index - m_windowStart;
    if (offset < 0 || offset >= qint64(m_window.size()))
        return QStringList(m_columns);
    return m_window[size_t(offset)];
}

void KeyedRows::fetchAround(qint64 index)
{
    // A quarter of the window above the row, the rest below: the usual
    // direction of scrolling is down.
    const qint64 start = std::max<qint64>(0, std::min(index - kWindow / 4, size() - kWindow));
    const qint64 end = std::min(size(), start + kWindow);
    m_windowStart = start;
    m_window.assign(size_t(end - start), QStringList(m_columns));

    std::array<std::vector<qint64>, kQuestionTypeCount> idsOfBank;
    QHash<quint64, qint64> positionOf; // (bank, rowid) → index in the window
    const auto place = [](QuestionType type, qint64 rowId) {
        return (quint64(quint32(typeIndex(type))) << 48) ^ quint64(rowId);
    };
    for (qint64 i = start; i < end; ++i) {
        const RowKey &key = m_keys[size_t(i)];
        idsOfBank[size_t(typeIndex(key.type))].push_back(key.rowId);
        positionOf.insert(place(key.type, key.rowId), i - start);
    }
    for (QuestionType type : allQuestionTypes()) {
        const std::vector<qint64> &ids = idsOfBank[size_t(typeIndex(type))];
        if (ids.empty())
            continue;
        const std::optional<std::vector<Question>> questions = bank::questionsById(m_store, type, ids);
        for (const Question &question : questions.value_or(std::vector<Question>())) {
            const auto at = positionOf.constFind(place(type, question.rowId));
            if (at != positionOf.cend())
                m_window[size_t(*at)] = m_cellsOf(question);
        }
    }
}

qint64 KeyedRows::rowId(qint64 index) const
{
    return index >= 0 && index < size() ? m_keys[size_t(index)].rowId : 0;
}


void KeyedRows::remove(qint64 index)
{
    if (index < 0 || index >= size())
        return;
    m_keys.erase(m_keys.begin() + index);
    m_window.clear();
    m_windowStart = 0;
}

void KeyedRows::forget()
{
    m_window.clear();
    m_windowStart = 0;
}

void KeyedRows::truncate(qint64 newSize)
{
    if (newSize >= 0 && newSize < size())
        m_keys.resize(size_t(newSize));
    m_window.clear();
    m_windowStart = 0;
}

} // namespace kaoshi
