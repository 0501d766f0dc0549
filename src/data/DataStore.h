#pragma once
// The one data-access object every table file uses. A statement is its SQL
// with ? placeholders plus the values bound to them, so no typed text is ever
// part of the SQL. Failures never raise and never show anything: they give
// empty results or false, and lastError() keeps the engine's reason. The
// store talks to its database only through an Engine.
#include "data/DataError.h"
#include "data/Engine.h"
#include "data/FieldValue.h"
#include "data/RowSet.h"
#include "data/Transaction.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace kaoshi {

class DataStore
{
public:
    // Why the database is not usable, as the start-up message names it.
    enum class Availability { Usable, Missing, NotADatabase, NotOurs, MissingTable, MissingColumn, Locked, Other };

    // A store on a database file through SQLite.
    DataStore();
    explicit DataStore(std::unique_ptr<Engine> engine);
    ~DataStore();
    DataStore(const DataStore &) = delete;
    DataStore &operator=(const DataStore &) = delete;

    // Closes any connection, then connects. A missing database is created
    // with every table; an existing one that is not ours is never touched,
    // and then open fails.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_engine->isOpen(); }
    QString path() const { return m_path; }
    Availability availability() const { return m_availability; }
    // How long a database that another program holds is retried before a
    // statement fails; a few seconds unless set.
    void setBusyTimeout(int milliseconds) { m_busyTimeoutMs = milliseconds; }
    // Open, but every write will be refused (read-only file or folder).
    bool isReadOnly() const { return m_engine->isReadOnly(); }

    RowSet query(const QString &sql, const Values &values = {});
    bool execute(const QString &sql, const Values &values = {});
    // Runs one statement once for each list of values, prepared once;
    // stops at the first failure. rowValues(i) gives the values of row i,
    // so that the rows need not all be held at once.
    bool executeEach(const QString &sql, qsizetype rows, const std::function<Values(qsizetype)> &rowValues);
    bool executeEach(const QString &sql, const std::vector<Values> &rows);
    // Rows changed by the last execute.
    qint64 changes() const { return m_engine->changes(); }

    // The engine's reason for the last failure on this store.
    DataError lastError() const { return m_engine->lastError(); }
    QString errorString() const { return lastError().message; }

    // Records a failure found before the engine was asked (a refused table
    // name, a value that is not a number), so that it is reported like one.
    void noteFailure(const QString &message) { m_engine->noteFailure(message); }

    Engine &engine() { return *m_engine; }

private:
    std::shared_ptr<Engine> m_engine;
    QString m_path;
    Availability m_availability = Availability::Missing;
    int m_busyTimeoutMs = 5000;
};

} // namespace kaoshi
