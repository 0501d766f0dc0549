#pragma once
// A scrollable cursor with an exact row count. A table cursor appends rows:
// addNew, set the columns, and the next move (or update) stores the row.
#include "data/DataError.h"
#include "data/FieldValue.h"

#include <QHash>
#include <QList>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3_stmt;

namespace kaoshi {

namespace engine {
struct Connection;
}

enum class CursorKind {
    Sql,   // the source is a SELECT text
    Table, // the source is a table name: all its rows, editable, deleteAll allowed
};

class RecordCursor
{
public:
    RecordCursor();
    RecordCursor(RecordCursor &&other) noexcept;
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

    // The cursor could not be opened or its rows not read, or the last store failed.
    bool failed() const { return m_error.isError(); }
    DataError error() const { return m_error; }

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
    void noteError();

    std::shared_ptr<engine::Connection> m_connection;
    CursorKind m_kind = CursorKind::Sql;
    QString m_table;
    QString m_select;
    Values m_values;
    std::vector<Column> m_columns;
    bool m_loaded = false;
    std::vector<std::vector<FieldValue>> m_rows;
    std::vector<qint64> m_rowIds;
    qint64 m_count = -1;
    qint64 m_position = 0;
    std::optional<QHash<int, FieldValue>> m_pending;
    // The insert of the last stored row, kept for rows that set the same columns.
    std::shared_ptr<sqlite3_stmt> m_insert;
    QList<int> m_insertColumns;
    DataError m_error;
};

} // namespace kaoshi
