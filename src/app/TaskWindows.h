#pragma once
// The tasks the shell offers in its menus and its navigation bar, and the
// windows they open.
#include "ui/TaskRequest.h"

#include <QList>
#include <QString>
#include <QWidget>
#include <functional>

namespace kaoshi {

struct AppContext;
struct PracticeSession;

enum class TaskKind {
    Bank,
    Grading,
    Analysis, // 成绩分析
    Marking,  // 阅卷 of free answers
    Console,  // 监考: the seats of a room on one occasion
    SequentialPractice,
    RandomPractice,
    ChapterPractice,
    ExamConfig,
    Candidate,
    ExamPaper,     // opened by a successful sign-in
    HandIn,        // 交卷: actions on the open paper, no window
    Collect,       // 收卷
    ClearDatabase, // an action of the shell, no window
    ImportQuestions, // the import dialog, over the bank list when one is shown
    PrintPaper,      // 打印试卷: papers, answer sheets and keys for a paper exam
    DatabaseSettings, // 数据库.ini: the local file or a server
    About,         // 关于: version and where the data lives, over whatever is shown
    CopyToServer,  // 复制到服务器: the local file's data into the server
    CopyToFile,    // 复制到文件: the server's data into a new file
};

// One entry of the menus and the navigation bar.
struct TaskEntry {
    QString group;         // menu and navigation group caption
    QString item;          // item caption
    TaskKind kind;
    QuestionType questionType = QuestionType::SingleChoice; // for the bank entries
    bool inMenu = true;
    bool inNavigation = true;
    bool runsFromNavigation = true; // an item that the navigation bar shows without action
};

// The groups in the order of the menu bar and the navigation bar; the
// navigation bar has the chapter group after 练习, filled as it opens.
const QList<TaskEntry> &taskEntries();
const QStringList &taskGroups();
inline const QString kChapterGroup = QStringLiteral("章节练习");
// The menu shown only while an exam paper is open.
inline const QString kPaperGroup = QStringLiteral("试卷");
const TaskEntry *findTask(const QString &group, const QString &item);
const TaskEntry *findMenuTask(const QString &item);

// Creates the window of a task inside host; nullptr for a task that has no
// window in this build. practice: what the practice windows and the paper
// keep for the run.
QWidget *createTaskWindow(TaskKind kind, const TaskRequest &request, AppContext &context, PracticeSession &practice,
                          QWidget *host);

using TaskFactory = std::function<QWidget *(TaskKind, const TaskRequest &, AppContext &, QWidget *)>;

} // namespace kaoshi
