#pragma once
#include <QString>

namespace kaoshi {

// The file a stored picture location ("\image\2026120191.png") names inside
// the program directory, as a native path, when that file lies in the
// program directory's image folder; "" for an empty location or one that
// leads anywhere else (through "..", an absolute path or a link), so that a
// question bank from elsewhere cannot show or launch arbitrary files.
QString pictureFile(const QString &programDir, const QString &location);

} // namespace kaoshi
