#include "data/DataStore.h"

#include "data/SqliteEngine.h"

namespace kaoshi {

namespace {

DataStore::Availability availabilityOf(OpenFailure failure)
{
    using F = OpenFailure;
    using A = DataStore::Availability;
    switch (failure) {
    case F::None: return A::Usable;
    case F::Missing: return A::Missing;
    case F::NotADatabase: return A::NotADatabase;
    case F::NotOurs: return A::NotOurs;
    case F::MissingTable: return A::MissingTable;
    case F::MissingColumn: return A::MissingColumn;
    case F::Locked: return A::Locked;
    case F::Other: return A::Other;
    }
    return A::Other;
}

} // namespace

DataStore::DataStore() : DataStore(std::make_unique<SqliteEngine>()) {}

DataStore::DataStore(std::unique_ptr<Engine> engine) : m_engine(std::move(engine)) {}

DataStore::~DataStore() = default;

bool DataStore::open(const QString &path)
{
    m_path = path;
    const OpenFailure failure = m_engine->open(path, m_busyTimeoutMs);
    m_availability = availabilityOf(failure);
    return failure == OpenFailure::None;
}

void DataStore::close() { m_engine->close(); }

RowSet DataStore::query(const QString &sql, const Values &values)
{
    if (!isOpen())
        return RowSet::failure(lastError());
    std::unique_ptr<EngineStatement> statement = m_engine->prepare(sql, values);
    if (!statement)
        return RowSet::failure(lastError());
    return RowSet(std::move(statement));
}

bool DataStore::execute(const QString &sql, const Values &values) { return isOpen() && m_engine->run(sql, values); }

bool DataStore::executeEach(const QString &sql, const std::vector<Values> &rows)
{
    return executeEach(sql, qsizetype(rows.size()), [&rows](qsizetype i) { return rows[size_t(i)]; });
}

bool DataStore::executeEach(const QString &sql, qsizetype rows, const std::function<Values(qsizetype)> &rowValues)
{
    if (!isOpen() || rows <= 0)
        return isOpen();
    std::unique_ptr<EngineStatement> statement = m_engine->prepare(sql, rowValues(0));
    if (!statement)
        return false;
    for (qsizetype i = 0; i < rows; ++i) {
        if (i > 0 && !statement->bind(rowValues(i)))
            return false;
        EngineStatement::Step s;
        while ((s = statement->step()) == EngineStatement::Step::Row) {
        }
        if (s == EngineStatement::Step::Failed)
            return false;
    }
    return true;
}

} // namespace kaoshi
