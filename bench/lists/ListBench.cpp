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
//   build/bench/list_bench wrong [rows]  the wrong-question list of sequential practice (every question wrong)
//   build/bench/list_bench grading [rows]  the grading window's detail list of one candidate with that many answers
//   build/bench/list_bench search [rows] 搜索 in the bank list: first screen, the whole search with the
//                                        window's longest pause, and 停止 (Esc) part way
//   build/bench/list_bench header [rows] what a bare table view costs per row (Qt's row header)
//   build/bench/list_bench make bank|wrong|grading|search rows   only make the files (kept in LIST_BENCH_DATA)
//
// Each file is measured on a copy in a process of its own (list_bench --child …),
// so that its memory figure holds nothing an earlier file left behind. With
// LIST_BENCH_DATA naming a folder, the files made stay there for later runs.
//   ../shared/tools/with-a11y build/bench/list_bench 1000000   with a screen reader's bus
#include "BenchData.h"
#include "support/ProgramState.h"

#include "app/MainWindow.h"
#include "bank/BankWindow.h"
#include "bank/QuestionEditorWindow.h"
#include "grading/GradingWindow.h"
#include "practice/PracticeSession.h"
#include "practice/PracticeWindow.h"
#include "ui/AppContext.h"
#include "ui/DropDownBox.h"
#include "ui/ListGrid.h"
#include "ui/ScriptedPlatform.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <functional>
#include <numeric>

using namespace kaoshi;
using namespace kaoshi::bench;

