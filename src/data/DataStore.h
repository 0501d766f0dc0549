#pragma once
// The one data-access object every window uses. Failures never raise and never
// show anything: they become empty results, false returns or empty values.
#include "data/FieldValue.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3_stmt;

namespace kaoshi {

namespace detail {
struct Connection;
}

enum class CursorKind {
    Sql,   // the source is a SELECT text
    Table, // the source is a table name: all its rows, editable, deleteAll allowed
};

// A read-only result that moves forward; it starts on the first row.
class RowSet
{
public:
    RowSet() = default;
    RowSet(RowSet &&other) noexcept;
    RowSet &operator=(RowSet &&other) noexcept;
    RowSet(const RowSet &) = delete;
    RowSet &operator=(const RowSet &) = delete;
    ~RowSet();

    void first();
    void next();
    bool atEnd() const { return m_atEnd; }
    // By column name or alias; "" when there is no current row or no such column.
    FieldValue value(const QString &column) const;
    // By 1-based column number.
    FieldValue value(int column) const;
    int columnCount() const { return m_columnNames.size(); }
    void close();

private:
    friend class DataStore;
    void step();
    int columnIndex(const QString &column) const;

    std::shared_ptr<detail::Connection> m_connection;
    sqlite3_stmt *m_statement = nullptr;
    QStringList m_columnNames;
    bool m_atEnd = true;
    qint64 m_row = -1;
};

// A scrollable cursor with an exact row count. A table cursor appends rows:
// addNew, set the columns, and the next move stores the row.
class RecordCursor
{
public:
    RecordCursor() = default;
    RecordCursor(RecordCursor &&other) noexcept = default;
    RecordCursor &operator=(RecordCursor &&other) noexcept;
    RecordCursor(const RecordCursor &) = delete;
    RecordCursor &operator=(const RecordCursor &) = delete;
    ~RecordCursor();

    // The current row's value as text; "" (and false) without a current row.
    bool readText(const QString &column, QString &text);
    // Only for integer columns; otherwise false and the variable is unchanged.
    bool readInteger(const QString &column, qint64 &number);
    bool readInteger(const QString &column, int &number);
    FieldValue value(const QString &column);

    // Moves; true when the cursor then has a current row. Moving past either
    // end leaves it without one. A pending new row is stored first.
    bool first();
    bool next();
    bool previous();
    bool last();
    bool hasCurrentRow();

    qint64 recordCount();

    bool addNew();
    bool setText(const QString &column, const QString &text);
    bool setInteger(const QString &column, qint64 number);
    bool setNumber(const QString &column, double number);
    // Stores the pending new row without moving; true when it was stored.
    bool update();

    // Only for a table cursor: "delete from" the table.
    bool deleteAll();
    // Releases the cursor; a new row that no move has stored is discarded.
    void close();

private:
    friend class DataStore;
    struct Column {
        QString name;
        QString declaredType;
    };

    int columnIndex(const QString &column) const;
    void load();
    bool storePendingRow();
    bool storeBeforeMove();
    bool setValue(const QString &column, const FieldValue &value, bool (*accepts)(const QString &));
    const FieldValue *current(const QString &column);

    std::shared_ptr<detail::Connection> m_connection;
    CursorKind m_kind = CursorKind::Sql;
    QString m_table;
    QString m_select;
    std::vector<Column> m_columns;
    bool m_loaded = false;
    std::vector<std::vector<FieldValue>> m_rows;
    std::vector<qint64> m_rowIds;
    qint64 m_count = -1;
    qint64 m_position = 0;
    std::optional<QHash<int, FieldValue>> m_pending;
    // The insert of the last stored row, kept for rows that set the same columns.
    struct StatementDeleter {
        void operator()(sqlite3_stmt *statement) const;
    };
    std::unique_ptr<sqlite3_stmt, StatementDeleter> m_insert;
    QList<int> m_insertColumns;
};

class DataStore
{
public:
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

    RowSet query(const QString &statement);
    bool execute(const QString &statement);
    RecordCursor openCursor(const QString &source, CursorKind kind);

    // A unit of statements that is kept whole: rolled back unless committed.
    // Units nest.
    class Transaction
    {
    public:
        explicit Transaction(DataStore &store);
        ~Transaction();
        bool commit();

    private:
        std::shared_ptr<detail::Connection> m_connection;
        QString m_name;
        bool m_open = false;
    };

private:
    std::shared_ptr<detail::Connection> m_connection;
    QString m_path;
};

} // namespace kaoshi
