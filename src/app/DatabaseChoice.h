#pragma once
// Which database the program works on: the file 考试修改.mdb beside the
// program (the default) or a database server, as 数据库.ini in the program
// directory says, so that the seats of a room share one copied program
// folder. A password is never written there: it comes from libpq's password
// or service file, or is typed at start.
#include "data/ServerConnection.h"
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
// What does not work with that server, for 测试连接 and the start-up message.
QString serverFailureText(ServerFailure failure, const ServerSettings &settings, const QString &reason);

// The status bar's name of the database in use: shown names the file by its
// folder and name only ("本机文件：…/数据/考试修改.mdb"), full by its whole path.
struct DatabaseInUse {
    QString shown;
    QString full;
};
// serverLocation empty: the file at filePath; fileForThisRun: the server of
// 数据库.ini could not be reached and this run uses the file.
DatabaseInUse databaseInUse(const QString &filePath, const QString &serverLocation, bool fileForThisRun);

} // namespace kaoshi
