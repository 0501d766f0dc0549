#pragma once
// What the data layer asks of a database engine. DataStore, RowSet,
// Transaction and the table files talk only to this interface; SqliteEngine
// implements it for one database file, and an engine for a database server
// implements it the same way. Statements are plain standard SQL with ?
// placeholders and bound values; what differs between engines (column types,
// the schema, the identity of a row, make-table statements, error codes) is
// asked of the engine, never written into a table file.
#include "data/DataError.h"
#include "data/FieldValue.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace kaoshi {

// Why a database could not be opened as one of ours.
enum class OpenFailure { None, Missing, NotADatabase, NotOurs, MissingTable, MissingColumn, Locked, Other };

// One prepared statement with its bound values; it stays usable while the
// engine runs other statements, and keeps the connection alive.
class EngineStatement
{
public:
    enum class Step { Row, Done, Failed };

    virtual ~EngineStatement() = default;
    // Binds the values to the ? placeholders in order, after a reset;
    // false (with the reason in error()) when their count differs.
    virtual bool bind(const Values &values) = 0;
    // Steps once; a failure is noted in error() and in the engine's last error.
    virtual Step step() = 0;
    // Back before the first row, the bound values kept.
    virtual void reset() = 0;
    virtual int columnCount() const = 0;
    // Result column names as written or aliased; "(章节)" of "distinct(章节)"
    // comes back as 章节.
    virtual QStringList columnNames() const = 0;
    // A column of the current row, 0-based; the null value without one.
    virtual FieldValue value(int column) const = 0;
    virtual DataError error() const = 0;
};

class Engine
{
public:
    virtual ~Engine() = default;

    // Connects to the database. A missing database is created with the
    // schema; an existing one that is not ours is never altered. Opening
    // ensures the index statements; a database that may only be read is
    // opened for reading.
    virtual OpenFailure open(const QString &location, int busyTimeoutMs) = 0;
    // Disconnects; statements still held keep their connection until released.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Every write will be refused (a read-only file or folder, a read-only
    // account on a server).
    virtual bool isReadOnly() const = 0;

    // Prepares exactly one statement and binds its values; nullptr on
    // failure, with the reason in lastError().
    virtual std::unique_ptr<EngineStatement> prepare(const QString &sql, const Values &values = {}) = 0;
    // Prepares and steps a statement to its end.
    bool run(const QString &sql, const Values &values = {});
    // Rows changed by the last statement that changed rows.
    virtual qint64 changes() const = 0;

    // Units of work; they nest. A rollback or commit ends the innermost unit.
    virtual bool begin() = 0;
    virtual bool commit() = 0;
    virtual bool rollback() = 0;

    // The engine's reason for the last failure (code and message); cleared
    // by the next call that succeeds.
    virtual DataError lastError() const = 0;
    // Records a failure found before the engine was asked.
    virtual void noteFailure(const QString &message) = 0;
    // Replaces the last error, so that the reason a unit was given up for
    // stays the one reported after its rollback.
    virtual void restoreError(const DataError &error) = 0;
    // The error says that another program holds the database, or that the
    // database refuses writes.
    virtual bool isBusy(const DataError &error) const = 0;
    virtual bool isReadOnlyRefusal(const DataError &error) const = 0;
    // The code of a failure found before the engine was asked.
    virtual int misuseCode() const = 0;

    // The statements that create an empty database of ours, and those that
    // create the indexes the program's statements rely on (each only when
    // missing).
    virtual QStringList schemaStatements() const = 0;
    virtual QStringList indexStatements() const = 0;
    // The column that names a row of a table for as long as it exists.
    virtual QString rowIdColumn() const = 0;
    // The statement that makes table from the rows of select.
    virtual QString makeTableStatement(const QString &table, const QString &select) const = 0;
    // The statement that makes an index for finding rows by an equal text
    // of any length (the server's ordered indexes refuse long texts).
    virtual QString equalityIndexStatement(const QString &index, const QString &table, const QString &column) const = 0;
    // The declared type of integer, text and number columns.
    virtual QString integerType() const = 0;
    virtual QString textType() const = 0;
    // The picture files live in the database (table 图片文件) rather than in
    // the folder image beside it; each seat keeps copies of them there.
    virtual bool storesPictureFiles() const { return false; }
    // Whether statements that read every answer with its question should
    // join the banks (a server hashes them once) rather than look each
    // answer's question up in a bank's index (cheaper per row in a file).
    virtual bool joinsAnswersToBanks() const { return false; }
    // A second connection to the same database that only reads, so that one
    // long read can be shared out between two threads. Nothing where it
    // could see other rows than this connection does (a unit of work is
    // open, or the file keeps a write-ahead log whose readers may start on
    // different commits), or where the engine gives none.
    virtual std::unique_ptr<Engine> openReader() const { return nullptr; }
    // An expression for the database's own clock: milliseconds since
    // 1970-01-01 UTC, as an integer. Every seat of a room reads one clock.
    virtual QString nowMillisecondsExpression() const = 0;
    // What a make-table statement lists first so that the table has the row
    // identity rowIdColumn() names ("" where every table has one anyway).
    virtual QString rowIdDeclaration() const = 0;
    // A statement with one ? for a table name that gives the number of
    // tables of that name in the database (0 or 1).
    virtual QString tableCountStatement() const = 0;
};

} // namespace kaoshi
