#pragma once
// The one data-access object every window uses. A statement is its SQL with
// ? placeholders plus the values bound to them, so no typed text is ever
// part of the SQL. Failures never raise and never show anything: they give
// empty results or false, and lastError() keeps the engine's reason.
#include "data/DataError.h"
#include "data/FieldValue.h"
#include "data/RecordCursor.h"
#include "data/RowSet.h"
#include "data/Transaction.h"

#include <QString>
#include <memory>

namespace kaoshi {

namespace engine {
struct Connection;
}

class DataStore
{
public:
    // Why the file is not usable, as the start-up message names it.
    enum class Availability { Usable, Missing, NotADatabase, NotOurs, MissingTable, MissingColumn, Locked, Other };

    DataStore();
    ~DataStore();
    DataStore(const DataStore &) = delete;
    DataStore &operator=(const DataStore &) = delete;

    // Closes any connection, then connects to the file. A missing file is
    // created with every table; an existing file that is not one of our
    // databases is never touched, and then open fails.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_connection != nullptr; }
    QString path() const { return m_path; }
    Availability availability() const { return m_availability; }
    // How long a file that another program holds is retried before a
    // statement fails; a few seconds unless set.
    void setBusyTimeout(int milliseconds) { m_busyTimeoutMs = milliseconds; }
    // Open, but every write will be refused (read-only file or folder).
    bool isReadOnly() const;

    RowSet query(const QString &sql, const Values &values = {});
    bool execute(const QString &sql, const Values &values = {});
    RecordCursor openCursor(const QString &source, CursorKind kind, const Values &values = {});
    // Rows changed by the last execute.
    qint64 changes() const;

    // The engine's reason for the last failure on this store.
    DataError lastError() const;
    QString errorString() const { return lastError().message; }

    // Records a failure found before the engine was asked (a refused table
    // name, a value that is not a number), so that it is reported like one.
    void noteFailure(const QString &message);

    std::shared_ptr<engine::Connection> connection() const { return m_connection; }

private:
    std::shared_ptr<engine::Connection> m_connection;
    QString m_path;
    Availability m_availability = Availability::Missing;
    DataError m_openError;
    int m_busyTimeoutMs = 5000;
};

} // namespace kaoshi
