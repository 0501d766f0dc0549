#include "data/DataStore.h"

#include "data/Schema.h"
#include "data/SqlText.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <sqlite3.h>

namespace kaoshi {

namespace detail {

struct Connection {
    sqlite3 *db = nullptr;
    int savepoints = 0;
    ~Connection() { sqlite3_close_v2(db); }
};

} // namespace detail

namespace {

using detail::Connection;

bool onlyBlanks(const char *tail)
{
    for (; tail && *tail; ++tail)
        if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n' && *tail != ';')
            return false;
    return true;
}

// Prepares exactly one statement; anything after it other than blanks or a
// semicolon refuses the whole text.
sqlite3_stmt *prepare(sqlite3 *db, const QString &statement)
{
    if (!db || statement.trimmed().isEmpty() || !isSafeStatement(statement))
        return nullptr;
    const QByteArray sql = accessToSqlite(statement).toUtf8();
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, &tail) != SQLITE_OK || !stmt) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    if (!onlyBlanks(tail)) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    return stmt;
}

bool runSimple(sqlite3 *db, const QString &statement)
{
    sqlite3_stmt *stmt = prepare(db, statement);
    if (!stmt)
        return false;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE;
}

FieldValue columnValue(sqlite3_stmt *stmt, int index)
{
    switch (sqlite3_column_type(stmt, index)) {
    case SQLITE_INTEGER: return FieldValue::integer(sqlite3_column_int64(stmt, index));
    case SQLITE_FLOAT: return FieldValue::real(sqlite3_column_double(stmt, index));
    case SQLITE_TEXT: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, index));
        return FieldValue::text(QString::fromUtf8(text, sqlite3_column_bytes(stmt, index)));
    }
    case SQLITE_BLOB: {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(stmt, index));
        return FieldValue::blob(QByteArray(data, sqlite3_column_bytes(stmt, index)));
    }
    default: return FieldValue();
    }
}

void bindValue(sqlite3_stmt *stmt, int index, const FieldValue &value)
{
    switch (value.type()) {
    case FieldValue::Type::Integer: sqlite3_bind_int64(stmt, index, value.toInteger()); break;
    case FieldValue::Type::Real: sqlite3_bind_double(stmt, index, value.toNumber()); break;
    case FieldValue::Type::Null: sqlite3_bind_null(stmt, index); break;
    default: {
        const QByteArray text = value.toText().toUtf8();
        sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    }
}

QString quotedIdentifier(const QString &name)
{
    QString escaped = name;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// Column names for lookup: "(章节)" from "distinct(章节)" is also found as 章节.
QString plainColumnName(const char *name)
{
    QString text = QString::fromUtf8(name ? name : "");
    if (text.size() > 2 && text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')')))
        text = text.mid(1, text.size() - 2);
    return text;
}

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

bool isIntegerType(const QString &declared) { return declared.toUpper().contains(QLatin1String("INT")); }

bool isNumberType(const QString &declared)
{
    const QString t = declared.toUpper();
    for (const char *word : {"REAL", "FLOA", "DOUB", "NUM", "DEC", "CURRENCY", "MONEY"})
        if (t.contains(QLatin1String(word)))
            return true;
    return false;
}

bool acceptsText(const QString &) { return true; }

bool isOurDatabase(sqlite3 *db)
{
    sqlite3_stmt *stmt = prepare(db, QStringLiteral("select name from sqlite_master where type='table'"));
    if (!stmt)
        return false;
    QStringList tables;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        tables << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        return false;
    for (const QString &type : questionTypes())
        if (!tables.contains(type))
            return false;
    return true;
}

bool createSchema(sqlite3 *db)
{
    if (!runSimple(db, QStringLiteral("begin")))
        return false;
    for (const QString &statement : schemaStatements()) {
        if (!runSimple(db, statement)) {
            runSimple(db, QStringLiteral("rollback"));
            return false;
        }
    }
    return runSimple(db, QStringLiteral("commit"));
}

} // namespace

// ---------------------------------------------------------------- RowSet

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
    m_atEnd = sqlite3_step(m_statement) != SQLITE_ROW;
    ++m_row;
}

void RowSet::first()
{
    if (!m_statement || m_row == 0)
        return;
    sqlite3_reset(m_statement);
    m_row = -1;
    step();
}

void RowSet::next()
{
    if (!m_atEnd)
        step();
}

int RowSet::columnIndex(const QString &column) const { return findColumn(m_columnNames, column); }

FieldValue RowSet::value(const QString &column) const
{
    if (m_atEnd)
        return {};
    const int index = columnIndex(column);
    return index < 0 ? FieldValue() : columnValue(m_statement, index);
}

