#pragma once
// Whether a store's database can be reached again, found out without the
// store: a seat that lost its server asks from another thread, so that the
// window never waits for a dead connection, and uses the store again only
// once the server answers.
#include "data/DataError.h"

#include <functional>

namespace kaoshi {

class DataStore;

// A check that may run on any thread and holds nothing of the store: for a
// server, whether it answers within timeoutSeconds; for a file, whether the
// file is there.
std::function<bool()> reachProbe(DataStore &store, int timeoutSeconds = 2);

// The store is a database server (not a file).
bool isOnServer(DataStore &store);

// The failure means the server went away or cannot be reached, not that it
// refused what was asked.
bool isServerGone(DataStore &store, const DataError &error);

} // namespace kaoshi
