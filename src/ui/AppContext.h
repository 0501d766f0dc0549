#pragma once
// What every window receives: the services of the run. The data folder, the
// shared DataStore, the platform seams and the hosting shell; no state that
// one window writes for another to read (that travels in a TaskRequest or a
// constructor).
#include "data/DataStore.h"
#include "data/Schema.h"
#include "ui/DatabaseStatus.h"
#include "ui/Platform.h"

#include <QDir>

namespace kaoshi {

class Shell;

struct AppContext {
    // The data folder, the one place of the database, image/, the settings
    // files and 导出/: the program directory of a copied program folder, or
    // the per-user data folder of an installed program (decided once at
    // start by prepareDataFolder, app/DataFolder.h). Nothing else names a
    // folder for data.
    QString dataDir;
    DataStore &store;
    Platform platform;
    Shell *shell = nullptr;

    // Where the database is: the file in the data folder, unless 数据库.ini
    // chose a server (then its description, for messages).
    QString databasePath() const
    {
        return serverLocation.isEmpty() ? QDir(dataDir).filePath(kDatabaseFileName) : serverLocation;
    }

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
    // The server chosen in 数据库.ini, as "user@host:port/database"; empty for the file.
    QString serverLocation;
    // The password typed at start, kept in memory for the run only.
    QString serverPassword;
    // 数据库.ini chose a server that could not be reached, and the user chose
    // the file for this run.
    bool fileForThisRun = false;
};

} // namespace kaoshi
