#pragma once
// How statements and values travel to a PostgreSQL server and back: the ?
// placeholders the table files write become $1, $2, …; texts keep a NUL,
// which a server text cannot hold, in an escaped form; numbers are sent in
// the shortest decimal form that reads back as the same value.
#include "data/FieldValue.h"

#include <QByteArray>
#include <QString>

namespace kaoshi::server {

// "? … ?" becomes "$1 … $2"; "?3" becomes "$3". Question marks inside
// quoted texts, quoted names and comments stay. parameters: the highest
// number used.
QString numberedPlaceholders(const QString &sql, int *parameters = nullptr);

// A text as it is kept on the server. Texts without a NUL and without the
// escape sign U+FFFF are kept unchanged; a NUL is kept as U+FFFF "0" and the
// escape sign itself as two of them.
QString toServerText(const QString &text);
QString fromServerText(const QString &stored);

// The text form of an integer or real number that the server reads as
// exactly that number ("2.5", "0.1", "Infinity").
QByteArray numberText(const FieldValue &value);

// A value the server gave in its text form, turned into a typed value by
// the column's type (integer, real, numeric, bytea, bool, text): a numeric
// without a fraction is an integer, as a whole number is in a file.
FieldValue valueFromServer(unsigned typeOid, const char *data, int length);

} // namespace kaoshi::server
