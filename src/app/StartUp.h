#pragma once
// Choosing the database at start. 数据库.ini may name a server; when that
// server cannot be used the user is told the host and the reason and
// chooses: try again, change the settings, or use the local file for this
// run only. When the server asks for a password that libpq's password or
// service file does not give, the user types it; it is kept in memory for
// the run (reconnects use it) and never written anywhere.
#include "app/DatabaseChoice.h"

#include <QString>
#include <optional>

namespace kaoshi {

enum class AfterServerFailure { Retry, ChangeSettings, UseLocalFile };

// What the start asks of the user; a dialog each in the program, a script in tests.
class StartUpQuestions
{
public:
    virtual ~StartUpQuestions() = default;
    // The password for server, typed with echo off; nothing when cancelled.
    // reason: why the last attempt failed ("" the first time).
    virtual std::optional<QString> password(const ServerSettings &server, const QString &reason) = 0;
    // text names the host and the reason.
    virtual AfterServerFailure afterFailure(const QString &text) = 0;
    // 数据库设置 over the start; its choice is read again afterwards.
    virtual void changeSettings() = 0;
};

struct StartUpChoice {
    DatabaseChoice choice; // the server's settings carry a typed password
    bool fileForThisRun = false;
};

// Reads 数据库.ini in dataDir and, for a server, signs in once to see that
// it can be used (an empty database is made ours there).
StartUpChoice chooseDatabaseAtStart(const QString &dataDir, StartUpQuestions &questions);

// The start-up message: the host, the reason, and the three ways on.
QString startFailureText(const QString &reason);

} // namespace kaoshi
