#pragma once
// A unit of statements that is kept whole: rolled back unless committed.
// Units nest.
#include "data/DataError.h"

namespace kaoshi {

class DataStore;
class Engine;

class Transaction
{
public:
    explicit Transaction(DataStore &store);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // true when the unit began; statements of a unit that did not begin are
    // not kept whole, so callers stop.
    bool isOpen() const { return m_open; }
    bool commit();
    DataError error() const { return m_error; }

private:
    Engine *m_engine = nullptr;
    bool m_open = false;
    DataError m_error;
};

} // namespace kaoshi
