#pragma once
// A PostgreSQL cluster of one test's own, started by the test through
// tests/support/test-server and removed when the test ends: for what the
// shared test server must not see (a stopped server, password sign-in). It
// keeps every commit through a crash, as a real server does.
#include "data/ServerSettings.h"

#include <QString>
#include <QTemporaryDir>

namespace kaoshi::test {

class OwnServer
{
public:
    // maxConnections: how many connections the server takes; 0 for the
    // test server's usual number.
    explicit OwnServer(int maxConnections = 0);
    ~OwnServer();
    OwnServer(const OwnServer &) = delete;
    OwnServer &operator=(const OwnServer &) = delete;

    bool isReady() const { return m_ready; }
    QString reason() const { return m_reason; }
    // The superuser on database over the unix socket.
    ServerSettings settings(const QString &database = QStringLiteral("postgres")) const;
    // The same server over TCP on 127.0.0.1, where pg_hba.conf may ask for a password.
    ServerSettings overNetwork(const QString &database, const QString &user) const;
    // Runs sql as the superuser on database; its error, "" on success.
    QString admin(const QString &sql, const QString &database = QStringLiteral("postgres")) const;
    // Puts line first in pg_hba.conf and has the server read it again.
    bool allowFirst(const QString &line) const;
    // Stops the server at once, as a crash does; and starts it again.
    bool halt() const { return script(QStringLiteral("halt")); }
    bool resume() const { return script(QStringLiteral("resume")); }

private:
    bool script(const QString &command, QString *output = nullptr) const;
    int m_maxConnections = 0;
    QTemporaryDir m_state;
    QString m_folder;
    int m_port = 0;
    bool m_ready = false;
    QString m_reason;
};

} // namespace kaoshi::test
