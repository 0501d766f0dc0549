// Big banks through the real windows: the bank list, the question editor's
// delete and the sequential practice window, on a file the program made and
// on one it did not (no indexes, rows stored out of 题号 order).
//
// "first screen" covers 搜索 with an empty box (the bank's count and the
// first window of rows, read through the 题号 index) and painting the grid;
// "last row" covers moving the cursor to the last row, scrolling there and
// painting (a window read from the end of the index). Each is the median of
// three runs; memory is the growth of the resident size over the listing.
// The sqlite3 tool runs after the program has opened the file (so that its
// indexes exist) and reads the same as the program: the count and the first
// window; the whole listing through the tool is shown for comparison.
//
//   build/bench/list_bench [rows]        (default 10,000, 100,000, 1,000,000 and 3,000,000)
//   build/bench/list_bench delete        question 1 of 200,000 deleted in the editor, renumbering
//   ../shared/tools/with-a11y build/bench/list_bench 1000000   with a screen reader's bus
#include "BenchData.h"
#include "support/ProgramState.h"

#include "app/MainWindow.h"
#include "bank/BankWindow.h"
#include "bank/QuestionEditorWindow.h"
#include "practice/PracticeSession.h"
#include "practice/PracticeWindow.h"
#include "ui/AppContext.h"
#include "ui/ListGrid.h"
#include "ui/ScriptedPlatform.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <numeric>

using namespace kaoshi;
using namespace kaoshi::bench;

namespace {

const QString kSingle = QStringLiteral("单选");

// A bank file as another program leaves it: our tables, no indexes, the
// questions stored in a shuffled order, a picture row for every tenth.
void makeForeignFile(const QString &path, int count)
{
    DataStore store;
    store.open(path);
    for (const QString &index : {"单选_题号", "多选_题号", "判断_题号", "问答_题号", "图片_题型_题号", "评分_题型_题号",
                                 "评分_考号_场次"})
        store.execute(QStringLiteral("drop index \"%1\"").arg(index));
    for (const QString &type : {QStringLiteral("多选"), QStringLiteral("判断"), QStringLiteral("问答")})
        fillBank(store, type, 3);
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 1);
    std::shuffle(order.begin(), order.end(), *QRandomGenerator::global());
    const QList<SourceQuestion> questions = realQuestions();
    Transaction unit(store);
    for (int n : order) {
        const SourceQuestion &q = questions[(n - 1) % questions.size()];
        store.execute(QStringLiteral("insert into 单选 (题号, 题目, 标准答案, 解析, 分值, 章节) values (?, ?, ?, '', 1, ?)"),
                      {n, q.text, q.answer, q.chapter});
        if (n % 10 == 0)
            store.execute(QStringLiteral("insert into 图片 (题型, 题号, 摘要, 图片) values ('单选', ?, '图', ?)"),
                          {n, QStringLiteral("\\image\\%1.png").arg(n)});
    }
    unit.commit();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The sqlite3 command-line tool running a statement to /dev/null; median of three.
double commandLine(const QString &path, const QString &sql)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (tool.isEmpty())
        return -1;
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        process.start(tool, {path, sql});
        process.waitForFinished(-1);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

struct Program : kaoshi::test::ProgramRun {
    MainWindow main;

