#include "data/PostgresEngine.h"

#include "data/ServerSchema.h"
#include "data/ServerText.h"

namespace kaoshi {

namespace {

// One statement on the server. It is run on its first step, with the rows
// all read then; bind and reset make the next step run it again.
class PostgresStatement final : public EngineStatement
{
public:
    PostgresStatement(std::shared_ptr<ServerConnection> connection, QString sql, int parameters,
                      QStringList columns, Values values)
        : m_connection(std::move(connection)), m_sql(std::move(sql)), m_parameters(parameters),
          m_columns(std::move(columns)), m_values(std::move(values))
    {
    }

    bool bind(const Values &values) override
    {
        reset();
        if (values.size() != m_parameters) {
            m_error = {ServerConnection::kMisuseCode, QStringLiteral("语句的参数个数不符"), QStringLiteral("07001")};
            m_connection->restoreError(m_error);
            return false;
        }
        m_values = values;
        return true;
    }

    Step step() override
    {
        if (!m_rows) {
            m_rows = m_connection->run(m_sql, m_values);
            if (!m_rows) {
                m_error = m_connection->lastError();
                return Step::Failed;
            }
            m_error = {};
            m_position = -1;
            if (m_rows->columnCount() > 0)
                m_columns = m_rows->columnNames();
        }
        if (m_position < m_rows->rowCount())
            ++m_position;
        return m_position < m_rows->rowCount() ? Step::Row : Step::Done;
    }

    void reset() override
    {
        m_rows.reset();
        m_position = -1;
    }

    int columnCount() const override { return int(m_columns.size()); }
    QStringList columnNames() const override { return m_columns; }
    FieldValue value(int column) const override { return m_rows ? m_rows->value(m_position, column) : FieldValue(); }
    DataError error() const override { return m_error; }

private:
    std::shared_ptr<ServerConnection> m_connection;
    QString m_sql;
    int m_parameters = 0;
    QStringList m_columns;
    Values m_values;
    std::optional<ServerRows> m_rows;
    int m_position = -1;
    DataError m_error;
};

OpenFailure openFailureOf(ServerFailure failure)
{
    switch (failure) {
    case ServerFailure::None: return OpenFailure::None;
    case ServerFailure::DatabaseMissing: return OpenFailure::Missing;
    case ServerFailure::NotOurs: return OpenFailure::NotOurs;
    case ServerFailure::MissingTable: return OpenFailure::MissingTable;
    case ServerFailure::MissingColumn: return OpenFailure::MissingColumn;
    default: return OpenFailure::Other;
    }
}

} // namespace

PostgresEngine::PostgresEngine(ServerSettings settings)
    : m_settings(std::move(settings)), m_connection(std::make_shared<ServerConnection>())
{
}

PostgresEngine::~PostgresEngine() = default;

OpenFailure PostgresEngine::open(const QString &, int busyTimeoutMs)
{
    close();
    ServerSettings settings = m_settings;
    settings.lockTimeoutMs = busyTimeoutMs;
    if (!m_connection->open(settings))
        return openFailureOf(m_connection->failure());
    const std::optional<ServerRows> rows = m_connection->run(QStringLiteral(
        "select current_setting('transaction_read_only') = 'on' or not has_table_privilege('单选', 'INSERT')"));
    m_readOnly = rows && rows->value(0, 0).toInteger() != 0;
    return OpenFailure::None;
}

void PostgresEngine::close()
{
    // Statements still held keep the old connection; this engine starts a new one.
    if (m_connection.use_count() > 1)
        m_connection = std::make_shared<ServerConnection>();
    else
        m_connection->close();
    m_readOnly = false;
}

bool PostgresEngine::isOpen() const { return m_connection->isOpen(); }

std::unique_ptr<EngineStatement> PostgresEngine::prepare(const QString &sql, const Values &values)
{
    if (sql.trimmed().isEmpty()) {
        noteFailure(QStringLiteral("没有语句"));
        return nullptr;
    }
    int parameters = 0;
    server::numberedPlaceholders(sql, &parameters);
    if (parameters != values.size()) {
        noteFailure(QStringLiteral("语句的参数个数不符"));
        return nullptr;
    }
    const std::optional<QStringList> columns = m_connection->describe(sql);
    if (!columns)
        return nullptr;
    return std::make_unique<PostgresStatement>(m_connection, sql, parameters, *columns, values);
}

qint64 PostgresEngine::changes() const { return m_connection->changes(); }

bool PostgresEngine::begin() { return m_connection->begin(); }

bool PostgresEngine::commit() { return m_connection->commit(); }

bool PostgresEngine::rollback()
{
    if (m_connection->depth() == 0)
        return false;
    m_connection->rollback();
    return true;
}

DataError PostgresEngine::lastError() const { return m_connection->lastError(); }

void PostgresEngine::noteFailure(const QString &message)
{
    m_connection->restoreError({ServerConnection::kMisuseCode, message, QStringLiteral("07001")});
}

void PostgresEngine::restoreError(const DataError &error) { m_connection->restoreError(error); }

bool PostgresEngine::isBusy(const DataError &error) const
{
    // lock_not_available: another seat held the rows longer than the busy time.
    return error.state == QLatin1String("55P03");
}

bool PostgresEngine::isReadOnlyRefusal(const DataError &error) const
{
    // read_only_sql_transaction, insufficient_privilege
    return error.state == QLatin1String("25006") || error.state == QLatin1String("42501");
}

QStringList PostgresEngine::schemaStatements() const { return server::schemaStatements(); }

QStringList PostgresEngine::indexStatements() const
{
    QStringList statements;
    for (const server::IndexStatement &index : server::indexStatements())
        statements << index.statement;
    return statements;
}

QString PostgresEngine::makeTableStatement(const QString &table, const QString &select) const
{
    return QStringLiteral("create table %1 as %2").arg(table, select);
}

QString PostgresEngine::equalityIndexStatement(const QString &index, const QString &table, const QString &column) const
{
    // A hash index keeps only the hash, so a text of any length can be found.
    return QStringLiteral("create index %1 on %2 using hash (%3)").arg(index, table, column);
}

} // namespace kaoshi
