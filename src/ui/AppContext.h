#pragma once
// What every window receives: the program directory, the shared DataStore,
// the platform seams, the hosting shell, and the state that the practice
// windows and the examination keep for the whole run.
#include "data/DataStore.h"
#include "data/Schema.h"
#include "ui/DatabaseStatus.h"
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
    // The problem with the database told last, so that it is told once.
    QString toldProblem;

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
