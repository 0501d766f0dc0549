#pragma once
// The windows the shell opens from the menu and the navigation bar.
#include <QWidget>
#include <functional>

namespace kaoshi {

struct AppContext;

enum class TaskKind {
    Bank,
    Grading,
    SequentialPractice,
    RandomPractice,
    ChapterPractice,
    ExamConfig,
    Candidate,
};

// Creates the window of a task inside host; nullptr for a task that has no
// window in this build.
QWidget *createTaskWindow(TaskKind kind, AppContext &context, QWidget *host);

using TaskFactory = std::function<QWidget *(TaskKind, AppContext &, QWidget *)>;

} // namespace kaoshi