FieldValue RowSet::value(int column) const
{
    if (m_atEnd || column < 1 || column > m_columnNames.size())
        return {};
    return columnValue(m_statement, column - 1);
}

void RowSet::close()
{
    if (m_statement)
        sqlite3_finalize(m_statement);
    m_statement = nullptr;
    m_connection.reset();
    m_atEnd = true;
}

// ---------------------------------------------------------------- RecordCursor

RecordCursor &RecordCursor::operator=(RecordCursor &&other) noexcept
{
    if (this != &other) {
        close();
        m_connection = std::move(other.m_connection);
        m_kind = other.m_kind;
        m_table = std::move(other.m_table);
        m_select = std::move(other.m_select);
        m_columns = std::move(other.m_columns);
        m_loaded = other.m_loaded;
        m_rows = std::move(other.m_rows);
        m_rowIds = std::move(other.m_rowIds);
        m_count = other.m_count;
        m_position = other.m_position;
        m_pending = std::move(other.m_pending);
        m_insert = std::move(other.m_insert);
        m_insertColumns = std::move(other.m_insertColumns);
        other.m_count = -1;
    }
    return *this;
}

RecordCursor::~RecordCursor() { close(); }

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
    sqlite3_stmt *stmt = prepare(m_connection->db, m_select);
    if (!stmt)
        return;
    const int offset = m_kind == CursorKind::Table ? 1 : 0;
    const int columns = int(m_columns.size());
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::vector<FieldValue> row;
        row.reserve(size_t(columns));
        for (int c = 0; c < columns; ++c)
            row.push_back(columnValue(stmt, c + offset));
        m_rows.push_back(std::move(row));
        if (offset)
            m_rowIds.push_back(sqlite3_column_int64(stmt, 0));
    }
    sqlite3_finalize(stmt);
    m_count = qint64(m_rows.size());
}

qint64 RecordCursor::recordCount()
{
    if (!m_connection)
        return 0;
    if (m_count < 0) {
        const QString countSql = m_kind == CursorKind::Table
                                     ? QStringLiteral("select count(*) from %1").arg(quotedIdentifier(m_table))
                                     : QStringLiteral("select count(*) from (%1)").arg(m_select);
        m_count = 0;
        if (sqlite3_stmt *stmt = prepare(m_connection->db, countSql)) {
            if (sqlite3_step(stmt) == SQLITE_ROW)
                m_count = sqlite3_column_int64(stmt, 0);
            sqlite3_finalize(stmt);
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
                                                  : isIntegerType(declared);
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

void RecordCursor::StatementDeleter::operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }

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
            names << quotedIdentifier(m_columns[size_t(c)].name);
            marks << QStringLiteral("?");
        }
        const QString insert = QStringLiteral("insert into %1 (%2) values (%3)")
                                   .arg(quotedIdentifier(m_table), names.join(QLatin1Char(',')),
                                        marks.join(QLatin1Char(',')));
        m_insert.reset(prepare(m_connection->db, insert));
        m_insertColumns = columns;
        if (!m_insert)
            return false;
    }
    sqlite3_stmt *stmt = m_insert.get();
    sqlite3_reset(stmt);
    for (int i = 0; i < columns.size(); ++i)
        bindValue(stmt, i + 1, pending.value(columns[i]));
    if (sqlite3_step(stmt) != SQLITE_DONE) {
        sqlite3_reset(stmt);
        return false;
    }
    sqlite3_reset(stmt);
    if (m_loaded) {
        std::vector<FieldValue> row(m_columns.size());
        for (int c : columns)
            row[size_t(c)] = pending.value(c);
        m_rows.push_back(std::move(row));
        m_rowIds.push_back(sqlite3_last_insert_rowid(m_connection->db));
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

bool RecordCursor::setValue(const QString &column, const FieldValue &value,
                            bool (*accepts)(const QString &))
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
                               .arg(quotedIdentifier(m_table), quotedIdentifier(m_columns[size_t(index)].name));
    sqlite3_stmt *stmt = prepare(m_connection->db, update);
    if (!stmt)
        return false;
    bindValue(stmt, 1, value);
    sqlite3_bind_int64(stmt, 2, m_rowIds[size_t(m_position)]);
    const bool ok = sqlite3_step(stmt) == SQLITE_DONE;
    sqlite3_finalize(stmt);
    if (ok)
        m_rows[size_t(m_position)][size_t(index)] = value;
    return ok;
}

bool RecordCursor::setText(const QString &column, const QString &text)
{
    return setValue(column, FieldValue::text(text), acceptsText);
}

bool RecordCursor::setInteger(const QString &column, qint64 number)
{
    return setValue(column, FieldValue::integer(number), isIntegerType);
}

