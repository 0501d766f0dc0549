#pragma once
// One run of the program on the database kaoshi of a server of the test's
// own (OwnServer), for tests that stop the server under a seat: the server,
// the program folder, the scripted platform and the store opened on it.
#include "OwnServer.h"

#include "data/PostgresEngine.h"
#include "ui/AppContext.h"
#include "ui/ScriptedPlatform.h"

#include <QTemporaryDir>

namespace kaoshi::test {

struct OwnServerRun {
    // How the store reaches the server: over its unix socket, or over TCP on
    // 127.0.0.1 as a seat in the room does.
    enum class Reach { Socket, Network };

    explicit OwnServerRun(Reach reach)
        : settings(reach == Reach::Network ? own.overNetwork(QStringLiteral("kaoshi"), QStringLiteral("kaoshi"))
                                           : own.settings(QStringLiteral("kaoshi"))),
          store(std::make_unique<PostgresEngine>(settings)), context{dir.path(), store, platform.platform()}
    {
        context.serverLocation = settings.describe();
        if (!own.isReady())
            failure = own.reason();
        else if (const QString made = own.admin(QStringLiteral("create database kaoshi encoding 'UTF8' template template0"));
                 !made.isEmpty())
            failure = made;
        else if (!store.open(context.serverLocation))
            failure = store.errorString();
    }
    bool isReady() const { return failure.isEmpty(); }

    OwnServer own;
    ServerSettings settings;
    QTemporaryDir dir;
    ScriptedPlatform platform;
    DataStore store;
    AppContext context;
    QString failure; // why the run is not ready; "" when it is
};

} // namespace kaoshi::test
