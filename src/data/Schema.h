#pragma once
// The names of the database file 考试修改.mdb and of the picture folder.
#include <QString>

namespace kaoshi {

inline const QString kDatabaseFileName = QStringLiteral("考试修改.mdb");
inline const QString kImageFolder = QStringLiteral("image");

// A wrong practice answer: written, and not the standard answer. The list of
// wrong questions states it exactly so, so that this partial index serves it.
inline const QString kWrongAnswerCondition = QStringLiteral("练习答案<>'' and 练习答案<>标准答案");
inline QString wrongQuestionIndex(const QString &table)
{
    return QStringLiteral("create index if not exists %1_错题 on %1 (题号) where ").arg(table) + kWrongAnswerCondition;
}

} // namespace kaoshi
