#include "data/Transaction.h"

#include "data/DataStore.h"

namespace kaoshi {

Transaction::Transaction(DataStore &store)
{
    if (!store.isOpen()) {
        m_error = store.lastError();
        return;
    }
    m_engine = &store.engine();
    m_open = m_engine->begin();
    if (!m_open)
        m_error = m_engine->lastError();
}

Transaction::~Transaction()
{
    if (m_open)
        m_engine->rollback();
}

bool Transaction::commit()
{
    if (!m_open)
        return false;
    // A commit that fails leaves the unit open; the destructor then rolls
    // it back instead of letting later statements join it.
    if (!m_engine->commit()) {
        m_error = m_engine->lastError();
        return false;
    }
    m_open = false;
    return true;
}

} // namespace kaoshi
