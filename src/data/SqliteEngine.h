#pragma once
// Everything that is particular to SQLite: opening a file, the pragmas, the
// schema and index statements, the translation of the Access statements,
// binding values and reading typed columns, and the engine's error codes.
// Nothing outside the data layer includes this file.
#include "data/DataError.h"
#include "data/FieldValue.h"

#include <QString>
#include <QStringList>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace kaoshi::engine {

// One open database file. RowSets and cursors share it, so a result stays
// readable while other statements run.
struct Connection {
    sqlite3 *db = nullptr;
    int savepoints = 0;
    DataError lastError;
    bool readOnly = false;
    ~Connection();

    // Records the engine's error of the last call (or clears it on success).
    void noteResult(int code);
    void fail(int code, const QString &message);
};

struct StatementDeleter {
    void operator()(sqlite3_stmt *statement) const;
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// Why a file could not be opened as one of our databases.
enum class OpenFailure { None, Missing, NotADatabase, NotOurs, MissingTable, MissingColumn, Locked, Other };

struct OpenResult {
    std::shared_ptr<Connection> connection;
    OpenFailure failure = OpenFailure::None;
    DataError error;
};

// Opens the file, creating it with the schema when it does not exist. An
// existing file that is not one of our databases is never altered. Opening
// ensures the indexes the statements rely on; a read-only file is opened for
// reading.
// busyTimeoutMs: how long a file that another program holds is retried.
OpenResult openDatabase(const QString &path, int busyTimeoutMs);

// Prepares exactly one statement and binds its values; nullptr on failure,
// with the reason in the connection's last error.
StatementPtr prepare(Connection &connection, const QString &sql, const Values &values = {});
// Steps a statement that returns no rows to its end.
bool runToEnd(Connection &connection, sqlite3_stmt *statement);
bool run(Connection &connection, const QString &sql, const Values &values = {});

void bind(sqlite3_stmt *statement, int index, const FieldValue &value);
FieldValue columnValue(sqlite3_stmt *statement, int index);
// Result column names; "(章节)" of "distinct(章节)" is also found as 章节.
QStringList columnNames(sqlite3_stmt *statement);
QString declaredType(sqlite3_stmt *statement, int index);
bool isReadOnlyStatement(sqlite3_stmt *statement);
qint64 lastInsertRowId(Connection &connection);

// Steps once: Row, Done, or Failed (the engine's error is noted).
enum class Step { Row, Done, Failed };
Step step(Connection &connection, sqlite3_stmt *statement);
void reset(sqlite3_stmt *statement);

bool isIntegerType(const QString &declared);
bool isNumberType(const QString &declared);

QString quotedIdentifier(const QString &name);

// The Access forms the statements keep: "delete * from" and
// "select * into X from (…)" (a make-table query).
QString translate(const QString &statement);

// Statements that create an empty database of ours.
QStringList schemaStatements();
// Statements that create the indexes the program's statements rely on,
// each only when missing.
QStringList indexStatements();
// The table of hand scores, made when a file does not have it yet.
QString handScoreTableStatement();

} // namespace kaoshi::engine
