#include "data/RecordCursor.h"

#include "data/SqliteEngine.h"

#include <algorithm>

namespace kaoshi {

namespace {

bool acceptsText(const QString &) { return true; }

} // namespace

RecordCursor::RecordCursor() = default;
RecordCursor::RecordCursor(RecordCursor &&other) noexcept { *this = std::move(other); }

RecordCursor &RecordCursor::operator=(RecordCursor &&other) noexcept
{
    if (this != &other) {
        close();
        m_connection = std::move(other.m_connection);
        m_kind = other.m_kind;
        m_table = std::move(other.m_table);
        m_select = std::move(other.m_select);
        m_values = std::move(other.m_values);
        m_columns = std::move(other.m_columns);
        m_loaded = other.m_loaded;
        m_rows = std::move(other.m_rows);
        m_rowIds = std::move(other.m_rowIds);
        m_count = other.m_count;
        m_position = other.m_position;
        m_pending = std::move(other.m_pending);
        m_insert = std::move(other.m_insert);
        m_insertColumns = std::move(other.m_insertColumns);
        m_error = std::exchange(other.m_error, {});
        other.m_count = -1;
    }
    return *this;
}

RecordCursor::~RecordCursor() { close(); }

void RecordCursor::noteError()
{
    if (m_connection)
        m_error = m_connection->lastError;
}

int RecordCursor::columnIndex(const QString &column) const
{
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].name == column)
            return int(i);
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].name.compare(column, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

void RecordCursor::load()
{
    if (m_loaded || !m_connection)
        return;
    m_loaded = true;
    engine::StatementPtr stmt = engine::prepare(*m_connection, m_select, m_values);
    if (!stmt) {
        noteError();
        m_count = 0;
        return;
    }
    const int offset = m_kind == CursorKind::Table ? 1 : 0;
    const int columns = int(m_columns.size());
    engine::Step s;
    while ((s = engine::step(*m_connection, stmt.get())) == engine::Step::Row) {
        std::vector<FieldValue> row;
        row.reserve(size_t(columns));
        for (int c = 0; c < columns; ++c)
            row.push_back(engine::columnValue(stmt.get(), c + offset));
        m_rows.push_back(std::move(row));
        if (offset)
            m_rowIds.push_back(engine::columnValue(stmt.get(), 0).toInteger());
    }
    if (s == engine::Step::Failed)
        noteError();
    m_count = qint64(m_rows.size());
}

qint64 RecordCursor::recordCount()
{
    if (!m_connection)
        return 0;
    if (m_count < 0) {
        const QString countSql = m_kind == CursorKind::Table
                                     ? QStringLiteral("select count(*) from %1").arg(engine::quotedIdentifier(m_table))
                                     : QStringLiteral("select count(*) from (%1)").arg(m_select);
        m_count = 0;
        if (engine::StatementPtr stmt = engine::prepare(*m_connection, countSql, m_values)) {
            if (engine::step(*m_connection, stmt.get()) == engine::Step::Row)
                m_count = engine::columnValue(stmt.get(), 0).toInteger();
            else
                noteError();
        } else {
            load();
        }
    }
    return m_count;
}

const FieldValue *RecordCursor::current(const QString &column)
{
    load();
    const int index = columnIndex(column);
    if (index < 0 || m_position < 0 || m_position >= qint64(m_rows.size()))
        return nullptr;
    return &m_rows[size_t(m_position)][size_t(index)];
}

bool RecordCursor::hasCurrentRow()
{
    load();
    return m_position >= 0 && m_position < qint64(m_rows.size());
}

FieldValue RecordCursor::value(const QString &column)
{
    const FieldValue *v = current(column);
    return v ? *v : FieldValue();
}

bool RecordCursor::readText(const QString &column, QString &text)
{
    const FieldValue *v = current(column);
    text = v ? v->toText() : QString();
    return v != nullptr;
}

bool RecordCursor::readInteger(const QString &column, qint64 &number)
{
    const FieldValue *v = current(column);
    if (!v)
        return false;
    const QString &declared = m_columns[size_t(columnIndex(column))].declaredType;
    const bool integerColumn = declared.isEmpty() ? v->type() == FieldValue::Type::Integer
                                                  : engine::isIntegerType(declared);
    if (!integerColumn)
        return false;
    number = v->toInteger();
    return true;
}

bool RecordCursor::readInteger(const QString &column, int &number)
{
    qint64 wide = 0;
    if (!readInteger(column, wide))
        return false;
    number = int(wide);
    return true;
}

bool RecordCursor::storePendingRow()
{
    if (!m_pending)
        return true;
    QHash<int, FieldValue> pending = std::move(*m_pending);
    m_pending.reset();
    if (!m_connection || pending.isEmpty())
        return false;
    QList<int> columns = pending.keys();
    std::sort(columns.begin(), columns.end());
    if (!m_insert || columns != m_insertColumns) {
        QStringList names;
        QStringList marks;
        for (int c : columns) {
            names << engine::quotedIdentifier(m_columns[size_t(c)].name);
            marks << QStringLiteral("?");
        }
        const QString insert = QStringLiteral("insert into %1 (%2) values (%3)")
                                   .arg(engine::quotedIdentifier(m_table), names.join(QLatin1Char(',')),
                                        marks.join(QLatin1Char(',')));
        m_insertColumns = columns;
        Values none;
        for (int i = 0; i < columns.size(); ++i)
            none.append(FieldValue());
        m_insert = std::shared_ptr<sqlite3_stmt>(engine::prepare(*m_connection, insert, none));
        if (!m_insert) {
            noteError();
            return false;
        }
    }
    sqlite3_stmt *stmt = m_insert.get();
    engine::reset(stmt);
    for (int i = 0; i < columns.size(); ++i)
        engine::bind(stmt, i + 1, pending.value(columns[i]));
    const bool stored = engine::runToEnd(*m_connection, stmt);
    engine::reset(stmt);
    if (!stored) {
        noteError();
        return false;
    }
    if (m_loaded) {
        std::vector<FieldValue> row(m_columns.size());
        for (int c : columns)
            row[size_t(c)] = pending.value(c);
        m_rows.push_back(std::move(row));
        m_rowIds.push_back(engine::lastInsertRowId(*m_connection));
    }
    if (m_count >= 0)
        ++m_count;
    return true;
}

bool RecordCursor::storeBeforeMove()
{
    // A move right after addNew stores the row. A cursor that was only used to
    // append has nothing to scroll, so the table is not read for it.
    if (!m_pending)
        return true;
    storePendingRow();
    return m_loaded;
}

bool RecordCursor::first()
{
    if (!storeBeforeMove())
        return false;
    load();
    m_position = 0;
    return hasCurrentRow();
}

bool RecordCursor::next()
{
    if (!storeBeforeMove())
        return false;
    load();
    if (m_position < qint64(m_rows.size()))
        ++m_position;
    return hasCurrentRow();
}

bool RecordCursor::previous()
{
    if (!storeBeforeMove())
        return false;
    load();
    if (m_position >= 0)
        --m_position;
    return hasCurrentRow();
}

bool RecordCursor::last()
{
    if (!storeBeforeMove())
        return false;
    load();
    m_position = qint64(m_rows.size()) - 1;
    return hasCurrentRow();
}

bool RecordCursor::addNew()
{
    if (!m_connection || m_kind != CursorKind::Table)
        return false;
    storePendingRow();
    m_pending.emplace();
    return true;
}

bool RecordCursor::setValue(const QString &column, const FieldValue &value, bool (*accepts)(const QString &))
{
    const int index = columnIndex(column);
    if (!m_connection || m_kind != CursorKind::Table || index < 0)
        return false;
    if (!accepts(m_columns[size_t(index)].declaredType))
        return false;
    if (m_pending) {
        m_pending->insert(index, value);
        return true;
    }
    // Editing the current row of the table writes it at once.
    if (!hasCurrentRow())
        return false;
    const QString update = QStringLiteral("update %1 set %2=? where rowid=?")
                               .arg(engine::quotedIdentifier(m_table),
                                    engine::quotedIdentifier(m_columns[size_t(index)].name));
    if (!engine::run(*m_connection, update, {value, m_rowIds[size_t(m_position)]})) {
        noteError();
        return false;
    }
    m_rows[size_t(m_position)][size_t(index)] = value;
    return true;
}

bool RecordCursor::setText(const QString &column, const QString &text)
{
    return setValue(column, FieldValue::text(text), acceptsText);
}

bool RecordCursor::setInteger(const QString &column, qint64 number)
{
    return setValue(column, FieldValue::integer(number), engine::isIntegerType);
}

bool RecordCursor::setNumber(const QString &column, double number)
{
    return setValue(column, FieldValue::real(number), engine::isNumberType);
}

bool RecordCursor::update() { return m_pending && storePendingRow(); }

bool RecordCursor::deleteAll()
{
    if (!m_connection || m_kind != CursorKind::Table)
        return false;
    m_pending.reset();
    if (!engine::run(*m_connection, QStringLiteral("delete from %1").arg(engine::quotedIdentifier(m_table)))) {
        noteError();
        return false;
    }
    m_rows.clear();
    m_rowIds.clear();
    m_loaded = true;
    m_count = 0;
    m_position = 0;
    return true;
}

void RecordCursor::close()
{
    m_pending.reset();
    m_insert.reset();
    m_connection.reset();
    m_rows.clear();
    m_rowIds.clear();
    m_columns.clear();
    m_loaded = false;
    m_count = -1;
}

} // namespace kaoshi