namespace {

const QString kSingle = QStringLiteral("单选");

// Every index of the file goes, as in a file another program made.
void dropIndexes(DataStore &store)
{
    QStringList names;
    for (RowSet rows = store.query(QStringLiteral("select name from sqlite_master where type='index' and sql is not null"));
         !rows.atEnd(); rows.next())
        names << rows.value(1).toText();
    for (const QString &name : names)
        store.execute(QStringLiteral("drop index \"%1\"").arg(name));
}

// A bank file as another program leaves it: our tables, no indexes, the
// questions stored in a shuffled order, a picture row for every tenth.
void makeForeignFile(const QString &path, int count)
{
    DataStore store;
    store.open(path);
    dropIndexes(store);
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

struct ListFigures {
    double firstScreen = 0, lastRow = 0, megabytes = 0, total = 0;
    double before = 0; // resident MB before the listing
};

// list() fills the grid as the window does; three times: list and paint,
// then jump to the last row and paint.
ListFigures measureList(ListGrid *grid, const std::function<void()> &list)
{
    ListFigures figures;
    const double before = residentMegabytes();
    figures.before = before;
    std::vector<double> first, last;
    QElapsedTimer timer;
    for (int i = 0; i < 3; ++i) {
        timer.start();
        list();
        grid->viewport()->repaint();
        first.push_back(double(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        grid->setCursorRow(grid->rowCount() - 1);
        grid->scrollTo(grid->currentIndex());
        grid->viewport()->repaint();
        last.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    figures.firstScreen = median(first);
    figures.lastRow = median(last);
    figures.megabytes = residentMegabytes() - before;
    std::printf("%-58s %10.1f ms  (%.1f, %.1f, %.1f)\n", "list and paint the first screen (median of 3)",
                figures.firstScreen, first[0], first[1], first[2]);
    std::printf("%-58s %10.1f ms\n", "jump to the last row and paint it (median of 3)", figures.lastRow);
    std::printf("%-58s %10d rows, last: %s | %s\n", "  listed", grid->rowCount() - 1,
                qPrintable(grid->text(grid->rowCount() - 1, 1)), qPrintable(grid->text(grid->rowCount() - 1, 2).left(12)));
    std::printf("%-58s %10.1f MB\n", "memory taken by the listing", figures.megabytes);
    std::fflush(stdout);
    return figures;
}

struct Figures {
    double firstScreen = 0, lastRow = 0, megabytes = 0, cliWindow = -1, cliWhole = -1;
};

Figures benchFile(const QString &dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("考试修改.mdb"));
    QElapsedTimer timer;
    timer.start();
    Program program(dir);
    report("start the program: open the file, make missing indexes", timer);
    std::printf("accessibility %s\n", QAccessible::isActive() ? "active: the screen reader's bus is served" : "off");
    BankWindow *bank = program.openBank();
    QApplication::processEvents();

    Figures figures;
    ListGrid *grid = bank->grid();
    const ListFigures measured = measureList(grid, [bank] { bank->search(); });
    figures.firstScreen = measured.firstScreen;
    figures.lastRow = measured.lastRow;
    figures.megabytes = measured.megabytes;
    std::printf("%-58s %10s     (%s)\n", "  last row shows 题号", qPrintable(grid->text(grid->rowCount() - 1, 0)),
                qPrintable(grid->text(grid->rowCount() - 1, 1).left(12)));
    std::printf("%-58s %10.0f MB\n", "  resident now", residentMegabytes());
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

// ---------------------------------------------------------------- the other lists

// One candidate (C01, 一) with an answer to each of questions 1 … count of
// 单选, every tenth right; in a shuffled order for a file made elsewhere.
void addAnswers(const QString &path, int count, bool shuffled)
{
    DataStore store;
    store.open(path);
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 1);
    if (shuffled)
        std::shuffle(order.begin(), order.end(), *QRandomGenerator::global());
    const QList<SourceQuestion> questions = realQuestions();
    Transaction unit(store);
    store.executeEach(QStringLiteral("insert into 评分 (考号, 场次, 姓名, 题号, 题型, 考生答案) values ('C01', '一', '张三', ?, '单选', ?)"),
                      count, [&](qsizetype i) {
                          const int n = order[size_t(i)];
                          const QString right = questions[(n - 1) % questions.size()].answer;
                          return Values{n, n % 10 == 0 ? right : right + QStringLiteral("X")};
                      });
    unit.commit();
}

// A file of `count` questions: made by the program, or made elsewhere (no
// indexes, shuffled rows); every practice answer wrong when asked.
void makeFile(const QString &dir, int count, bool foreign, bool wrong, bool answers)
{
    const QString path = QDir(dir).filePath(QStringLiteral("考试修改.mdb"));
    if (foreign) {
        makeForeignFile(path, count);
    } else {
        DataStore store;
        store.open(path);
        for (const QString &type : {QStringLiteral("多选"), QStringLiteral("判断"), QStringLiteral("问答")})
            fillBank(store, type, 3);
        fillBank(store, kSingle, count);
    }
    DataStore store;
    store.open(path);
    if (wrong)
        store.execute(QStringLiteral("update 单选 set 练习答案='X'"));
    store.close();
    if (answers)
        addAnswers(path, count, foreign);
    if (foreign) {
        DataStore again;
        again.open(path);
        dropIndexes(again);
    }
}

// Opens a task window by its menu item, as the user does.
template <typename Window>
Window *openTask(Program &program, const QString &item)
{
    program.main.runMenuItem(item);
    QApplication::processEvents();
    return qobject_cast<Window *>(program.main.currentTaskWindow());
}

ListFigures benchWrongList(const QString &dir)
{
    QElapsedTimer timer;
    timer.start();
    Program program(dir);
    report("start the program: open the file, make missing indexes", timer);
    auto *practice = openTask<PracticeWindow>(program, QStringLiteral("顺序练习"));
    if (!practice)
        return {};
    // The wrong list is a page of the question tabs; it fills as the page opens.
    auto *tabs = practice->findChild<QTabWidget *>(QStringLiteral("题目区高级选择夹"));
    tabs->setCurrentIndex(tabs->count() - 1);
    QApplication::processEvents();
    return measureList(practice->wrongGrid(), [practice] { practice->fillWrongList(); });
}

ListFigures benchDetailList(const QString &dir)
{
    QElapsedTimer timer;
    timer.start();
    Program program(dir);
    report("start the program: open the file, make missing indexes", timer);
    auto *grading = openTask<GradingWindow>(program, QStringLiteral("评分"));
    if (!grading)
        return {};
    grading->findChild<DropDownBox *>(QStringLiteral("考号组合框"))->setEditText(QStringLiteral("C01"));
    grading->findChild<DropDownBox *>(QStringLiteral("场次组合框"))->setEditText(QStringLiteral("一"));
    ListFigures figures = measureList(grading->grid(), [grading] { grading->grade(); });
    // The 总分 row follows the first screen: the time from 评分 until it
    // shows, with the window answering meanwhile, and the memory after.
    std::vector<double> totals;
    for (int i = 0; i < 3; ++i) {
        timer.restart();
        grading->grade();
        while (grading->isSumming())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        grading->grid()->viewport()->repaint();
        totals.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    figures.total = median(totals);
    std::printf("%-58s %10.1f ms  (%.1f, %.1f, %.1f)\n", "  评分 until 总分 shows (median of 3)", figures.total,
                totals[0], totals[1], totals[2]);
    std::printf("%-58s %10s\n", "  total row", qPrintable(grading->grid()->text(grading->grid()->rowCount() - 1, 9)));
    std::printf("%-58s %10.1f MB\n", "  memory after the totals too", residentMegabytes() - figures.before);
    return figures;
}

struct SearchFigures {
    double firstScreen = 0, whole = 0, longestPause = 0, stopped = 0;
    qint64 found = 0;
};

// 搜索 for a text: the first screen (search() and painting), then the rest
// found with the event loop running, the longest time the window did not
// answer (the gap between two ticks of a 5 ms timer), and a search stopped
// by 停止 300 ms in.
SearchFigures benchSearch(BankWindow *bank, const QString &text)
{
    SearchFigures figures;
    auto *box = bank->findChild<QLineEdit *>(QStringLiteral("查询编辑框"));
    auto *note = bank->findChild<QLabel *>(QStringLiteral("搜索结果标签"));
    box->setText(text);
    std::vector<double> first, whole, pauses;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        bank->search();
        bank->grid()->viewport()->repaint();
        first.push_back(double(timer.nsecsElapsed()) / 1e6);
        QElapsedTimer tick;
        tick.start();
        double pause = 0;
        QTimer beat;
        QObject::connect(&beat, &QTimer::timeout, [&] {
            pause = std::max(pause, double(tick.nsecsElapsed()) / 1e6);
            tick.restart();
        });
        beat.start(5);
        while (bank->isSearching())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        beat.stop();
        whole.push_back(double(timer.nsecsElapsed()) / 1e6);
        pauses.push_back(pause);
    }
    figures.firstScreen = median(first);
    figures.whole = median(whole);
    figures.longestPause = *std::max_element(pauses.begin(), pauses.end());
    figures.found = bank->grid()->rowCount() - 1;
    // 停止 part way, pressed while the search runs: a click on the button
    // is queued from another thread 300 ms in, as the user's click arrives
    // whatever the window is doing; the time runs from the click to the
    // search having stopped.
    auto *stop = bank->findChild<QPushButton *>(QStringLiteral("停止按钮"));
    bank->search();
    std::atomic<qint64> pressedAt{0};
    QElapsedTimer clock;
    clock.start();
    std::thread user([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        pressedAt = clock.nsecsElapsed();
        QMetaObject::invokeMethod(stop, &QPushButton::click, Qt::QueuedConnection);
    });
    while (bank->isSearching())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const qint64 endedAt = clock.nsecsElapsed();
    user.join();
    QApplication::processEvents();
    const qint64 before = bank->grid()->rowCount() - 1;
    const bool stoppedByClick = note->text().startsWith(QStringLiteral("已停止"));
    figures.stopped = stoppedByClick ? double(endedAt - pressedAt) / 1e6 : 0;
    std::printf("search \"%s\": %lld found\n", qPrintable(text), static_cast<long long>(figures.found));
    std::printf("%-58s %10.1f ms  (%.1f, %.1f, %.1f)\n", "  first screen: 搜索 to the first matches painted (median of 3)",
                figures.firstScreen, first[0], first[1], first[2]);
    std::printf("%-58s %10.1f ms\n", "  the whole search, window answering (median of 3)", figures.whole);
    std::printf("%-58s %10.1f ms\n", "  longest time the window did not answer (worst of 3)", figures.longestPause);
    if (stoppedByClick)
        std::printf("%-58s %10.2f ms  (%lld listed, note: %s)\n", "  停止 clicked 300 ms in: stopped within",
                    figures.stopped, static_cast<long long>(before), qPrintable(note->text()));
    else
        std::printf("%-58s (note: %s)\n", "  停止 clicked 300 ms in: the search had ended before",
                    qPrintable(note->text()));
    std::fflush(stdout);
    return figures;
}

// A table view with n rows of an empty model and nothing else: what the
// view itself keeps per row (Qt's row header holds a section per row).
void benchHeader(int rows)
{
    struct Empty final : QAbstractTableModel {
        int n = 0;
        int rowCount(const QModelIndex &) const override { return n; }
        int columnCount(const QModelIndex &) const override { return 7; }
        QVariant data(const QModelIndex &, int) const override { return {}; }
        void grow(int to)
        {
            beginResetModel();
            n = to;
            endResetModel();
        }
    } model;
    QTableView view;
    view.verticalHeader()->hide();
    view.setModel(&model);
    view.resize(1200, 800);
    view.show();
    QApplication::processEvents();
    const double before = residentMegabytes();
    model.grow(rows);
    view.viewport()->repaint();
    QApplication::processEvents();
    std::printf("a bare QTableView, %d rows of an empty model: %.1f MB more than with none (%.1f bytes per row)\n", rows,
                residentMegabytes() - before, (residentMegabytes() - before) * 1048576.0 / rows);
}

// ---------------------------------------------------------------- files and processes

// The files are made once per kind and size: in the folder LIST_BENCH_DATA
// names, where they stay for later runs (`list_bench make grading 1000000`
// makes them in a run of its own), else in a folder of this run. Every
// measurement works on a copy in a process of its own, so that no figure
// holds what an earlier file left in the process, and a file made
// elsewhere stays without the indexes the program adds when it opens one.
class DataFiles
{
public:
    DataFiles()
    {
        const QString kept = qEnvironmentVariable("LIST_BENCH_DATA");
        m_root = kept.isEmpty() ? m_temporary.path() : kept;
        QDir().mkpath(m_root);
    }
    // The folder of the file of `kind` ("bank", "wrong", "grading"), made when missing.
    QString folder(const QString &kind, int count, bool foreign)
    {
        const QString dir = QDir(m_root).filePath(
            QStringLiteral("%1-%2-%3").arg(kind).arg(count).arg(foreign ? QStringLiteral("foreign") : QStringLiteral("made")));
        const QString path = QDir(dir).filePath(QStringLiteral("考试修改.mdb"));
        if (!QFileInfo::exists(path)) {
            QDir().mkpath(dir);
            QElapsedTimer timer;
            timer.start();
            const QString making = path + QStringLiteral(".making");
            QFile::remove(making);
            QTemporaryDir scratch(QDir(m_root).filePath(QStringLiteral("making-XXXXXX")));
            makeFile(scratch.path(), count, foreign, kind == u"wrong", kind == u"grading");
            QFile::rename(QDir(scratch.path()).filePath(QStringLiteral("考试修改.mdb")), path);
            std::printf("made %s (%.0f s)\n", qPrintable(path), double(timer.elapsed()) / 1000);
        }
        return dir;
    }

private:
    QTemporaryDir m_temporary;
    QString m_root;
};

// The figures a child prints on its last line: "RESULT a b c …".
void printResult(const std::vector<double> &figures)
{
    std::printf("RESULT");
    for (double f : figures)
        std::printf(" %.3f", f);
    std::printf("\n");
    std::fflush(stdout);
}

// Runs `list_bench --child measure` on a copy of the file in `dir`; shows
// what the child printed and returns its figures (empty when it failed).
std::vector<double> inOwnProcess(const QString &measure, const QString &dir)
{
    QTemporaryDir copy(QDir(dir).filePath(QStringLiteral("../copy-XXXXXX")));
    const QString name = QStringLiteral("考试修改.mdb");
    if (!QFile::copy(QDir(dir).filePath(name), QDir(copy.path()).filePath(name))) {
        std::printf("could not copy %s\n", qPrintable(dir));
        return {};
    }
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), measure, copy.path()});
    child.waitForFinished(-1);
    std::vector<double> figures;
    for (const QString &line : QString::fromUtf8(child.readAllStandardOutput()).split(u'\n')) {
        if (!line.startsWith(QStringLiteral("RESULT "))) {
            if (!line.isEmpty())
                std::printf("%s\n", qPrintable(line));
            continue;
        }
        for (const QString &f : line.split(u' ').mid(1))
            figures.push_back(f.toDouble());
    }
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        std::printf("the measuring process failed (exit %d)\n", child.exitCode());
    std::fflush(stdout);
    return figures;
}

// The measurements a child makes on one file; each prints its figures last.
int measureChild(const QString &measure, const QString &dir)
{
    if (measure == u"wrong" || measure == u"grading") {
        const ListFigures f = measure == u"wrong" ? benchWrongList(dir) : benchDetailList(dir);
        printResult({f.firstScreen, f.lastRow, f.megabytes, f.total});
    } else if (measure == u"search") {
        Program program(dir);
        BankWindow *bank = program.openBank();
        // Esc with no search running closes the window (and deletes it):
        // the searches use 停止, and a window gone ends the measuring.
        QPointer<BankWindow> open(bank);
        const SearchFigures dense = benchSearch(bank, QStringLiteral("的"));
        if (!open)
            return 1;
        const SearchFigures sparse = benchSearch(bank, realQuestions().value(7).text.left(12));
        printResult({dense.firstScreen, dense.whole, std::max(dense.longestPause, sparse.longestPause),
                     sparse.firstScreen, sparse.whole, std::max(dense.stopped, sparse.stopped)});
    } else {
        const Figures f = benchFile(dir);
        printResult({f.firstScreen, f.lastRow, f.megabytes, f.cliWindow, f.cliWhole});
    }
    return 0;
}

QString growthOf(double now, double before)
{
    return before > 0 ? QStringLiteral("×%1").arg(now / before, 0, 'f', 2) : QString();
}

int otherLists(const QString &which, const QList<int> &sizes)
{
    DataFiles files;
    const bool search = which == u"search";
    const QString kind = search ? QStringLiteral("bank") : which;
    struct Line {
        int count;
        std::vector<double> made, foreign;
    };
    std::vector<Line> lines;
    for (int count : sizes) {
        Line line{count, {}, {}};
        for (const bool foreign : {false, true}) {
            // A bank made elsewhere is made up to a million rows, as for the listing.
            if (foreign && search && count > 1000000) {
                line.foreign.assign(6, 0);
                continue;
            }
            std::printf("\n== %s, %d rows, %s ==\n", qPrintable(which), count,
                        foreign ? "a file made elsewhere: no indexes, shuffled rows" : "a file the program made");
            std::vector<double> &into = foreign ? line.foreign : line.made;
            into = inOwnProcess(which, files.folder(kind, count, foreign));
            into.resize(6, 0);
        }
        lines.push_back(line);
    }
    std::printf("\n%s (medians of 3, each file in a process of its own)\n", qPrintable(which));
    if (search)
        std::printf("%10s %26s %26s %26s %22s %18s\n", "rows", "\"的\": first screen m/e", "\"的\": whole m/e",
                    "rare: first screen m/e", "rare: whole m/e", "stop / pause ms");
    else
        std::printf("%10s %26s %26s %18s\n", "rows", "first screen made/elsewhere", "last row made/elsewhere",
                    "memory MB m/e");
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line &l = lines[i];
        const QString growth = i > 0 ? growthOf(l.made[0], lines[i - 1].made[0]) : QString();
        if (search)
            std::printf("%10d %11.1f / %8.1f ms %11.1f / %8.1f ms %11.1f / %8.1f ms %9.0f / %6.0f ms %7.1f / %6.1f\n",
                        l.count, l.made[0], l.foreign[0], l.made[1], l.foreign[1], l.made[3], l.foreign[3], l.made[4],
                        l.foreign[4], std::max(l.made[5], l.foreign[5]), std::max(l.made[2], l.foreign[2]));
        else
            std::printf("%10d %11.1f / %8.1f ms %11.1f / %8.1f ms %8.1f / %5.1f   growth of first screen %s\n",
                        l.count, l.made[0], l.foreign[0], l.made[1], l.foreign[1], l.made[2], l.foreign[2],
                        qPrintable(growth));
    }
    return 0;
}

