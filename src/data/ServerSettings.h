#pragma once
// Where the database server is and who signs in: what 数据库.ini keeps for
// the seats of a room (never a password), plus a password typed at start,
// which lives only in memory.
#include <QByteArray>
#include <QString>

namespace kaoshi {

struct ServerSettings {
    // How long data sent to the server may stay unacknowledged before the
    // connection counts as lost.
    static constexpr int kDeadPeerMs = 10'000;

    QString host;          // name or address; a folder for a unix socket
    int port = 0;          // 0: the server's default
    QString database;
    QString user;
    QString service;       // a libpq service name: takes the rest from pg_service.conf
    QString password;      // typed at start; never stored
    int connectTimeoutSeconds = 10;
    int lockTimeoutMs = 0; // how long a row another seat holds is waited for; 0: as long as it takes

    // The libpq connection text; values are quoted, so no typed text adds a key.
    QByteArray connectionText() const;
    // "user@host:port/database" (or "service=name") for the status bar and messages.
    QString describe() const;
};

} // namespace kaoshi
