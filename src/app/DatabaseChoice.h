#pragma once
// Which database the program works on: the file 考试修改.mdb beside the
// program (the default) or a database server, as 数据库.ini in the program
// directory says, so that the seats of a room share one copied program
// folder. A password is never written there: it comes from libpq's password
// or service file, or is typed at start.
#include "data/ServerSettings.h"

#include <QString>

namespace kaoshi {

inline const QString kDatabaseSettingsFile = QStringLiteral("数据库.ini");

struct DatabaseChoice {
    enum class Kind { File, Server };
    Kind kind = Kind::File;
    ServerSettings server;
};

// A missing file, or one without section 数据库, chooses the file.
DatabaseChoice readDatabaseChoice(const QString &programDir);
// Keeps the other sections and keys of the file; false with the reason when
// it could not be written.
bool writeDatabaseChoice(const QString &programDir, const DatabaseChoice &choice, QString *error = nullptr);

// What 测试连接 tells: whether the program can work on that server, or
// exactly what does not work. An empty database is left empty.
struct ConnectionReport {
    bool works = false;
    QString text;
};
ConnectionReport testConnection(const ServerSettings &settings);

} // namespace kaoshi
