#pragma once
// What the user is told about a database file the program cannot use as it
// should: not a database of ours, a table or column missing, locked by
// another program, or read-only.
#include <QString>

namespace kaoshi {

class DataStore;
struct Message;

// How to begin when no bank holds a question.
inline QString emptyBanksHint() { return QStringLiteral("题库是空的：请在 题库 > 导入题库 中导入题目"); }

// The message for the store's state after open(); an empty text when the
// file is usable and writable.
Message databaseProblem(const DataStore &store);

} // namespace kaoshi
