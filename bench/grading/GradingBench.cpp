// Speed of grading, of the results analysis and of the sign-in check on
// large answer tables: four banks of 1,000 questions and 500 answers per
// candidate, for 20, 200 and 2,000 candidates (10,000, 100,000 and 1,000,000
// answers; at the largest size candidate K0000 has 500 more, 1,000,500 rows).
// A third of the 问答 answers carry a hand score.
//
// Each size is measured on three databases:
// - made: a file the program made and filled (its indexes kept as rows came);
// - foreign: the same rows in a file another program made, with no index and
//   the answers in another order (by question, candidates backwards); the
//   program makes its indexes when it opens the file, and that first open is
//   timed on its own;
// - server: the same rows copied into a fresh database of the test server
//   (run the bench through tests/support/test-server run, or ctest's
//   server; without one this part is left out). The copy carries table
//   阅卷, so the server scores the same answers by hand as the file.
//
// - totals: "评分" of the grading window with both filters empty (on a file
//   the grouped statement in two ranges of 考号 on two connections and
//   threads at once, reading the totals, filling the grid), against the
//   sqlite3 tool (psql on the server) running the same statements on the
//   same database (the table of questions, then the grouped statement),
//   output discarded. Tool and program run alternately, 5 times
//   each, after one warm-up run of each; the medians are printed.
// - analysis: "分析" of the results analysis over every occasion (the
//   totals, summary, bands, per-question statistics and options, the tables
//   and the chart filled), 3 runs, median; then the core's analysis alone
//   (statements and statistics, no window), 3 runs, median.
// - on the made file at 1,000,500 rows: details of K0000 / 一 (1,000
//   answers) and the sign-in check for a number that has answers and for one
//   that has none.
// The growth over the sizes closes the output.
//
// Arguments: the numbers of candidates to measure (default 20 200 2000), and
// "analysis" to measure the analysis alone (no totals, details or foreign
// file), so that one size fits one short run.
#include "BenchData.h"
#include "app/MainWindow.h"
#include "data/DatabaseCopy.h"
#include "data/ScoreStatements.h"
#include "data/QuestionType.h"
#include "exam/CandidateDialog.h"
#include "grading/Analysis.h"
#include "grading/AnalysisWindow.h"
#include "grading/GradingWindow.h"
#include "support/TestDatabase.h"
#include "ui/DropDownBox.h"
#include "ui/ListGrid.h"
#include "ui/ScriptedPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

constexpr int kAnswersEach = 500;
constexpr int kRounds = 5;

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