    explicit Program(const QString &dir) : ProgramRun(dir), main(context)
    {
        main.applyScreenSize({1920, 1080});
        main.show();
        QApplication::processEvents();
    }
    BankWindow *openBank()
    {
        main.runMenuItem(QStringLiteral("单选题库"));
        QApplication::processEvents();
        return qobject_cast<BankWindow *>(main.currentTaskWindow());
    }
};

// Lists the bank as 搜索 with an empty box does and paints the first screen.
double listAndShow(BankWindow *bank)
{
    QElapsedTimer timer;
    timer.start();
    bank->search();
    bank->grid()->viewport()->repaint();
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Figures {
    double firstScreen = 0, lastRow = 0, megabytes = 0, cliWindow = -1, cliWhole = -1;
};

Figures benchFile(const QString &label, const QString &dir, int count)
{
    const QString path = QDir(dir).filePath(QStringLiteral("考试修改.mdb"));
    std::printf("\n== %d questions, %s ==\n", count, qPrintable(label));
    QElapsedTimer timer;
    timer.start();
    Program program(dir);
    report("start the program: open the file, make missing indexes", timer);
    std::printf("accessibility %s\n", QAccessible::isActive() ? "active: the screen reader's bus is served" : "off");
    BankWindow *bank = program.openBank();
    QApplication::processEvents();

    Figures figures;
    const double before = residentMegabytes();
    std::vector<double> first, last;
    ListGrid *grid = bank->grid();
    for (int i = 0; i < 3; ++i) {
        first.push_back(listAndShow(bank));
        timer.restart();
        grid->setCursorRow(grid->rowCount() - 1);
        grid->scrollTo(grid->currentIndex());
        grid->viewport()->repaint();
        last.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    figures.firstScreen = median(first);
    figures.lastRow = median(last);
    figures.megabytes = residentMegabytes() - before;
    std::printf("%-58s %10.1f ms\n", "list the bank and paint its first screen (median of 3)", figures.firstScreen);
    std::printf("%-58s %10.1f ms\n", "jump to the last row and paint it (median of 3)", figures.lastRow);
    std::printf("%-58s %10s     (%s)\n", "  last row shows 题号", qPrintable(grid->text(grid->rowCount() - 1, 0)),
                qPrintable(grid->text(grid->rowCount() - 1, 1).left(12)));
    std::printf("%-58s %10.1f MB  (resident %.0f MB)\n", "memory taken by the listing", figures.megabytes,
                residentMegabytes());
    figures.cliWindow = commandLine(path, QStringLiteral("select count(*) from 单选 where 题号 is not null; "
                                                         "select rowid, * from 单选 where 题号 is not null "
                                                         "order by 题号, rowid limit 256"));
    figures.cliWhole = commandLine(path, QStringLiteral("select * from 单选 order by 题号"));
    if (figures.cliWindow > 0) {
        std::printf("%-58s %10.1f ms  (program/tool %.2f)\n", "  sqlite3 tool: the count and the first 256 rows",
                    figures.cliWindow, figures.firstScreen / figures.cliWindow);
        std::printf("%-58s %10.1f ms\n", "  sqlite3 tool: every row, select * … order by 题号", figures.cliWhole);
    }

    // Sequential practice: 下题 a hundred times from question 1.
    program.main.runMenuItem(QStringLiteral("顺序练习"));
    QApplication::processEvents();
    if (auto *practice = qobject_cast<PracticeWindow *>(program.main.currentTaskWindow())) {
        timer.restart();
        for (int i = 0; i < 100; ++i) {
            practice->goNext();
            practice->repaint();
        }
        std::printf("%-58s %10.2f ms\n", "next question in sequential practice, shown (mean of 100)",
                    double(timer.nsecsElapsed()) / 1e6 / 100);
    }
    return figures;
}

QString makeBank(const QTemporaryDir &dir, int count, bool pictures = false)
{
    const QString path = QDir(dir.path()).filePath(QStringLiteral("考试修改.mdb"));
    DataStore store;
    store.open(path);
    for (const QString &type : {QStringLiteral("多选"), QStringLiteral("判断"), QStringLiteral("问答")})
        fillBank(store, type, 3);
    fillBank(store, kSingle, count);
    if (pictures) {
        Transaction unit(store);
        for (int n = 10; n <= count; n += 10)
            store.execute(QStringLiteral("insert into 图片 (题型, 题号, 摘要, 图片) values ('单选', ?, '图', ?)"),
                          {n, QStringLiteral("\\image\\%1.png").arg(n)});
        unit.commit();
    }
    return path;
}

// Question 1 of 200,000 through the editor's 删除, three times, as the user deletes it.
void benchDelete()
{
    for (const bool foreign : {false, true}) {
        QTemporaryDir dir;
        if (foreign)
            makeForeignFile(QDir(dir.path()).filePath(QStringLiteral("考试修改.mdb")), 200000);
        else
            makeBank(dir, 200000, true);
        Program program(dir.path());
        BankWindow *bank = program.openBank();
        std::vector<double> times;
        for (int i = 0; i < 3; ++i) {
            listAndShow(bank);
            ListGrid *grid = bank->grid();
            grid->setCursorRow(1);
            QuestionTexts row{grid->text(1, 0), grid->text(1, 1), grid->text(1, 2), grid->text(1, 3),
                              grid->text(1, 4), grid->text(1, 5), grid->gridModel()->rowId(1)};
            QuestionEditorWindow editor(program.context, QuestionType::SingleChoice, row, bank);
            QElapsedTimer timer;
            timer.start();
            editor.deleteQuestion();
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        std::printf("delete question 1 of 200,000 in the editor, renumbering questions and pictures, %s: "
                    "median %.0f ms (%.0f, %.0f, %.0f); highest 题号 now %s\n",
                    foreign ? "file made elsewhere" : "file made by the program", median(times), times[0], times[1],
                    times[2], qPrintable(program.store.query(QStringLiteral("select max(题号) from 单选")).value(1).toText()));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString which = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (which == u"delete") {
        benchDelete();
        return 0;
    }
    QList<int> sizes{10000, 100000, 1000000, 3000000};
    if (!which.isEmpty())
        sizes = {which.toInt()};
    struct Line {
        int count;
        Figures made, foreign;
    };
    std::vector<Line> lines;
    for (int count : sizes) {
        Line line{count, {}, {}};
        {
            QTemporaryDir made;
            makeBank(made, count);
            line.made = benchFile(QStringLiteral("a file the program made"), made.path(), count);
        }
        if (count <= 1000000) {
            QTemporaryDir foreign;
            makeForeignFile(QDir(foreign.path()).filePath(QStringLiteral("考试修改.mdb")), count);
            line.foreign = benchFile(QStringLiteral("a file made elsewhere: no indexes, shuffled rows"), foreign.path(), count);
        }
        lines.push_back(line);
    }
    std::printf("\n%10s %14s %12s %12s %14s %14s   (files the program made; medians of 3)\n", "rows", "first screen",
                "last row", "memory MB", "tool: window", "tool: all rows");
    for (size_t i = 0; i < lines.size(); ++i) {
        const Figures &f = lines[i].made;
        const QString growth = i > 0 && lines[i - 1].made.firstScreen > 0
                                   ? QStringLiteral("×%1").arg(f.firstScreen / lines[i - 1].made.firstScreen, 0, 'f', 2)
                                   : QString();
        std::printf("%10d %11.1f ms %9.1f ms %12.1f %11.1f ms %11.1f ms   growth of first screen %s\n",
                    lines[i].count, f.firstScreen, f.lastRow, f.megabytes, f.cliWindow, f.cliWhole, qPrintable(growth));
    }
    return 0;
}
