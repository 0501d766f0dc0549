#pragma once
// The pictures of a question: records of table 图片 and the copies of the
// chosen files in the folder "image" of the program directory. A stored
// location is relative to the program directory and reads "\image\<name>".
#include "data/PictureTable.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace kaoshi {

class DataStore;

// A picture row of the question editor.
struct PictureRow {
    QString summary;
    QString source;   // full path of a newly chosen file; empty for a stored picture
    QString location; // destination "\image\…"; empty: the row holds no picture
};

// The question editor offers four picture rows.
inline constexpr int kPictureRows = 4;

// Year, month, day, hour, minute and second, zero-padded: "20260305090702".
QString pictureStamp(const QDateTime &moment);

// The extension of a chosen file with its dot (".jpg"); the last four
// characters when the name has none.
QString pictureExtension(const QString &sourcePath);

// "\image\" + stamp + extension, or with "-2", "-3" … after the stamp when
// that location is taken.
QString uniquePictureLocation(const QString &stamp, const QString &extension,
                              const std::function<bool(const QString &)> &isTaken);

// True for "\image\<file name>" without further folders.
bool isImageLocation(const QString &location);

// Copies the chosen file to its location, replacing the file there, and
// creates the folder "image" when it is missing.
bool copyPicture(const QString &programDir, const QString &source, const QString &location);

// The two halves of copyPicture, for a copy that must wait for the database:
// stagePicture copies the chosen file beside its location and returns that
// staged file ("" when there is nothing to copy: no source, or the source is
// the location's file itself; nothing when the copy failed); placeStagedPicture
// then moves it over the location in one step.
std::optional<QString> stagePicture(const QString &programDir, const QString &source, const QString &location);
bool placeStagedPicture(const QString &staged, const QString &programDir, const QString &location);

} // namespace kaoshi
