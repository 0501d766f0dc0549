#include "data/KeysetRows.h"

#include "data/ScoreStatements.h"

#include <QSet>
#include <algorithm>

namespace kaoshi {

namespace {
// Positions kept to go on from; beyond this many, the oldest view is forgotten.
constexpr size_t kMostKnown = 4096;
} // namespace

std::vector<KeysetRow> questionRows(const std::vector<Question> &questions, const KeyedRows::CellsOf &cellsOf)
{
    std::vector<KeysetRow> rows;
    rows.reserve(questions.size());
    for (const Question &question : questions)
        rows.push_back({{question.number, question.rowId}, cellsOf(question), false});
    return rows;
}

KeysetRows::KeysetRows(std::vector<KeysetRun> runs, int columns) : m_columns(columns)
{
    for (KeysetRun &run : runs)
        if (run.size > 0)
            m_runs.push_back({std::move(run), 0, 0, {}, {}});
    placeRuns();
}

std::shared_ptr<KeysetRows> KeysetRows::make(DataStore &store, QuestionType type, KeyedRows::CellsOf cellsOf,
                                             int columns)
{
    // The count goes through the whole index: on a connection of its own with a
    // small cache, so that the program's memory does not grow with the bank.
    const std::unique_ptr<DataStore> reader = openLightReader(store);
    const std::optional<bank::NumberedCount> count = bank::numberedCount(reader ? *reader : store, type);
    if (!count && reader)
        store.noteFailure(reader->lastError().message);
    if (!count || count->unnumbered > 0)
        return nullptr;
    KeysetReader read = [&store, type, cellsOf = std::move(cellsOf)](const std::optional<ListPosition> &from,
                                                                     bool backwards, qint64 offset,
                                                                     qint64 limit) -> std::optional<std::vector<KeysetRow>> {
        const std::optional<std::vector<Question>> questions =
            bank::numberedRows(store, type, from, backwards, offset, limit);
        if (!questions)
            return std::nullopt;
        std::vector<KeysetRow> rows = questionRows(*questions, cellsOf);
        if (rows.empty())
            return rows;
        // Numbers carried twice stand out; rows of one number are neighbours.
        const FieldValue &first = rows.front().position.number;
        const FieldValue &last = rows.back().position.number;
        const std::optional<QStringList> twice =
            bank::duplicateNumbersBetween(store, type, backwards ? last : first, backwards ? first : last);
        const QSet<QString> duplicates(twice ? QSet<QString>(twice->cbegin(), twice->cend()) : QSet<QString>());
        for (KeysetRow &row : rows)
            row.marked = duplicates.contains(row.position.number.toText());
        return rows;
    };
    std::vector<KeysetRun> runs;
    runs.push_back({count->numbered, std::move(read)});
    return std::make_shared<KeysetRows>(std::move(runs), columns);
}

void KeysetRows::placeRuns()
{
    m_size = 0;
    for (Run &run : m_runs) {
        run.start = m_size;
        m_size += run.source.size;
    }
}

bool KeysetRows::fetchAround(Run &run, qint64 index)
{
    const qint64 size = run.source.size;
    const qint64 start = std::max<qint64>(0, std::min(index - kWindow / 4, size - kWindow));
    const qint64 end = std::min(size, start + kWindow);
    // From the nearest known position or end: the rows skipped are few
    // when scrolling, and none for the first or the last screen.
    std::optional<ListPosition> from;
    bool backwards = false;
    qint64 offset = start;
    if (size - end < offset) {
        backwards = true;
        offset = size - end;
    }
    auto above = run.known.lower_bound(start); // first known at or after start
    if (above != run.known.begin()) {
        const auto before = std::prev(above);
        if (start - before->first - 1 < offset) {
            from = before->second;
            backwards = false;
            offset = start - before->first - 1;
        }
    }
    const auto after = run.known.upper_bound(end - 1); // first known after the window
    if (after != run.known.end() && after->first - end < offset) {
        from = after->second;
        backwards = true;
        offset = after->first - end;
    }
    std::optional<std::vector<KeysetRow>> rows = run.source.read(from, backwards, offset, end - start);
    if (!rows)
        return false;
    if (backwards)
        std::reverse(rows->begin(), rows->end());
    if (!rows->empty()) {
        if (run.known.size() > kMostKnown)
            run.known.clear();
        run.known[start] = rows->front().position;
        run.known[start + qint64(rows->size()) - 1] = rows->back().position;
    }
    run.windowStart = start;
    run.window = std::move(*rows);
    return true;
}

const KeysetRow *KeysetRows::rowAt(qint64 index) const
{
    if (index < 0 || index >= m_size)
        return nullptr;
    const auto holder = std::upper_bound(m_runs.begin(), m_runs.end(), index,
                                         [](qint64 i, const Run &run) { return i < run.start; });
    Run &run = *std::prev(holder);
    const qint64 inRun = index - run.start;
    if (inRun < run.windowStart || inRun >= run.windowStart + qint64(run.window.size())) {
        if (!fetchAround(run, inRun))
            run.window.clear();
    }
    const qint64 offset = inRun - run.windowStart;
    return offset >= 0 && offset < qint64(run.window.size()) ? &run.window[size_t(offset)] : nullptr;
}

QStringList KeysetRows::cells(qint64 index)
{
    if (index < 0 || index >= m_size)
        return {};
    const KeysetRow *row = rowAt(index);
    return row ? row->cells : QStringList(m_columns);
}

qint64 KeysetRows::rowId(qint64 index) const
{
    const KeysetRow *row = rowAt(index);
    return row ? row->position.rowId : 0;
}

bool KeysetRows::marked(qint64 index) const
{
    const KeysetRow *row = rowAt(index);
    return row && row->marked;
}

void KeysetRows::remove(qint64 index)
{
    if (index < 0 || index >= m_size)
        return;
    const auto holder = std::upper_bound(m_runs.begin(), m_runs.end(), index,
                                         [](qint64 i, const Run &run) { return i < run.start; });
    --std::prev(holder)->source.size;
    placeRuns();
    forget();
}

void KeysetRows::truncate(qint64 newSize)
{
    if (newSize >= 0 && newSize < m_size) {
        for (Run &run : m_runs)
            run.source.size = std::clamp<qint64>(newSize - run.start, 0, run.source.size);
        placeRuns();
    }
    forget();
}

void KeysetRows::forget()
{
    for (Run &run : m_runs) {
        run.window.clear();
        run.windowStart = 0;
        run.known.clear();
    }
}

} // namespace kaoshi
