#include "data/ServerConnection.h"

#include "data/ServerSchema.h"
#include "data/ServerText.h"

#include <QThread>
#include <libpq-fe.h>
#include <vector>

namespace kaoshi {

namespace {

constexpr int kServerError = ServerConnection::kServerErrorCode;
// SQLSTATEs of failures found on this side of the connection.
const QString kStateLost = QStringLiteral("08006");
const QString kStateNoConnection = QStringLiteral("08003");
const QString kStateCannotConnect = QStringLiteral("08001");
const QString kStateMisuse = QStringLiteral("42601");
// Statements kept prepared per connection.
constexpr qsizetype kKeptStatements = 128;
// The advisory lock that keeps two seats from making the schema at once.
constexpr qint64 kSchemaLock = 0x6b616f736869; // "kaoshi"

void ignoreNotice(void *, const char *) {}

QString libpqMessage(const PGconn *connection)
{
    return QString::fromUtf8(PQerrorMessage(connection)).trimmed();
}

DataError errorOf(const PGresult *result, const PGconn *connection)
{
    DataError error{kServerError, QString(), QString()};
    const char *primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    error.message = primary ? QString::fromUtf8(primary) : libpqMessage(connection);
    error.state = state ? QString::fromLatin1(state) : QString();
    return error;
}

// The parameters of one statement in the form libpq sends them.
struct BoundValues {
    std::vector<QByteArray> storage;
    std::vector<const char *> data;
    std::vector<int> lengths;
    std::vector<int> formats;
    std::vector<Oid> types;

    explicit BoundValues(const Values &values)
    {
        const size_t n = size_t(values.size());
        storage.resize(n);
        data.resize(n, nullptr);
        lengths.resize(n, 0);
        formats.resize(n, 0);
        types.resize(n, 0); // the server infers each type, as for a literal
        for (size_t i = 0; i < n; ++i) {
            const FieldValue &value = values[qsizetype(i)];
            switch (value.type()) {
            case FieldValue::Type::Null: continue;
            case FieldValue::Type::Integer:
            case FieldValue::Type::Real: storage[i] = server::numberText(value); break;
            case FieldValue::Type::Text: storage[i] = server::toServerText(value.toText()).toUtf8(); break;
            case FieldValue::Type::Blob:
                storage[i] = value.toBytes();
                formats[i] = 1;
                types[i] = 17; // bytea, sent as it is
                break;
            }
            data[i] = storage[i].constData();
            lengths[i] = int(storage[i].size());
        }
    }
};

} // namespace

ServerRows::ServerRows(pg_result *result) : m_result(result, PQclear) {}

int ServerRows::rowCount() const { return m_result ? PQntuples(m_result.get()) : 0; }

int ServerRows::columnCount() const { return m_result ? PQnfields(m_result.get()) : 0; }

QStringList ServerRows::columnNames() const
{
    QStringList names;
    for (int i = 0; i < columnCount(); ++i)
        names << QString::fromUtf8(PQfname(m_result.get(), i));
    return names;
}

FieldValue ServerRows::value(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount() ||
        PQgetisnull(m_result.get(), row, column))
        return FieldValue();
    return server::valueFromServer(PQftype(m_result.get(), column), PQgetvalue(m_result.get(), row, column),
                                   PQgetlength(m_result.get(), row, column));
}

qint64 ServerRows::changes() const
{
    return m_result ? QByteArray(PQcmdTuples(m_result.get())).toLongLong() : 0;
}

ServerConnection::ServerConnection() = default;

ServerConnection::~ServerConnection() { close(); }

void ServerConnection::close()
{
    if (m_connection)
        PQfinish(m_connection);
    m_connection = nullptr;
    m_depth = 0;
    m_unitLost = false;
    m_prepared.clear();
    m_preparedOrder.clear();
}

void ServerConnection::fail(ServerFailure failure, const QString &message, const QString &state)
{
    m_failure = failure;
    m_lastError = {kServerError, message, state};
}

bool ServerConnection::open(const ServerSettings &settings, WhenEmpty whenEmpty)
{
    close();
    m_settings = settings;
    m_failure = ServerFailure::None;
    m_lastError = {};
    m_neededPassword = false;
    if (!connect()) {
        classifyConnectFailure();
        close();
        return false;
    }
    const QByteArray encoding = PQparameterStatus(m_connection, "server_encoding");
    if (encoding != "UTF8") {
        fail(ServerFailure::NotUtf8,
             QStringLiteral("数据库的编码是 %1，存不下所有的字；请用 UTF8 编码的数据库").arg(QString::fromLatin1(encoding)));
        close();
        return false;
    }
    if (!ensureSchema(whenEmpty)) {
        close();
        return false;
    }
    if (!m_wasEmpty || whenEmpty == WhenEmpty::MakeOurs)
        ensureIndexes();
    m_lastError = {};
    return true;
}

