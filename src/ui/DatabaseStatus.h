#pragma once
// What the user is told about a database file the program cannot use as it
// should: not a database of ours, a table or column missing, locked by
// another program, or read-only.
#include <QString>

namespace kaoshi {

class DataStore;
struct Message;

// The message for the store's state after open(); an empty text when the
// file is usable and writable.
Message databaseProblem(const DataStore &store);

} // namespace kaoshi
