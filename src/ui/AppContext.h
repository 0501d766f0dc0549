#pragma once
// What every window receives: the data folder, the shared DataStore, the
// platform seams, the hosting shell, and the state that the practice windows
// and the examination keep for the whole run.
#include "data/DataStore.h"
#include "data/Schema.h"
#include "print/PrintRequest.h"
#include "ui/DatabaseStatus.h"
#include "ui/Platform.h"

#include <QDir>

namespace kaoshi {

class Shell;
struct PracticeSession;
struct ExamState;

struct AppContext {
    // The data folder, the one place of the database, image/, the settings
    // files and 导出/: the program directory of a copied program folder, or
    // the per-user data folder of an installed program (decided once at
    // start by prepareDataFolder, app/DataFolder.h). Nothing else names a
    // folder for data.
    QString dataDir;
    DataStore &store;
    Platform platform;
    PracticeSession &practice;
    ExamState &exam;
    Shell *shell = nullptr;

    QString databasePath() const { return QDir(dataDir).filePath(kDatabaseFileName); }
    // The problem with the database told last, so that it is told once.
    QString toldProblem;
    // The last list handed to the print window, and that window while it is open.
    PrintSession print;

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
};

} // namespace kaoshi
