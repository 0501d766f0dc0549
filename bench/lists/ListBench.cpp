// Big banks through the real windows: the bank list, the question editor's
// delete and the sequential practice window, on a file the program made and
// on one it did not (no indexes, rows stored out of 题号 order).
//
//   build/bench/list_bench [rows]            (default 100000 and 1000000)
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

// The sqlite3 command-line tool printing the same listing to /dev/null; best of three.
double commandLineListing(const QString &path)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (tool.isEmpty())
        return -1;
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        process.start(tool, {path, QStringLiteral("select * from 单选 order by 题号")});
        process.waitForFinished(-1);
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
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

void benchFile(const QString &label, const QString &dir, int count, bool foreign)
{
    const QString path = QDir(dir).filePath(QStringLiteral("考试修改.mdb"));
    std::printf("\n== %d questions, %s ==\n", count, qPrintable(label));
    const double cli = commandLineListing(path);

    QElapsedTimer timer;
    timer.start();
    Program program(dir);
    report("start the program: open the file, make missing indexes", timer);
    std::printf("accessibility %s\n", QAccessible::isActive() ? "active: the screen reader's bus is served" : "off");
    timer.restart();
    BankWindow *bank = program.openBank();
    report("open the bank list", timer);

    const double before = peakMegabytes();
    const double first = listAndShow(bank);
    std::printf("%-58s %10.1f ms\n", "list the bank and paint its first screen", first);
    double best = first;
    for (int i = 0; i < 2; ++i)
        best = std::min(best, listAndShow(bank));
    std::printf("%-58s %10.1f ms\n", "  the same, best of three", best);
    if (cli > 0)
        std::printf("%-58s %10.1f ms  (ratio %.2f)\n", "  sqlite3 tool: select * … order by 题号 > /dev/null", cli,
                    best / cli);
    ListGrid *grid = bank->grid();
    timer.restart();
    grid->setCursorRow(grid->rowCount() - 1);
    grid->scrollTo(grid->currentIndex());
    grid->viewport()->repaint();
    report("jump to the last row and paint it", timer);
    std::printf("%-58s %10s     (%s)\n", "  last row shows 题号", qPrintable(grid->text(grid->rowCount() - 1, 0)),
                qPrintable(grid->text(grid->rowCount() - 1, 1).left(12)));
    std::printf("%-58s %10.0f MB  (%.0f MB before listing)\n", "peak memory of the process", peakMegabytes(), before);

    if (count <= 100000 && foreign) {
        // Question 1 through the editor's 删除, as the user deletes it.
        grid->setCursorRow(1);
        QuestionTexts row{grid->text(1, 0), grid->text(1, 1), grid->text(1, 2), grid->text(1, 3),
                          grid->text(1, 4), grid->text(1, 5), grid->gridModel()->rowId(1)};
        QuestionEditorWindow editor(program.context, QuestionType::SingleChoice, row, bank);
        timer.restart();
        editor.deleteQuestion();
        report("delete question 1 in the editor, renumbering questions and pictures", timer);
        std::printf("%-58s %10s\n", "  highest 题号 now",
                    qPrintable(program.store.query(QStringLiteral("select max(题号) from 单选")).value(1).toText()));
    }

    // Sequential practice: 下题 a hundred times from question 1.
    program.main.runMenuItem(QStringLiteral("顺序练习"));
    QApplication::processEvents();
    auto *practice = qobject_cast<PracticeWindow *>(program.main.currentTaskWindow());
    if (!practice)
        return;
    timer.restart();
    for (int i = 0; i < 100; ++i) {
        practice->goNext();
        practice->repaint();
    }
    std::printf("%-58s %10.2f ms\n", "next question in sequential practice, shown (mean of 100)",
                double(timer.nsecsElapsed()) / 1e6 / 100);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QList<int> sizes{100000, 1000000};
    if (argc > 1)
        sizes = {QString::fromLocal8Bit(argv[1]).toInt()};
    for (int count : sizes) {
        QTemporaryDir made;
        {
            DataStore store;
            store.open(QDir(made.path()).filePath(QStringLiteral("考试修改.mdb")));
            for (const QString &type : {QStringLiteral("多选"), QStringLiteral("判断"), QStringLiteral("问答")})
                fillBank(store, type, 3);
            fillBank(store, kSingle, count);
        }
        benchFile(QStringLiteral("a file the program made"), made.path(), count, false);
        QTemporaryDir foreign;
        makeForeignFile(QDir(foreign.path()).filePath(QStringLiteral("考试修改.mdb")), count);
        benchFile(QStringLiteral("a file made elsewhere: no indexes, shuffled rows"), foreign.path(), count, true);
    }
    return 0;
}
