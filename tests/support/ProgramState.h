#pragma once
// What one run of the program holds, for window tests: the scripted
// platform, the run's practice and exam state, a fixture database and the
// context every window receives.
#include "TestDatabase.h"

#include "exam/ExamState.h"
#include "practice/PracticeSession.h"
#include "ui/AppContext.h"
#include "ui/ScriptedPlatform.h"

namespace kaoshi::test {

// One run of the program on a program folder of the caller's: the run's
// state and a database store that the main window opens there.
struct ProgramRun {
    ScriptedPlatform platform;
    PracticeSession practice;
    ExamState exam;
    DataStore store;
    AppContext context;
    explicit ProgramRun(const QString &programDir)
        : context{programDir, store, platform.platform(), practice, exam}
    {
    }
};

struct ProgramState {
    ScriptedPlatform platform;
    PracticeSession practice;
    ExamState exam;
    TestDatabase db;
    AppContext context{db.programDir(), db.store(), platform.platform(), practice, exam};
};

} // namespace kaoshi::test
