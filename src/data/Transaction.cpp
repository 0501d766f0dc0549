#include "data/Transaction.h"

#include "data/DataStore.h"
#include "data/SqliteEngine.h"

namespace kaoshi {

Transaction::Transaction(DataStore &store) : m_connection(store.connection())
{
    if (!m_connection) {
        m_error = store.lastError();
        return;
    }
    m_name = QStringLiteral("unit%1").arg(++m_connection->savepoints);
    m_open = engine::run(*m_connection, QStringLiteral("savepoint ") + m_name);
    if (!m_open)
        m_error = m_connection->lastError;
}

Transaction::~Transaction()
{
    if (m_open) {
        // The error that made the caller give up stays the one reported.
        const DataError reason = m_connection->lastError;
        engine::run(*m_connection, QStringLiteral("rollback to ") + m_name);
        engine::run(*m_connection, QStringLiteral("release ") + m_name);
        m_connection->lastError = reason;
    }
    if (m_connection)
        --m_connection->savepoints;
}

bool Transaction::commit()
{
    if (!m_open)
        return false;
    // A release that fails leaves the unit open; the destructor then rolls
    // it back instead of letting later statements join it.
    if (!engine::run(*m_connection, QStringLiteral("release ") + m_name)) {
        m_error = m_connection->lastError;
        return false;
    }
    m_open = false;
    return true;
}

} // namespace kaoshi