bool ServerConnection::connect()
{
    m_connection = PQconnectdb(m_settings.connectionText().constData());
    if (!m_connection || PQstatus(m_connection) != CONNECTION_OK) {
        m_lastError = {kServerError, libpqMessage(m_connection), kStateCannotConnect};
        return false;
    }
    PQsetNoticeProcessor(m_connection, ignoreNotice, nullptr);
    // The long statements (totals, the results analysis over every answer)
    // run about a second; compiling them to machine code first cost more
    // than it saved (0.15 to 1.1 s each, measured), and the seats' short
    // statements never reach the compiler's threshold. A server without
    // the setting refuses it, and nothing else changes.
    PQclear(PQexec(m_connection, "set jit = off"));
    return true;
}

void ServerConnection::classifyConnectFailure()
{
    const QString reason = m_lastError.message;
    ServerFailure failure = ServerFailure::Other;
    if (m_connection && PQconnectionNeedsPassword(m_connection)) {
        failure = ServerFailure::Authentication;
        m_neededPassword = true;
    } else {
        switch (PQping(m_settings.connectionText().constData())) {
        case PQPING_NO_RESPONSE:
        case PQPING_REJECT: failure = ServerFailure::Unreachable; break;
        case PQPING_NO_ATTEMPT: failure = ServerFailure::Other; break;
        case PQPING_OK: {
            // The server answers: the user gets in to another database when
            // only this one is missing.
            ServerSettings other = m_settings;
            other.database = m_settings.database == QLatin1String("postgres") ? QStringLiteral("template1")
                                                                              : QStringLiteral("postgres");
            PGconn *probe = PQconnectdb(other.connectionText().constData());
            failure = probe && PQstatus(probe) == CONNECTION_OK ? ServerFailure::DatabaseMissing
                                                                : ServerFailure::Authentication;
            PQfinish(probe);
            break;
        }
        }
    }
    fail(failure, reason, kStateCannotConnect);
}

bool ServerConnection::ensureSchema(WhenEmpty whenEmpty)
{
    QMap<QString, QStringList> tables;
    auto readShape = [this, &tables](server::Shape &shape, DataError &why) {
        const std::optional<ServerRows> rows = run(server::kShapeQuery);
        if (!rows)
            return false;
        tables.clear();
        for (int r = 0; r < rows->rowCount(); ++r)
            tables[rows->value(r, 0).toText()] << rows->value(r, 1).toText();
        shape = server::judgeShape(tables, why);
        return true;
    };
    server::Shape shape = server::Shape::Empty;
    DataError why;
    if (!readShape(shape, why)) {
        m_failure = ServerFailure::Other;
        return false;
    }
    m_wasEmpty = shape == server::Shape::Empty;
    if (m_wasEmpty && whenEmpty == WhenEmpty::LeaveEmpty)
        return true;
    if (shape == server::Shape::Empty) {
        // Made in one unit, and by one seat: another seat that got there
        // first has made it by the time the lock is ours.
        const bool made = inUnit([&] {
            if (!execute(QStringLiteral("select pg_advisory_xact_lock(?)"), {kSchemaLock}) || !readShape(shape, why))
                return false;
            if (shape != server::Shape::Empty)
                return true;
            for (const QString &statement : server::schemaStatements())
                if (!execute(statement))
                    return false;
            shape = server::Shape::Ours;
            return true;
        });
        if (!made) {
            m_failure = ServerFailure::Other;
            return false;
        }
    }
    switch (shape) {
    case server::Shape::Ours: ensureAddedTables(tables.keys()); return true;
    case server::Shape::NotOurs: fail(ServerFailure::NotOurs, why.message); return false;
    case server::Shape::MissingTable: fail(ServerFailure::MissingTable, why.message); return false;
    case server::Shape::MissingColumn:
    case server::Shape::Empty: fail(ServerFailure::MissingColumn, why.message); return false;
    }
    return false;
}

void ServerConnection::ensureAddedTables(const QStringList &present)
{
    if (server::addedTableStatements(present).isEmpty())
        return;
    // Made by one seat at a time, as the schema is. A user who may not make
    // them uses the database as it is, without what they hold.
    inUnit([this] {
        if (!execute(QStringLiteral("select pg_advisory_xact_lock(?)"), {kSchemaLock}))
            return false;
        for (const QString &statement : server::addedTableStatements({}))
            if (!execute(statement))
                return false;
        return true;
    });
    m_lastError = {};
}

