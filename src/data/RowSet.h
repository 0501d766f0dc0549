#pragma once
// A read-only result that moves forward; it starts on the first row. A step
// that fails ends the rows and is told apart from the end by failed().
// Only the data layer reads rows; everything above it gets typed records.
#include "data/DataError.h"
#include "data/Engine.h"
#include "data/FieldValue.h"

#include <QStringList>
#include <memory>
#include <optional>

namespace kaoshi {

class RowSet
{
public:
    RowSet() = default;
    RowSet(RowSet &&other) noexcept = default;
    RowSet &operator=(RowSet &&other) noexcept = default;
    RowSet(const RowSet &) = delete;
    RowSet &operator=(const RowSet &) = delete;
    ~RowSet() = default;

    void first();
    void next();
    bool atEnd() const { return m_atEnd; }
    // The query could not run, or a step failed: the rows seen are not all.
    bool failed() const { return m_error.isError(); }
    DataError error() const { return m_error; }

    // By column name or alias; "" when there is no current row or no such column.
    FieldValue value(const QString &column) const;
    // By 1-based column number.
    FieldValue value(int column) const;
    int columnCount() const { return int(m_columnNames.size()); }
    const QStringList &columnNames() const { return m_columnNames; }
    void close();

private:
    friend class DataStore;
    explicit RowSet(std::unique_ptr<EngineStatement> statement);
    static RowSet failure(const DataError &error);
    void step();

    std::unique_ptr<EngineStatement> m_statement;
    QStringList m_columnNames;
    bool m_atEnd = true;
    qint64 m_row = -1;
    DataError m_error;
};

// The first column of every row as text; nothing when the rows could not all be read.
std::optional<QStringList> firstColumnTexts(RowSet rows);

} // namespace kaoshi
