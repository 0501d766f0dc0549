// Speed of grading and of the sign-in check on a large answer table: four
// banks of 1,000 questions and 1,000,500 answer rows of 2,000 candidates
// (candidate K0000 has 1,000 answers of occasion 一, every other one 500).
//
// - totals: the whole "评分" of the grading window with both filters empty
//   (rebuilding 临时, reading the totals, filling the grid), run on a file
//   without 临时 and again with the 临时 of the first run in place; compared
//   with the sqlite3 tool running "drop table if exists 临时", the same
//   make-table statement and the same totals statement on a copy of the file
//   in the same state, output discarded.
// - details: "评分" with 考号 K0000 and 场次 一 (1,000 answers, one bank
//   lookup each, the grid filled).
// - sign-in: "开始考试" of the sign-in dialog for a number and occasion that
//   has answers (refused) and for one that has none (accepted).
#include "BenchData.h"
#include "app/MainWindow.h"
#include "practice/PracticeSession.h"
#include "data/Schema.h"
#include "data/SqliteEngine.h"
#include "data/WorkTable.h"
#include "exam/CandidateDialog.h"
#include "grading/GradingWindow.h"
#include "support/TestDatabase.h"
#include "ui/DropDownBox.h"
#include "ui/ListGrid.h"
#include "ui/ScriptedPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <cstdio>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

constexpr int kCandidates = 2000;
constexpr int kAnswersEach = 500;

// Answers: candidate c answers question (c·37 + j/4) mod 1000 + 1 of bank j mod 4,
// right for three of every five.
QString answerRows(int firstRow, int rowCount, const QString &candidateOf, const QString &jOf)
{
    const QString c = candidateOf;
    const QString j = jOf;
    const QString number = QStringLiteral("((%1)*37 + (%2)/4) %% 1000 + 1").arg(c, j);
    QString answer = QStringLiteral("case when ((%1)+(%2)) %% 5 < 3 then case (%2) %% 4").arg(c, j);
    const QStringList banks{"单选", "多选", "判断", "问答"};
    for (int b = 0; b < 4; ++b)
        answer += QStringLiteral(" when %1 then (select 标准答案 from %2 where 题号=%3)").arg(b).arg(banks[b], number);
    answer += QStringLiteral(" end else 'Z' end");
    return QStringLiteral("insert into 评分 (考号,场次,姓名,题号,题型,考生答案) "
                          "with recursive n(i) as (select %1 union all select i+1 from n where i<%2) "
                          "select 'K'||substr('000'||(%3),-4),'一','考生'||(%3),%4,"
                          "case (%5) %% 4 when 0 then '单选' when 1 then '多选' when 2 then '判断' else '问答' end,%6 "
                          "from n")
        .arg(firstRow)
        .arg(firstRow + rowCount - 1)
        .arg(c, number, j, answer)
        .replace(QStringLiteral("%%"), QStringLiteral("%"));
}

void fillDatabase(DataStore &store)
{
    for (const QString &type : test::bankTables())
        bench::fillBank(store, type, 1000);
    Transaction unit(store);
    // Rows 0 … 999,999: candidate i/500, answer i%500; then 500 more of K0000.
    const bool ok = store.execute(answerRows(0, kCandidates * kAnswersEach, "i/500", "i%500")) &&
                    store.execute(answerRows(500, 500, "0", "i"));
    if (!ok || !unit.commit())
        std::printf("filling 评分 failed: %s\n", qPrintable(store.lastError().message));
}

struct Program {
    ScriptedPlatform platform;
    PracticeSession practice;
    TestDatabase &db;
    AppContext context{db.programDir(), db.store(), platform.platform()};
    MainWindow main{context};
    GradingWindow *window = nullptr;

    explicit Program(TestDatabase &database) : db(database)
    {
        main.show();
        main.runMenuItem(QStringLiteral("评分"));
        window = qobject_cast<GradingWindow *>(main.currentTaskWindow());
        QApplication::processEvents();
    }
    double grade(const char *name, const QString &number, const QString &occasion)
    {
        window->findChild<DropDownBox *>(QStringLiteral("考号组合框"))->setEditText(number);
        window->findChild<DropDownBox *>(QStringLiteral("场次组合框"))->setEditText(occasion);
        QElapsedTimer timer;
        timer.start();
        window->grade();
        QApplication::processEvents();
        const double ms = bench::report(name, timer);
        std::printf("%-58s %10d rows\n", "", window->grid()->rowCount() - 1);
        return ms;
    }
};

// The same statements through the sqlite3 tool on a copy of the file.
double commandLine(const char *name, const QString &database, const QString &copy)
{
    QFile::remove(copy);
    QFile::copy(database, copy);
    const QString script = QStringLiteral("drop table if exists 临时;\n") + workTableMakeStatement(SqliteEngine()) +
                           QStringLiteral(";\n") + totalsStatement(QString(), QString()).sql + QStringLiteral(";\n");
    QProcess tool;
    tool.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    tool.start(QStringLiteral("sqlite3"), {copy});
    tool.write(script.toUtf8());
    tool.closeWriteChannel();
    tool.waitForFinished(-1);
    const double ms = bench::report(name, timer);
    if (tool.exitCode() != 0)
        std::printf("sqlite3 failed: %s\n", tool.readAllStandardError().constData());
    QFile::remove(copy);
    return ms;
}

void signIn(Program &program, const char *name, const QString &number, const QString &occasion)
{
    CandidateDialog dialog(program.context);
    dialog.findChild<DropDownBox *>(QStringLiteral("考号组合框"))->setEditText(number);
    dialog.findChild<DropDownBox *>(QStringLiteral("场次组合框"))->setEditText(occasion);
    dialog.findChild<QLineEdit *>(QStringLiteral("姓名编辑框"))->setText(QStringLiteral("考生"));
    QElapsedTimer timer;
    timer.start();
    dialog.signIn();
    bench::report(name, timer);
    std::printf("%-58s %10s\n", "", dialog.result() == QDialog::Accepted ? "accepted" : "refused");
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestDatabase db;
    {
        QElapsedTimer timer;
        timer.start();
        fillDatabase(db.store());
        bench::report("generating 4 × 1,000 questions and 1,000,500 answers", timer);
        std::printf("%-58s %10lld rows\n", "", db.count(QStringLiteral("评分")));
    }
    const QString copy = db.path() + QStringLiteral(".tool");
    Program program(db);
    const double toolFirst = commandLine("sqlite3 tool, no 临时 yet", db.path(), copy);
    const double first = program.grade("评分 totals, no 临时 yet", QString(), QString());
    const double toolAgain = commandLine("sqlite3 tool, 临时 of the last run in place", db.path(), copy);
    const double again = program.grade("评分 totals, 临时 of the last run in place", QString(), QString());
    std::printf("ratio to the sqlite3 tool: %.2f (first run), %.2f (again)\n", first / toolFirst, again / toolAgain);

    program.grade("评分 details of K0000 / 一", QStringLiteral("K0000"), QStringLiteral("一"));
    program.grade("评分 details of K1234 / 一", QStringLiteral("K1234"), QStringLiteral("一"));
    signIn(program, "开始考试 for K0000 / 一 (has answers)", QStringLiteral("K0000"), QStringLiteral("一"));
    signIn(program, "开始考试 for K0000 / 二 (has none)", QStringLiteral("K0000"), QStringLiteral("二"));
    return 0;
}
