#pragma once
// Everything that is particular to a PostgreSQL server, on libpq: signing
// in, the schema of an empty database, running one statement with bound
// values, units of work, and the server's errors.
//
// - Values are always bound ($1, $2, … in place of the table files' ?).
// - Every error keeps the server's message and its SQLSTATE.
// - A lost connection is reported as lost; the next operation reconnects
//   once. A unit of work that was open when the connection went is never
//   continued: its statements and its commit fail until it is rolled back.
// - A statement or unit that the server ended with serialization_failure
//   (40001) or deadlock_detected (40P01) is run again, a bounded number of
//   times; when the last try fails too, that failure is reported.
#include "data/DataError.h"
#include "data/FieldValue.h"
#include "data/ServerSettings.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

struct pg_conn;
struct pg_result;

namespace kaoshi {

// Why a server database could not be used.
enum class ServerFailure {
    None,
    Unreachable,     // no server answers at that host and port
    Authentication,  // the server refused the user or password
    DatabaseMissing, // the server has no such database
    NotUtf8,         // the database cannot hold every character
    NotOurs,         // tables of another program
    MissingTable,    // ours, but a table is missing
    MissingColumn,   // ours, but a column is missing
    Lost,            // the connection went while working
    Other,
};

// The rows of one statement's result, all read; kept while in use.
class ServerRows
{
public:
    ServerRows() = default;
    explicit ServerRows(pg_result *result);

    int rowCount() const;
    int columnCount() const;
    QStringList columnNames() const;
    // 0-based row and column; the null value outside the rows.
    FieldValue value(int row, int column) const;
    // Rows changed by an insert, update or delete.
    qint64 changes() const;

private:
    std::shared_ptr<pg_result> m_result;
};

class ServerConnection
{
public:
    // Tries per statement or unit that the server asks to run again.
    static constexpr int kTries = 5;
    // DataError::code of a failure on the server (DataError::state tells
    // which), and of a statement refused before it was sent.
    static constexpr int kServerErrorCode = 1;
    static constexpr int kMisuseCode = 2;

    ServerConnection();
    ~ServerConnection();
    ServerConnection(const ServerConnection &) = delete;
    ServerConnection &operator=(const ServerConnection &) = delete;

    // Signs in; an empty database becomes ours in one unit, a database of
    // another shape is refused and left as it is.
    enum class WhenEmpty { MakeOurs, LeaveEmpty };
    bool open(const ServerSettings &settings, WhenEmpty whenEmpty = WhenEmpty::MakeOurs);
    // The database was empty (and left so by LeaveEmpty).
    bool wasEmpty() const { return m_wasEmpty; }
    void close();
    bool isOpen() const { return m_connection != nullptr; }
    ServerFailure failure() const { return m_failure; }
    // The server asked for a password and none was given (typed, or found in
    // libpq's password or service file).
    bool neededPassword() const { return m_neededPassword; }
    DataError lastError() const { return m_lastError; }
    // Keeps a reason found outside the server, or the one a unit was given up for.
    void restoreError(const DataError &error) { m_lastError = error; }
    // The server's process serving this connection (0 when there is none).
    int serverProcess() const;

    // Runs one statement; ? placeholders take values in order.
    std::optional<ServerRows> run(const QString &sql, const Values &values = {});
    // The result columns of a statement, found without running it; nothing
    // when the server refuses the statement (the reason in lastError()).
    std::optional<QStringList> describe(const QString &sql);
    bool execute(const QString &sql, const Values &values = {});
    // Rows changed by the last statement.
    qint64 changes() const { return m_changes; }

    // Units nest: the outermost is a transaction, inner ones savepoints.
    bool begin();
    bool commit();
    void rollback();
    int depth() const { return m_depth; }
    // Runs work as one unit, again when the server ended it for a
    // serialization failure or a deadlock (outermost units only).
    bool inUnit(const std::function<bool()> &work);

    static bool isRetryable(const DataError &error);
    static bool isConnectionLoss(const DataError &error);
    // Whether a server answers at the settings' host and port (it need not
    // let anyone in); waits no longer than the settings' connect timeout.
    static bool answers(const ServerSettings &settings);

private:
    bool connect();
    void classifyConnectFailure();
    bool ensureSchema(WhenEmpty whenEmpty);
    // Makes the tables a database of an earlier version lacks.
    void ensureAddedTables(const QStringList &present);
    void ensureIndexes();
    bool ensureConnected();
    // The unit open when the connection went is over: nothing of it is kept.
    bool failLostUnit();
    // One round trip, no retry; false when the statement was not sent.
    bool send(const QString &sql, const Values &values, pg_result *&result);
    // Queries and writes are prepared once per connection and kept: a
    // statement run again (the next question, a row of an import) is only
    // executed. Other statements are sent as they come.
    struct Prepared {
        QByteArray name;
        int parameters = 0;
        QStringList columns;
    };
    static bool isKept(const QString &sql);
    const Prepared *prepared(const QString &sql);
    void forgetPrepared(const QString &sql);
    bool takeResult(pg_result *result, std::optional<ServerRows> &rows);
    bool control(const QString &statement);
    void fail(ServerFailure failure, const QString &message, const QString &state = {});

    pg_conn *m_connection = nullptr;
    ServerSettings m_settings;
    ServerFailure m_failure = ServerFailure::None;
    DataError m_lastError;
    qint64 m_changes = 0;
    int m_depth = 0;
    // The connection went while a unit was open: it stays failed until rolled back.
    bool m_unitLost = false;
    bool m_wasEmpty = false;
    bool m_neededPassword = false;
    QHash<QString, Prepared> m_prepared;
    QStringList m_preparedOrder; // the oldest first, forgotten first
    int m_preparedCount = 0;
};

} // namespace kaoshi
