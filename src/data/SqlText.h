#pragma once
// Helpers for building statements by concatenation without letting user text
// change their meaning. Statements keep their plain shape:
//   "update " + type + " set 练习答案='" + sqlText(answer) + "' where 题号=" + sqlNumber(no)
#include <QString>

namespace kaoshi {

// A text placed between single quotes: every single quote is doubled.
QString sqlText(const QString &text);

// A number placed without quotes. A text that is not a decimal number yields a
// marker that makes the DataStore refuse the whole statement (it then behaves
// like any failed statement: empty result, false, empty cursor).
QString sqlNumber(const QString &number);
QString sqlNumber(qint64 number);

// True when the statement contains no rejected number.
bool isSafeStatement(const QString &statement);

// True for "12", "-3", "2.5", " 7 "; false for "", "abc", "1 or 1=1".
bool isDecimalNumber(const QString &text);

// Turns the Access statements the windows build into SQLite:
//   "delete * from …"              → "delete from …"
//   "select * into X from (…)"     → "create table X as select * from (…)"
// Everything else is passed through unchanged.
QString accessToSqlite(const QString &statement);

} // namespace kaoshi
