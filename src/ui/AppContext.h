#pragma once
// What every window receives: the program directory, the shared DataStore,
// the platform seams, the hosting shell, and the state that the practice
// windows and the examination keep for the whole run.
#include "data/DataStore.h"
#include "data/Schema.h"
#include "ui/Platform.h"

#include <QDir>

namespace kaoshi {

class Shell;
struct PracticeSession;
struct ExamState;

struct AppContext {
    QString programDir;
    DataStore &store;
    Platform platform;
    PracticeSession &practice;
    ExamState &exam;
    Shell *shell = nullptr;

    QString databasePath() const { return QDir(programDir).filePath(kDatabaseFileName); }
    // Every task window reconnects when it is created.
    bool reopenStore() { return store.open(databasePath()); }
    MessageBoxes &messages() { return platform.messages; }
};

} // namespace kaoshi
