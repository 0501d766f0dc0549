#pragma once
// A fresh, empty database on the test server for one test: made when the
// test starts and dropped when it ends. The test command starts the server
// and hands its connection over in PGHOST, PGPORT and PGUSER.
#include "data/ServerSettings.h"

#include <QString>

namespace kaoshi::test {

// Runs sql signed in with settings; the server's error, "" on success.
QString runStatement(const ServerSettings &settings, const QString &sql);

class TestServer
{
public:
    TestServer();
    ~TestServer();
    TestServer(const TestServer &) = delete;
    TestServer &operator=(const TestServer &) = delete;

    // false (with the reason) when no test server runs.
    bool isReady() const { return m_ready; }
    QString reason() const { return m_reason; }
    // Signs in to the fresh database.
    ServerSettings settings() const;
    // Runs a statement as the server's superuser on the fresh database; its
    // error message, "" on success.
    QString admin(const QString &sql) const;
    // Ends every other connection to the fresh database, as a server that
    // went away does.
    void dropConnections() const;

private:
    static QString maintenance(const QString &database, const QString &sql);
    QString m_database;
    bool m_ready = false;
    QString m_reason;
};

} // namespace kaoshi::test
