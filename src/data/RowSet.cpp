#include "data/RowSet.h"

#include "data/SqliteEngine.h"

namespace kaoshi {

namespace {

int findColumn(const QStringList &names, const QString &column)
{
    const int exact = int(names.indexOf(column));
    if (exact >= 0)
        return exact;
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(column, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

RowSet::RowSet(std::shared_ptr<engine::Connection> connection, sqlite3_stmt *statement)
    : m_connection(std::move(connection)), m_statement(statement), m_columnNames(engine::columnNames(statement))
{
    step();
}

RowSet RowSet::failure(const DataError &error)
{
    RowSet rows;
    rows.m_error = error;
    return rows;
}

RowSet::RowSet(RowSet &&other) noexcept { *this = std::move(other); }

RowSet &RowSet::operator=(RowSet &&other) noexcept
{
    if (this != &other) {
        close();
        m_connection = std::move(other.m_connection);
        m_statement = std::exchange(other.m_statement, nullptr);
        m_columnNames = std::move(other.m_columnNames);
        m_atEnd = std::exchange(other.m_atEnd, true);
        m_row = std::exchange(other.m_row, -1);
        m_error = std::exchange(other.m_error, {});
    }
    return *this;
}

RowSet::~RowSet() { close(); }

void RowSet::step()
{
    if (!m_statement) {
        m_atEnd = true;
        return;
    }
    const engine::Step s = engine::step(*m_connection, m_statement);
    m_atEnd = s != engine::Step::Row;
    if (s == engine::Step::Failed)
        m_error = m_connection->lastError;
    ++m_row;
}

void RowSet::first()
{
    if (!m_statement || m_row == 0)
        return;
    engine::reset(m_statement);
    m_row = -1;
    m_error = {};
    step();
}

void RowSet::next()
{
    if (!m_atEnd)
        step();
}

FieldValue RowSet::value(const QString &column) const
{
    if (m_atEnd)
        return {};
    const int index = findColumn(m_columnNames, column);
    return index < 0 ? FieldValue() : engine::columnValue(m_statement, index);
}

FieldValue RowSet::value(int column) const
{
    if (m_atEnd || column < 1 || column > m_columnNames.size())
        return {};
    return engine::columnValue(m_statement, column - 1);
}

std::optional<QStringList> firstColumnTexts(RowSet rows)
{
    QStringList texts;
    for (; !rows.atEnd(); rows.next())
        texts << rows.value(1).toText();
    if (rows.failed())
        return std::nullopt;
    return texts;
}

void RowSet::close()
{
    if (m_statement)
        engine::StatementDeleter()(m_statement);
    m_statement = nullptr;
    m_connection.reset();
    m_atEnd = true;
}

} // namespace kaoshi
