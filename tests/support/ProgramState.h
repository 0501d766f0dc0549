#pragma once
// What one run of the program holds, for window tests: the scripted
// platform, a fixture database and the context every window receives.
#include "TestDatabase.h"

#include "ui/AppContext.h"
#include "ui/ScriptedPlatform.h"

namespace kaoshi::test {

// One run of the program on a program folder of the caller's: the run's
// state and a database store that the main window opens there.
struct ProgramRun {
    ScriptedPlatform platform;
    DataStore store;
    AppContext context;
    explicit ProgramRun(const QString &programDir)
        : context{programDir, store, platform.platform()}
    {
    }
};

struct ProgramState {
    ProgramState() = default;
    // A run on a database of the test server.
    explicit ProgramState(TestEngine engine) : db(engine) {}

    ScriptedPlatform platform;
    TestDatabase db;
    AppContext context{db.programDir(), db.store(), platform.platform()};
};

} // namespace kaoshi::test