// The files of a kind and size, made and kept (LIST_BENCH_DATA) for later runs.
int makeOnly(const QString &which, int count)
{
    DataFiles files;
    const QString kind = which == u"wrong" || which == u"grading" ? which : QStringLiteral("bank");
    for (const bool foreign : {false, true})
        if (which != u"bank" || foreign == false || count <= 1000000)
            std::printf("%s\n", qPrintable(files.folder(kind, count, foreign)));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString which = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (which == u"--child" && argc > 3)
        return measureChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (which == u"delete") {
        benchDelete();
        return 0;
    }
    const QList<int> given = argc > 2 ? QList<int>{QString::fromLocal8Bit(argv[2]).toInt()} : QList<int>{};
    if (which == u"make" && argc > 3)
        return makeOnly(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]).toInt());
    if (which == u"header") {
        benchHeader(given.isEmpty() ? 3000000 : given[0]);
        return 0;
    }
    if (which == u"wrong" || which == u"grading" || which == u"search")
        return otherLists(which, given.isEmpty() ? QList<int>{10000, 100000, 1000000} : given);
    QList<int> sizes{10000, 100000, 1000000, 3000000};
    if (!which.isEmpty())
        sizes = {which.toInt()};
    DataFiles files;
    struct Line {
        int count;
        std::vector<double> made, foreign;
    };
    std::vector<Line> lines;
    for (int count : sizes) {
        Line line{count, {}, {}};
        std::printf("\n== %d questions, a file the program made ==\n", count);
        line.made = inOwnProcess(QStringLiteral("list"), files.folder(QStringLiteral("bank"), count, false));
        if (count <= 1000000) {
            std::printf("\n== %d questions, a file made elsewhere: no indexes, shuffled rows ==\n", count);
            line.foreign = inOwnProcess(QStringLiteral("list"), files.folder(QStringLiteral("bank"), count, true));
        }
        line.made.resize(5, 0);
        line.foreign.resize(5, 0);
        lines.push_back(line);
    }
    std::printf("\n%10s %14s %12s %16s %14s %14s   (medians of 3, each file in a process of its own)\n", "rows",
                "first screen", "last row", "memory MB m/e", "tool: window", "tool: all rows");
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::vector<double> &f = lines[i].made;
        const QString growth = i > 0 ? growthOf(f[0], lines[i - 1].made[0]) : QString();
        std::printf("%10d %11.1f ms %9.1f ms %8.1f / %5.1f %11.1f ms %11.1f ms   growth of first screen %s\n",
                    lines[i].count, f[0], f[1], f[2], lines[i].foreign[2], f[3], f[4], qPrintable(growth));
    }
    return 0;
}