void ServerConnection::ensureIndexes()
{
    // Only missing ones are made: asking for one that exists would still
    // lock its table against the other seats' writes.
    const std::optional<ServerRows> rows = run(server::kIndexQuery);
    if (!rows)
        return;
    QStringList present;
    for (int r = 0; r < rows->rowCount(); ++r)
        present << rows->value(r, 0).toText();
    // A user who may not make them uses the database as it is.
    for (const server::IndexStatement &index : server::indexStatements())
        if (!present.contains(index.name))
            execute(index.statement);
}

int ServerConnection::serverProcess() const { return m_connection ? PQbackendPID(m_connection) : 0; }

bool ServerConnection::isRetryable(const DataError &error)
{
    return error.state == QLatin1String("40001") || error.state == QLatin1String("40P01");
}

bool ServerConnection::isConnectionLoss(const DataError &error)
{
    return error.state.startsWith(QLatin1String("08")) || error.state.startsWith(QLatin1String("57P"));
}

bool ServerConnection::answers(const ServerSettings &settings)
{
    return PQping(settings.connectionText().constData()) == PQPING_OK;
}

bool ServerConnection::failLostUnit()
{
    m_lastError = {kServerError, QStringLiteral("与服务器的连接断开了，这一组修改没有保存"), kStateLost};
    return false;
}

bool ServerConnection::ensureConnected()
{
    if (!m_connection) {
        m_lastError = {kServerError, QStringLiteral("没有连接数据库服务器"), kStateNoConnection};
        return false;
    }
    if (m_unitLost)
        return failLostUnit();
    if (PQstatus(m_connection) == CONNECTION_OK)
        return true;
    PQreset(m_connection);
    m_prepared.clear(); // they went with the old session
    m_preparedOrder.clear();
    if (PQstatus(m_connection) == CONNECTION_OK)
        return true;
    m_lastError = {kServerError, QStringLiteral("连接不上数据库服务器：") + libpqMessage(m_connection),
                   kStateCannotConnect};
    return false;
}

bool ServerConnection::takeResult(pg_result *result, std::optional<ServerRows> &rows)
{
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
        rows.emplace(result);
        m_changes = rows->changes();
        m_lastError = {};
        return true;
    }
    DataError error = errorOf(result, m_connection);
    PQclear(result);
    if (status == PGRES_EMPTY_QUERY)
        error = {kServerError, QStringLiteral("没有语句"), kStateMisuse};
    if (PQstatus(m_connection) != CONNECTION_OK) {
        error.message = QStringLiteral("与服务器的连接断开了：") + error.message;
        if (!isConnectionLoss(error))
            error.state = kStateLost;
        if (m_depth > 0)
            m_unitLost = true;
    }
    m_lastError = error;
    return false;
}

bool ServerConnection::isKept(const QString &sql)
{
    const QString trimmed = sql.trimmed();
    qsizetype end = 0;
    while (end < trimmed.size() && trimmed[end].isLetter())
        ++end;
    const QString word = trimmed.left(end).toLower();
    return word == QLatin1String("select") || word == QLatin1String("insert") || word == QLatin1String("update") ||
           word == QLatin1String("delete") || word == QLatin1String("with");
}

const ServerConnection::Prepared *ServerConnection::prepared(const QString &sql)
{
    if (const auto found = m_prepared.constFind(sql); found != m_prepared.constEnd())
        return &found.value();
    Prepared made;
    const QByteArray text = server::numberedPlaceholders(sql, &made.parameters).toUtf8();
    made.name = "k" + QByteArray::number(++m_preparedCount);
    std::optional<ServerRows> rows;
    if (!takeResult(PQprepare(m_connection, made.name.constData(), text.constData(), made.parameters, nullptr), rows))
        return nullptr;
    if (!takeResult(PQdescribePrepared(m_connection, made.name.constData()), rows))
        return nullptr;
    made.columns = rows->columnNames();
    if (m_preparedOrder.size() >= kKeptStatements)
        forgetPrepared(m_preparedOrder.constFirst());
    m_preparedOrder.append(sql);
    return &m_prepared.insert(sql, made).value();
}

void ServerConnection::forgetPrepared(const QString &sql)
{
    const auto found = m_prepared.constFind(sql);
    if (found == m_prepared.constEnd())
        return;
    // Inside a failed unit the server keeps it until the session ends.
    if (PQtransactionStatus(m_connection) != PQTRANS_INERROR)
        PQclear(PQexec(m_connection, ("deallocate " + found->name).constData()));
    m_preparedOrder.removeOne(sql);
    m_prepared.erase(found);
}

