#pragma once
// What every window receives: the services of the run. The program
// directory, the shared DataStore, the platform seams and the hosting shell;
// no state that one window writes for another to read (that travels in a
// TaskRequest or a constructor).
#include "data/DataStore.h"
#include "data/Schema.h"
#include "ui/DatabaseStatus.h"
#include "ui/Platform.h"

#include <QDir>

namespace kaoshi {

class Shell;

struct AppContext {
    QString programDir;
    DataStore &store;
    Platform platform;
    Shell *shell = nullptr;

    QString databasePath() const { return QDir(programDir).filePath(kDatabaseFileName); }

    // Every task window reconnects when it is created. A file that cannot be
    // used, or only read, is reported the first time it is found so.
    bool reopenStore()
    {
        const bool opened = store.open(databasePath());
        const Message problem = databaseProblem(store);
        if (!problem.text.isEmpty() && problem.text != toldProblem)
            messages().notify(problem);
        toldProblem = problem.text;
        return opened;
    }
    MessageBoxes &messages() { return platform.messages; }

    // The problem with the database told last, so that it is told once.
    QString toldProblem;
};

} // namespace kaoshi
