#pragma once
// What every window receives: the program directory, the shared DataStore,
// the platform seams, the process-wide session state and the hosting shell.
#include "app/SessionState.h"
#include "data/DataStore.h"
#include "data/Schema.h"
#include "ui/Platform.h"

#include <QDir>

namespace kaoshi {

class Shell;

struct AppContext {
    QString programDir;
    DataStore &store;
    Platform platform;
    SessionState &session;
    Shell *shell = nullptr;

    QString databasePath() const { return QDir(programDir).filePath(kDatabaseFileName); }
    // Every task window reconnects when it is created.
    bool reopenStore() { return store.open(databasePath()); }
    MessageBoxes &messages() { return platform.messages; }
};

} // namespace kaoshi
