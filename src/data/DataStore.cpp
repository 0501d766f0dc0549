#include "data/DataStore.h"

#include "data/SqliteEngine.h"

#include <sqlite3.h>

namespace kaoshi {

namespace {

DataStore::Availability availabilityOf(engine::OpenFailure failure)
{
    using F = engine::OpenFailure;
    using A = DataStore::Availability;
    switch (failure) {
    case F::None: return A::Usable;
    case F::Missing: return A::Missing;
    case F::NotADatabase: return A::NotADatabase;
    case F::NotOurs: return A::NotOurs;
    case F::MissingTable: return A::MissingTable;
    case F::MissingColumn: return A::MissingColumn;
    case F::Locked: return A::Locked;
    case F::Other: return A::Other;
    }
    return A::Other;
}

const DataError kNotOpen{SQLITE_CANTOPEN, QStringLiteral("数据库没有打开")};

} // namespace

DataStore::DataStore() = default;
DataStore::~DataStore() = default;

bool DataStore::open(const QString &path)
{
    close();
    m_path = path;
    engine::OpenResult result = engine::openDatabase(path, m_busyTimeoutMs);
    m_availability = availabilityOf(result.failure);
    m_openError = result.error;
    if (result.failure != engine::OpenFailure::None)
        return false;
    m_connection = std::move(result.connection);
    return true;
}

void DataStore::close() { m_connection.reset(); }

bool DataStore::isReadOnly() const { return m_connection && m_connection->readOnly; }

DataError DataStore::lastError() const
{
    if (!m_connection)
        return m_openError.isError() ? m_openError : kNotOpen;
    return m_connection->lastError;
}

RowSet DataStore::query(const QString &sql, const Values &values)
{
    if (!m_connection)
        return RowSet::failure(lastError());
    engine::StatementPtr statement = engine::prepare(*m_connection, sql, values);
    if (!statement)
        return RowSet::failure(m_connection->lastError);
    return RowSet(m_connection, statement.release());
}

bool DataStore::execute(const QString &sql, const Values &values)
{
    return m_connection && engine::run(*m_connection, sql, values);
}

void DataStore::noteFailure(const QString &message)
{
    if (m_connection)
        m_connection->fail(SQLITE_MISUSE, message);
    else
        m_openError = {SQLITE_MISUSE, message};
}

qint64 DataStore::changes() const { return m_connection ? sqlite3_changes64(m_connection->db) : 0; }

RecordCursor DataStore::openCursor(const QString &source, CursorKind kind, const Values &values)
{
    RecordCursor cursor;
    if (!m_connection) {
        cursor.m_error = lastError();
        return cursor;
    }
    cursor.m_kind = kind;
    cursor.m_values = values;
    if (kind == CursorKind::Table) {
        cursor.m_table = source.trimmed();
        cursor.m_select = QStringLiteral("select rowid, * from %1").arg(engine::quotedIdentifier(cursor.m_table));
        cursor.m_values.clear();
    } else {
        cursor.m_select = source;
    }
    engine::StatementPtr statement = engine::prepare(*m_connection, cursor.m_select, cursor.m_values);
    if (!statement || engine::columnNames(statement.get()).isEmpty() ||
        !engine::isReadOnlyStatement(statement.get())) {
        RecordCursor failed;
        failed.m_error = m_connection->lastError.isError()
                             ? m_connection->lastError
                             : DataError{SQLITE_MISUSE, QStringLiteral("不是查询语句")};
        return failed;
    }
    const int offset = kind == CursorKind::Table ? 1 : 0;
    const QStringList names = engine::columnNames(statement.get());
    for (int i = offset; i < names.size(); ++i)
        cursor.m_columns.push_back({names[i], engine::declaredType(statement.get(), i)});
    cursor.m_connection = m_connection;
    return cursor;
}

} // namespace kaoshi
