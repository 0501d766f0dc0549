#pragma once
// The statements of table 图片文件, where a database server keeps the bytes
// of every picture under its stored location ("\image\…"). A database file
// has no such table: its pictures are files in the folder image.
#include "data/DataStore.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace kaoshi::pictureFiles {

// What the server holds for a location: its size in bytes and the MD5 of
// its bytes (lower-case hex), so that a seat can tell its copy is the same
// without fetching the picture.
struct FileStamp {
    enum class State { Stored, Missing, Failed };
    State state = State::Failed;
    qint64 size = 0;
    QByteArray md5;
};

FileStamp stampOf(DataStore &store, const QString &location);
// The bytes stored for the location; nothing when it is missing or cannot be read.
std::optional<QByteArray> contentOf(DataStore &store, const QString &location);
// Nothing when the table cannot be read.
std::optional<bool> exists(DataStore &store, const QString &location);
// Stores the bytes under the location, replacing what was stored there.
bool put(DataStore &store, const QString &location, const QByteArray &bytes);
// Removes the files that no 图片 row names any more. Does nothing (and
// succeeds) where the engine keeps no picture files.
bool dropUnused(DataStore &store);

} // namespace kaoshi::pictureFiles
