#pragma once
// The names of the database file 考试修改.mdb and of the picture folder.
#include <QString>

namespace kaoshi {

inline const QString kDatabaseFileName = QStringLiteral("考试修改.mdb");
inline const QString kImageFolder = QStringLiteral("image");

} // namespace kaoshi
