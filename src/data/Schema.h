#pragma once
// Tables, columns and question types of the database file 考试修改.mdb.
#include <QString>
#include <QStringList>

namespace kaoshi {

// The four question banks, always handled in this order. Each word is at once
// a bank table name, a value of the 题型 columns and a tab caption.
const QStringList &questionTypes();
bool isQuestionType(const QString &text);

inline const QString kDatabaseFileName = QStringLiteral("考试修改.mdb");
inline const QString kImageFolder = QStringLiteral("image");

} // namespace kaoshi
