#include "app/TaskWindows.h"

#include "bank/BankWindow.h"
#include "exam/CandidateDialog.h"
#include "exam/ConsoleWindow.h"
#include "exam/ExamConfigDialog.h"
#include "exam/ExamPaperWindow.h"
#include "exam/PrintPaperDialog.h"
#include "grading/AnalysisWindow.h"
#include "grading/GradingWindow.h"
#include "grading/MarkingWindow.h"
#include "practice/ChapterPracticeWindow.h"
#include "practice/RandomPracticeWindow.h"
#include "practice/SequentialPracticeWindow.h"
#include "ui/AppContext.h"

namespace kaoshi {

namespace {
const QString kExam = QStringLiteral("考试");
const QString kPractice = QStringLiteral("练习");
const QString kBank = QStringLiteral("题库");
const QString kAdmin = QStringLiteral("管理");
} // namespace

const QList<TaskEntry> &taskEntries()
{
    static const QList<TaskEntry> entries{
        {kExam, QStringLiteral("模拟组卷"), TaskKind::Candidate},
        {kExam, QStringLiteral("评分"), TaskKind::Grading},
        {kExam, QStringLiteral("打印试卷"), TaskKind::PrintPaper, {}, true, false},
        {kExam, QStringLiteral("阅卷"), TaskKind::Marking},
        {kExam, QStringLiteral("成绩分析"), TaskKind::Analysis},
        {kExam, QStringLiteral("监考"), TaskKind::Console},
        {kPractice, QStringLiteral("顺序练习"), TaskKind::SequentialPractice},
        {kPractice, QStringLiteral("随机练习"), TaskKind::RandomPractice},
        {kBank, QStringLiteral("单选题库"), TaskKind::Bank, QuestionType::SingleChoice},
        {kBank, QStringLiteral("多选题库"), TaskKind::Bank, QuestionType::MultipleChoice},
        {kBank, QStringLiteral("判断题库"), TaskKind::Bank, QuestionType::TrueFalse},
        {kBank, QStringLiteral("问答题库"), TaskKind::Bank, QuestionType::FreeAnswer},
        {kPaperGroup, QStringLiteral("交卷"), TaskKind::HandIn, {}, true, false},
        {kPaperGroup, QStringLiteral("收卷"), TaskKind::Collect, {}, true, false},
        {kBank, QStringLiteral("导入题库…"), TaskKind::ImportQuestions, {}, true, false},
        // The navigation bar shows 清空数据库 but only the menu item clears.
        {kAdmin, QStringLiteral("清空数据库"), TaskKind::ClearDatabase, {}, true, true, false},
        {kAdmin, QStringLiteral("配置"), TaskKind::ExamConfig, {}, true, false},
        {kAdmin, QStringLiteral("数据库设置…"), TaskKind::DatabaseSettings, {}, true, false},
        {kAdmin, QStringLiteral("复制到服务器"), TaskKind::CopyToServer, {}, true, false},
        {kAdmin, QStringLiteral("复制到文件"), TaskKind::CopyToFile, {}, true, false},
        {kAdmin, QStringLiteral("关于"), TaskKind::About, {}, true, false},
    };
    return entries;
}

const QStringList &taskGroups()
{
    static const QStringList groups{kExam, kPractice, kBank, kPaperGroup, kAdmin};
    return groups;
}

const TaskEntry *findTask(const QString &group, const QString &item)
{
    for (const TaskEntry &entry : taskEntries())
        if (entry.group == group && entry.item == item)
            return &entry;
    return nullptr;
}

const TaskEntry *findMenuTask(const QString &item)
{
    for (const TaskEntry &entry : taskEntries())
        if (entry.inMenu && entry.item == item)
            return &entry;
    return nullptr;
}

QWidget *createTaskWindow(TaskKind kind, const TaskRequest &request, AppContext &context, PracticeSession &practice,
                          QWidget *host)
{
    switch (kind) {
    case TaskKind::Bank:
        return new BankWindow(context, request.questionType, host);
    case TaskKind::SequentialPractice:
        return new SequentialPracticeWindow(context, practice, host);
    case TaskKind::RandomPractice:
        return new RandomPracticeWindow(context, practice, host);
    case TaskKind::ChapterPractice:
        return new ChapterPracticeWindow(context, practice, request.chapter, host);
    case TaskKind::Grading:
        return new GradingWindow(context, host);
    case TaskKind::Analysis:
        return new AnalysisWindow(context, host);
    case TaskKind::Marking:
        return new MarkingWindow(context, host);
    case TaskKind::Console:
        return new ConsoleWindow(context, host);
    case TaskKind::ExamConfig:
        // A dialog of its own, owned by the main window, not placed beside
        // the navigation bar.
        return new ExamConfigDialog(context, host ? host->window() : nullptr);
    case TaskKind::Candidate:
        // Modal and without an owner.
        return new CandidateDialog(context);
    case TaskKind::ExamPaper:
        return new ExamPaperWindow(context, practice, request.candidate, host);
    case TaskKind::PrintPaper:
        return new PrintPaperDialog(context, host ? host->window() : nullptr);
    case TaskKind::HandIn:
    case TaskKind::Collect:
    case TaskKind::ClearDatabase:
    case TaskKind::ImportQuestions:
    case TaskKind::DatabaseSettings:
    case TaskKind::About:
    case TaskKind::CopyToServer:
    case TaskKind::CopyToFile:
        break;
    }
    return nullptr;
}

} // namespace kaoshi