bool ServerConnection::send(const QString &sql, const Values &values, pg_result *&result)
{
    const Prepared *kept = isKept(sql) ? prepared(sql) : nullptr;
    if (isKept(sql) && !kept)
        return false;
    int parameters = 0;
    const QByteArray text = kept ? QByteArray() : server::numberedPlaceholders(sql, &parameters).toUtf8();
    if ((kept ? kept->parameters : parameters) != values.size()) {
        m_lastError = {kMisuseCode, QStringLiteral("语句的参数个数不符"), kStateMisuse};
        return false;
    }
    const BoundValues bound(values);
    result = kept ? PQexecPrepared(m_connection, kept->name.constData(), int(values.size()), bound.data.data(),
                                   bound.lengths.data(), bound.formats.data(), 0)
                  : PQexecParams(m_connection, text.constData(), int(values.size()), bound.types.data(),
                                 bound.data.data(), bound.lengths.data(), bound.formats.data(), 0);
    return true;
}

std::optional<QStringList> ServerConnection::describe(const QString &sql)
{
    if (!ensureConnected())
        return std::nullopt;
    if (m_depth > 0 && PQtransactionStatus(m_connection) == PQTRANS_INERROR)
        return std::nullopt;
    if (!isKept(sql))
        return QStringList();
    const Prepared *kept = prepared(sql);
    if (!kept)
        return std::nullopt;
    return kept->columns;
}

std::optional<ServerRows> ServerConnection::run(const QString &sql, const Values &values)
{
    if (sql.trimmed().isEmpty()) {
        m_lastError = {kMisuseCode, QStringLiteral("没有语句"), kStateMisuse};
        return std::nullopt;
    }
    if (!ensureConnected())
        return std::nullopt;
    // In a unit that a statement has failed, the server refuses every
    // statement until the rollback; the first reason stays the one told.
    if (m_depth > 0 && PQtransactionStatus(m_connection) == PQTRANS_INERROR)
        return std::nullopt;
    for (int attempt = 1;; ++attempt) {
        pg_result *result = nullptr;
        if (!send(sql, values, result))
            return std::nullopt;
        std::optional<ServerRows> rows;
        if (takeResult(result, rows))
            return rows;
        // A kept statement whose tables were made anew is prepared again.
        const bool stale = m_lastError.state == QLatin1String("0A000") || m_lastError.state == QLatin1String("26000");
        if (stale)
            forgetPrepared(sql);
        if (stale && m_depth == 0 && attempt < kTries)
            continue;
        // Inside a unit the server has ended the whole unit: it is the
        // unit that runs again (inUnit).
        if (m_depth > 0 || !isRetryable(m_lastError) || attempt >= kTries)
            return std::nullopt;
        QThread::msleep(10 * attempt);
    }
}

bool ServerConnection::execute(const QString &sql, const Values &values) { return run(sql, values).has_value(); }

bool ServerConnection::control(const QString &statement)
{
    pg_result *result = PQexec(m_connection, statement.toUtf8().constData());
    std::optional<ServerRows> rows;
    if (!takeResult(result, rows))
        return false;
    // A commit of a unit the server has already ended answers "ROLLBACK".
    if (statement == QLatin1String("commit") && QByteArray(PQcmdStatus(result)) == "ROLLBACK") {
        m_lastError = {kServerError, QStringLiteral("服务器撤销了这一组修改"), QStringLiteral("25P02")};
        return false;
    }
    return true;
}

bool ServerConnection::begin()
{
    if (!ensureConnected())
        return false;
    if (m_depth > 0 && PQtransactionStatus(m_connection) == PQTRANS_INERROR)
        return false;
    if (!control(m_depth == 0 ? QStringLiteral("begin") : QStringLiteral("savepoint u%1").arg(m_depth + 1)))
        return false;
    ++m_depth;
    return true;
}

bool ServerConnection::commit()
{
    if (m_depth == 0)
        return false;
    if (m_unitLost)
        return failLostUnit();
    if (PQtransactionStatus(m_connection) == PQTRANS_INERROR)
        return false;
    if (!control(m_depth == 1 ? QStringLiteral("commit") : QStringLiteral("release savepoint u%1").arg(m_depth)))
        return false;
    --m_depth;
    return true;
}

void ServerConnection::rollback()
{
    if (m_depth == 0)
        return;
    const DataError reason = m_lastError;
    if (!m_unitLost && m_connection && PQstatus(m_connection) == CONNECTION_OK)
        control(m_depth == 1 ? QStringLiteral("rollback")
                             : QStringLiteral("rollback to savepoint u%1; release savepoint u%1").arg(m_depth));
    if (--m_depth == 0)
        m_unitLost = false;
    m_lastError = reason;
}

bool ServerConnection::inUnit(const std::function<bool()> &work)
{
    for (int attempt = 1;; ++attempt) {
        const bool outermost = m_depth == 0;
        if (!begin())
            return false;
        if (work() && commit())
            return true;
        const DataError why = m_lastError;
        rollback();
        m_lastError = why;
        if (!outermost || !isRetryable(why) || attempt >= kTries)
            return false;
        QThread::msleep(10 * attempt);
    }
}

} // namespace kaoshi
