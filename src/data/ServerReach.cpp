#include "data/ServerReach.h"

#include "data/DataStore.h"
#include "data/PostgresEngine.h"
#include "data/ServerConnection.h"

#include <QFileInfo>

namespace kaoshi {

std::function<bool()> reachProbe(DataStore &store, int timeoutSeconds)
{
    if (const auto *server = dynamic_cast<const PostgresEngine *>(&store.engine())) {
        ServerSettings settings = server->settings();
        settings.connectTimeoutSeconds = timeoutSeconds;
        return [settings] { return ServerConnection::answers(settings); };
    }
    const QString path = store.path();
    return [path] { return QFileInfo(path).isFile(); };
}

bool isOnServer(DataStore &store) { return dynamic_cast<const PostgresEngine *>(&store.engine()) != nullptr; }

bool isServerGone(DataStore &store, const DataError &error)
{
    return isOnServer(store) && ServerConnection::isConnectionLoss(error);
}

} // namespace kaoshi
