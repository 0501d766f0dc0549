#include "data/RowSet.h"

namespace kaoshi {

namespace {

int findColumn(const QStringList &names, const QString &column)
{
    const int exact = int(names.indexOf(column));
    if (exact >= 0)
        return exact;
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(column, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

RowSet::RowSet(std::unique_ptr<EngineStatement> statement)
    : m_statement(std::move(statement)), m_columnNames(m_statement->columnNames())
{
    step();
}

RowSet RowSet::failure(const DataError &error)
{
    RowSet rows;
    rows.m_error = error;
    return rows;
}

void RowSet::step()
{
    if (!m_statement) {
        m_atEnd = true;
        return;
    }
    const EngineStatement::Step s = m_statement->step();
    m_atEnd = s != EngineStatement::Step::Row;
    if (s == EngineStatement::Step::Failed)
        m_error = m_statement->error();
    ++m_row;
}

void RowSet::first()
{
    if (!m_statement || m_row == 0)
        return;
    m_statement->reset();
    m_row = -1;
    m_error = {};
    step();
}

void RowSet::next()
{
    if (!m_atEnd)
        step();
}

FieldValue RowSet::value(const QString &column) const
{
    if (m_atEnd)
        return {};
    const int index = findColumn(m_columnNames, column);
    return index < 0 ? FieldValue() : m_statement->value(index);
}

FieldValue RowSet::value(int column) const
{
    if (m_atEnd || column < 1 || column > m_columnNames.size())
        return {};
    return m_statement->value(column - 1);
}

std::optional<QStringList> firstColumnTexts(RowSet rows)
{
    QStringList texts;
    for (; !rows.atEnd(); rows.next())
        texts << rows.value(1).toText();
    if (rows.failed())
        return std::nullopt;
    return texts;
}

void RowSet::close()
{
    m_statement.reset();
    m_atEnd = true;
}

} // namespace kaoshi