void fillDatabase(DataStore &store, int candidates, bool extraForFirst)
{
    for (const QString &type : test::bankTables())
        bench::fillBank(store, type, 1000);
    Transaction unit(store);
    bool ok = store.execute(answerRows(0, candidates * kAnswersEach, "i/500", "i%500"));
    if (extraForFirst)
        ok = ok && store.execute(answerRows(500, 500, "0", "i"));
    ok = ok && store.execute(QStringLiteral("insert or ignore into 阅卷 (考号,场次,题型,题号,得分,阅卷时间) "
                                            "select 考号,场次,题型,题号,(rowid % 5) * 0.5,'2026-12-01 08:00:00' "
                                            "from 评分 where 题型='问答' and rowid % 3 = 0"));
    if (!ok || !unit.commit())
        std::printf("filling 评分 failed: %s\n", qPrintable(store.lastError().message));
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double elapsed(const std::function<void()> &run)
{
    QElapsedTimer timer;
    timer.start();
    run();
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Program {
    ScriptedPlatform platform;
    PracticeSession practice;
    TestDatabase &db;
    AppContext context{db.programDir(), db.store(), platform.platform()};
    MainWindow main{context};

    explicit Program(TestDatabase &database) : db(database) { main.show(); }
    GradingWindow *grading()
    {
        if (auto *w = qobject_cast<GradingWindow *>(main.currentTaskWindow()))
            return w;
        main.runMenuItem(QStringLiteral("评分"));
        QApplication::processEvents();
        return qobject_cast<GradingWindow *>(main.currentTaskWindow());
    }
    // One "评分" through the window; the rows it listed.
    int grade(const QString &number, const QString &occasion)
    {
        GradingWindow *window = grading();
        window->findChild<DropDownBox *>(QStringLiteral("考号组合框"))->setEditText(number);
        window->findChild<DropDownBox *>(QStringLiteral("场次组合框"))->setEditText(occasion);
        window->grade();
        QApplication::processEvents();
        return window->grid()->rowCount() - 1;
    }
    AnalysisWindow *analysis()
    {
        main.runMenuItem(QStringLiteral("成绩分析"));
        QApplication::processEvents();
        return qobject_cast<AnalysisWindow *>(main.currentTaskWindow());
    }
};

// Runs a command-line client on the statement, output discarded.
void runTool(const QString &program, const QStringList &arguments, const QString &sql,
             const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.setStandardOutputFile(QProcess::nullDevice());
    tool.start(program, arguments);
    tool.write(sql.toUtf8() + ";\n");
    tool.closeWriteChannel();
    tool.waitForFinished(-1);
    if (tool.exitCode() != 0)
        std::printf("%s failed: %s\n", qPrintable(program), tool.readAllStandardError().constData());
}

// The program's statements on one engine's terms: the grouped statement,
// after the table of questions of the session where the engine joins it.
QString totalsSql(const Engine &engine)
{
    const bool byJoin = engine.joinsAnswersToBanks();
    return (byJoin ? questionKeyStatements(engine).join(QStringLiteral(";\n")) + QStringLiteral(";\n") : QString()) +
           totalsStatement(QString(), QString(), true, byJoin).sql;
}

// The same statements through the sqlite3 tool on the file.
std::function<void()> sqliteTool(TestDatabase &db)
{
    return [path = db.path(), sql = totalsSql(db.store().engine())] { runTool(QStringLiteral("sqlite3"), {path}, sql); };
}

QProcessEnvironment serverEnvironment(DataStore &store)
{
    RowSet name = store.query(QStringLiteral("select current_database()"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PGDATABASE"), name.value(1).toText());
    return environment;
}

// The same statements through psql on the server's database, with the hand
// scores of its table 阅卷, as the program reads them.
std::function<void()> psqlTool(DataStore &store)
{
    return [environment = serverEnvironment(store), sql = totalsSql(store.engine())] {
        runTool(QStringLiteral("psql"), {QStringLiteral("-X"), QStringLiteral("-q")}, sql, environment);
    };
}

struct Figures {
    double tool = 0, program = 0, analysis = 0;
};

// "评分" with both filters empty, alternated with the tool.
void measureTotals(Program &program, const char *label, const std::function<void()> &tool, Figures &figures)
{
    tool();
    int rows = program.grade(QString(), QString());
    std::vector<double> tools, window;
    for (int i = 0; i < kRounds; ++i) {
        tools.push_back(elapsed(tool));
        window.push_back(elapsed([&] { rows = program.grade(QString(), QString()); }));
    }
    figures.tool = median(tools);
    figures.program = median(window);
    std::printf("  %-8s totals, tool           median %8.1f ms of %d runs\n", label, figures.tool, kRounds);
    std::printf("  %-8s totals, 评分 window     median %8.1f ms of %d runs, %d rows listed, ratio %.2f\n", label,
                figures.program, kRounds, rows, figures.program / figures.tool);
}

// Set by the argument "analysis": the analysis alone is measured.
bool analysisOnly = false;

Figures measure(TestDatabase &db, const char *label, const std::function<void()> &tool)
{
    Figures figures;
    Program program(db);
    if (!analysisOnly)
        measureTotals(program, label, tool, figures);

    AnalysisWindow *analysis = program.analysis();
    std::vector<double> analyses;
    for (int i = 0; i < 3; ++i)
        analyses.push_back(elapsed([&] {
            analysis->analyse();
            QApplication::processEvents();
        }));
    figures.analysis = median(analyses);
    std::printf("  %-8s analysis, 成绩分析 window median %8.1f ms of 3 runs, %d candidates, %zu questions%s\n", label,
                figures.analysis, analysis->result().summary.candidates, analysis->result().questions.size(),
                analysis->result().failure.isEmpty() ? "" : qPrintable(QStringLiteral(" (") + analysis->result().failure +
                                                                       u'：' + analysis->result().reason + u')'));
    // The core alone (statements and statistics, no window), to tell the
    // database's share from the tables' and the chart's.
    std::vector<double> core;
    for (int i = 0; i < 3; ++i)
        core.push_back(elapsed([&] { analyseResults(db.store(), QString(), {}); }));
    std::printf("  %-8s analysis, core alone       median %8.1f ms of 3 runs\n", label, median(core));
    return figures;
}

void measureDetails(TestDatabase &db)
{
    Program program(db);
    std::vector<double> detail;
    int rows = 0;
    for (int i = 0; i < 3; ++i)
        detail.push_back(elapsed([&] { rows = program.grade(QStringLiteral("K0000"), QStringLiteral("一")); }));
    std::printf("  details of K0000 / 一      median %8.1f ms of 3 runs, %d rows\n", median(detail), rows);
    for (const auto &[label, occasion] : {std::pair<const char *, QString>{"has answers", "一"}, {"has none", "二"}}) {
        CandidateDialog dialog(program.context);
        dialog.findChild<DropDownBox *>(QStringLiteral("考号组合框"))->setEditText(QStringLiteral("K0000"));
        dialog.findChild<DropDownBox *>(QStringLiteral("场次组合框"))->setEditText(occasion);
        dialog.findChild<QLineEdit *>(QStringLiteral("姓名编辑框"))->setText(QStringLiteral("考生"));
        const double ms = elapsed([&] { dialog.signIn(); });
        std::printf("  开始考试 for K0000 (%s)   %8.1f ms, %s\n", label, ms,
                    dialog.result() == QDialog::Accepted ? "accepted" : "refused");
    }
}

// The rows of `made` written by the sqlite3 tool into a file of the same
// tables with no index, the answers by question and candidates backwards;
// then opened by the program, which makes its indexes.
void makeForeignFile(TestDatabase &made, TestDatabase &foreign)
{
    foreign.store().close();
    QFile::remove(foreign.path());
    QString sql;
    for (RowSet tables = made.store().query(QStringLiteral("select sql from sqlite_master where type='table'"));
         !tables.atEnd(); tables.next())
        sql += tables.value(1).toText() + u';';
    sql += QStringLiteral("attach '%1' as made;").arg(made.path());
    for (const char *table : {"单选", "多选", "判断", "问答", "配置"})
        sql += QStringLiteral("insert into %1 select * from made.%1;").arg(QString::fromUtf8(table));
    sql += QStringLiteral("insert into 评分 select * from made.评分 order by 题型 desc,题号,考号 desc;"
                          "insert into 阅卷 select * from made.阅卷 order by 题号,考号 desc");
    runTool(QStringLiteral("sqlite3"), {foreign.path()}, sql);
    const double ms = elapsed([&] { foreign.store().open(foreign.path()); });
    std::printf("  foreign  first open of the file, making the program's indexes: %.0f ms\n", ms);
}

// The file's rows copied into a fresh database of the test server; false
// when there is none.
bool copyToServer(TestDatabase &file, TestDatabase &server)
{
    if (!server.isReady()) {
        std::printf("  server   left out: %s\n", qPrintable(server.reason()));
        return false;
    }
    CopyResult copied;
    const double ms = elapsed(
        [&] { copied = copyDatabase({file.store(), file.programDir()}, {server.store(), QString()}, false); });
    if (copied.outcome != CopyResult::Outcome::Done) {
        std::printf("  server   copy failed: %s\n", qPrintable(copied.error.message));
        return false;
    }
    server.store().execute(QStringLiteral("analyze"));
    std::printf("  server   copied in %.0f ms\n", ms);
    return true;
}

struct SizeFigures {
    qint64 answers = 0;
    Figures made, foreign, server;
    bool hasServer = false;
};

SizeFigures measureSize(int candidates, bool details, bool withServer)
{
    SizeFigures figures;
    TestDatabase db;
    const double filling = elapsed([&] { fillDatabase(db.store(), candidates, details); });
    figures.answers = db.count(QStringLiteral("评分"));
    std::printf("\n%lld answers of %d candidates, %lld hand scores (generated in %.0f ms)\n", figures.answers,
                candidates, db.count(QStringLiteral("阅卷")), filling);
    figures.made = measure(db, "made", sqliteTool(db));
    if (details && !analysisOnly)
        measureDetails(db);
    if (!analysisOnly) {
        TestDatabase foreign;
        makeForeignFile(db, foreign);
        figures.foreign = measure(foreign, "foreign", sqliteTool(foreign));
    }
    if (withServer) {
        TestDatabase server(TestEngine::Server);
        if (copyToServer(db, server)) {
            figures.server = measure(server, "server", psqlTool(server.store()));
            figures.hasServer = true;
        }
    }
    return figures;
}

void printGrowth(const std::vector<SizeFigures> &sizes, const char *label, Figures SizeFigures::*side)
{
    const SizeFigures &first = sizes.front();
    for (const SizeFigures &s : sizes)
        std::printf("%-8s %8lld: tool %7.1f  totals %7.1f (×%5.1f)  analysis %7.1f (×%5.1f)\n", label, s.answers,
                    (s.*side).tool, (s.*side).program, (s.*side).program / (first.*side).program,
                    (s.*side).analysis, (s.*side).analysis / (first.*side).analysis);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool withServer = qEnvironmentVariableIsSet("PGHOST");
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "analysis")
            analysisOnly = true;
        else if (const int count = QByteArray(argv[i]).toInt(); count > 0)
            counts.push_back(count);
    }
    if (counts.empty())
        counts = {20, 200, 2000};
    std::vector<SizeFigures> sizes;
    for (int candidates : counts)
        sizes.push_back(measureSize(candidates, candidates == 2000, withServer));
    std::printf("\ngrowth (medians, ms; × against the smallest size)\n");
    printGrowth(sizes, "made", &SizeFigures::made);
    printGrowth(sizes, "foreign", &SizeFigures::foreign);
    if (std::all_of(sizes.begin(), sizes.end(), [](const SizeFigures &s) { return s.hasServer; }))
        printGrowth(sizes, "server", &SizeFigures::server);
    return 0;
}