bool RecordCursor::setNumber(const QString &column, double number)
{
    return setValue(column, FieldValue::real(number), isNumberType);
}

bool RecordCursor::update() { return m_pending && storePendingRow(); }

bool RecordCursor::deleteAll()
{
    if (!m_connection || m_kind != CursorKind::Table)
        return false;
    m_pending.reset();
    if (!runSimple(m_connection->db, QStringLiteral("delete from %1").arg(quotedIdentifier(m_table))))
        return false;
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

// ---------------------------------------------------------------- DataStore

DataStore::DataStore() = default;
DataStore::~DataStore() = default;

bool DataStore::open(const QString &path)
{
    close();
    m_path = path;
    const QFileInfo info(path);
    const bool exists = info.exists();
    if (exists && !info.isFile())
        return false;
    if (!exists && !info.absoluteDir().exists())
        return false;

    auto connection = std::make_shared<Connection>();
    const int flags = SQLITE_OPEN_READWRITE | (exists ? 0 : SQLITE_OPEN_CREATE);
    if (sqlite3_open_v2(path.toUtf8().constData(), &connection->db, flags, nullptr) != SQLITE_OK)
        return false;
    sqlite3_busy_timeout(connection->db, 2000);

    if (!exists) {
        if (!createSchema(connection->db)) {
            connection.reset();
            QFile::remove(path);
            return false;
        }
    } else if (!isOurDatabase(connection->db)) {
        return false;
    }
    // Commits without waiting for the disk on every statement; a crash of the
    // program loses nothing that was committed.
    runSimple(connection->db, QStringLiteral("pragma journal_mode=WAL"));
    runSimple(connection->db, QStringLiteral("pragma synchronous=NORMAL"));
    m_connection = std::move(connection);
    return true;
}

void DataStore::close() { m_connection.reset(); }

RowSet DataStore::query(const QString &statement)
{
    RowSet rows;
    if (!m_connection)
        return rows;
    rows.m_statement = prepare(m_connection->db, statement);
    if (!rows.m_statement)
        return rows;
    rows.m_connection = m_connection;
    const int count = sqlite3_column_count(rows.m_statement);
    for (int i = 0; i < count; ++i)
        rows.m_columnNames << plainColumnName(sqlite3_column_name(rows.m_statement, i));
    rows.step();
    return rows;
}

bool DataStore::execute(const QString &statement)
{
    return m_connection && runSimple(m_connection->db, statement);
}

RecordCursor DataStore::openCursor(const QString &source, CursorKind kind)
{
    RecordCursor cursor;
    if (!m_connection)
        return cursor;
    cursor.m_kind = kind;
    if (kind == CursorKind::Table) {
        cursor.m_table = source.trimmed();
        cursor.m_select = QStringLiteral("select rowid, * from %1").arg(quotedIdentifier(cursor.m_table));
    } else {
        cursor.m_select = source;
    }
    sqlite3_stmt *stmt = prepare(m_connection->db, cursor.m_select);
    if (!stmt || sqlite3_column_count(stmt) == 0 || !sqlite3_stmt_readonly(stmt)) {
        sqlite3_finalize(stmt);
        return RecordCursor();
    }
    const int offset = kind == CursorKind::Table ? 1 : 0;
    for (int i = offset; i < sqlite3_column_count(stmt); ++i) {
        const char *declared = sqlite3_column_decltype(stmt, i);
        cursor.m_columns.push_back({plainColumnName(sqlite3_column_name(stmt, i)),
                                    QString::fromUtf8(declared ? declared : "")});
    }
    sqlite3_finalize(stmt);
    cursor.m_connection = m_connection;
    return cursor;
}

// ---------------------------------------------------------------- Transaction

DataStore::Transaction::Transaction(DataStore &store) : m_connection(store.m_connection)
{
    if (!m_connection)
        return;
    m_name = QStringLiteral("unit%1").arg(++m_connection->savepoints);
    m_open = runSimple(m_connection->db, QStringLiteral("savepoint ") + m_name);
}

DataStore::Transaction::~Transaction()
{
    if (m_open) {
        runSimple(m_connection->db, QStringLiteral("rollback to ") + m_name);
        runSimple(m_connection->db, QStringLiteral("release ") + m_name);
    }
    if (m_connection)
        --m_connection->savepoints;
}

bool DataStore::Transaction::commit()
{
    if (!m_open)
        return false;
    // A release that fails leaves the unit open; the destructor then rolls
    // it back instead of letting later statements join it.
    if (!runSimple(m_connection->db, QStringLiteral("release ") + m_name))
        return false;
    m_open = false;
    return true;
}

} // namespace kaoshi
