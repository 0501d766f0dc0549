// The windows on a PostgreSQL server (run through tests/support/test-server
// run STATE, which gives the server in PGHOST/PGPORT/PGUSER), each figure
// through the window a teacher or candidate uses:
// - the bank list's first screen: 单选题库 from the menu, 搜索 with an empty
//   box and the grid painted, on banks of 10,000, 100,000 and 1,000,000;
// - the next question in 顺序练习: 下题 pressed and the page painted;
// - keeping an exam answer: an option clicked on the paper, kept at once;
// - 复制到服务器 from the menu: a file of 100,000 real questions and 10,000
//   picture files of 4 KB into a fresh server database, under the progress
//   dialog, until the counts are shown.
// Medians of 3 runs (of 200 steps each for the single steps).
#include "BenchData.h"
#include "TestDatabase.h"

#include "app/DatabaseChoice.h"
#include "app/DatabaseCopyTask.h"
#include "app/MainWindow.h"
#include "bank/BankWindow.h"
#include "data/ConfigTable.h"
#include "exam/CandidateDialog.h"
#include "exam/ExamPaperWindow.h"
#include "ui/DropDownBox.h"
#include "ui/ListGrid.h"
#include "ui/ScriptedPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <vector>

using namespace kaoshi;
using namespace kaoshi::bench;
using namespace kaoshi::test;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double msSince(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

// A run of the program on a database of the test server.
struct ServerRun {
    ScriptedPlatform platform;
    TestDatabase &db;
    AppContext context{db.programDir(), db.store(), platform.platform()};
    MainWindow main{context};
    explicit ServerRun(TestDatabase &database) : db(database)
    {
        context.serverLocation = db.serverSettings().describe();
        main.applyScreenSize({1920, 1080});
        main.show();
        QApplication::processEvents();
    }
    void press(QWidget *window, const QString &caption)
    {
        for (QAction *a : window->findChild<QToolBar *>(QStringLiteral("工具条1"))->actions())
            if (a->text() == caption)
                a->trigger();
    }
};

void paint(QWidget *window)
{
    QApplication::processEvents();
    window->repaint();
}

// 单选 of size questions: 10,000 real ones, then copies of them on the server.
void growBank(TestDatabase &db, qint64 size)
{
    const qint64 have = db.count(QuestionType::SingleChoice);
    if (have == 0)
        fillBank(db.store(), QStringLiteral("单选"), 10000);
    for (qint64 at = qMax<qint64>(have, 10000); at < size; at += 10000)
        db.store().execute(QStringLiteral("insert into 单选 (题号, 题目, 标准答案, 解析, 分值, 章节, 练习答案) "
                                          "select 题号 + ?, 题目, 标准答案, 解析, 分值, 章节, 练习答案 from 单选 where 题号 <= 10000"),
                           {at});
    db.store().execute(QStringLiteral("analyze 单选"));
}

void benchBankAndPractice()
{
    TestDatabase db(TestEngine::Server);
    if (!db.isReady()) {
        std::fprintf(stderr, "no test server: %s\n", qPrintable(db.reason()));
        std::exit(1);
    }
    for (const qint64 size : {10000LL, 100000LL, 1000000LL}) {
        growBank(db, size);
        std::vector<double> first, next;
        for (int run = 0; run < 3; ++run) {
            ServerRun program(db);
            QElapsedTimer timer;
            timer.start();
            program.main.runMenuItem(QStringLiteral("单选题库"));
            auto *bank = qobject_cast<BankWindow *>(program.main.currentTaskWindow());
            bank->search();
            paint(bank);
            first.push_back(msSince(timer));
            if (bank->grid()->rowCount() - 1 != size)
                std::fprintf(stderr, "listed %d rows, not %lld\n", bank->grid()->rowCount() - 1, size);

            program.main.runMenuItem(QStringLiteral("顺序练习"));
            QWidget *practice = program.main.currentTaskWindow();
            for (int step = 0; step < 200; ++step) {
                timer.restart();
                program.press(practice, QStringLiteral("下题"));
                paint(practice);
                next.push_back(msSince(timer));
            }
        }
        std::printf("bank of %7lld on the server: first screen of the list %7.1f ms, next question in practice %5.2f ms\n",
                    size, median(first), median(next));
        std::fflush(stdout);
    }
}

void benchExamAnswer()
{
    TestDatabase db(TestEngine::Server);
    growBank(db, 100000);
    ExamSettings settings;
    settings.draws = {50, 0, 0, 0};
    storeExamSettings(db.store(), settings);
    std::vector<double> keep;
    for (int run = 0; run < 3; ++run) {
        ServerRun program(db);
        QTimer::singleShot(0, [run] {
            auto *dialog = qobject_cast<CandidateDialog *>(QApplication::activeModalWidget());
            dialog->findChild<DropDownBox *>(QStringLiteral("考号组合框"))->setEditText(QStringLiteral("B%1").arg(run));
            dialog->findChild<DropDownBox *>(QStringLiteral("场次组合框"))->setEditText(QStringLiteral("一"));
            dialog->findChild<QLineEdit *>(QStringLiteral("姓名编辑框"))->setText(QStringLiteral("王五"));
            dialog->findChild<QPushButton *>(QStringLiteral("开始考试按钮"))->click();
        });
        program.main.runMenuItem(QStringLiteral("模拟组卷"));
        QWidget *paper = program.main.currentTaskWindow();
        const QString letters[] = {QStringLiteral("A"), QStringLiteral("B")};
        for (int step = 0; step < 200; ++step) {
            auto *option = paper->findChild<QAbstractButton *>(letters[step % 2] + QStringLiteral("单选框"));
            QElapsedTimer timer;
            timer.start();
            option->click();
            paint(paper);
            keep.push_back(msSince(timer));
            if (step % 4 == 3)
                program.press(paper, QStringLiteral("下题"));
        }
    }
    std::printf("keeping an exam answer on the server (bank of 100000, 50 drawn): %.2f ms; 答卷 rows %s\n",
                median(keep), qPrintable(db.text(QStringLiteral("select count(*) from 答卷"))));
}

void benchCopy()
{
    TestDatabase source;
    fillBank(source.store(), QStringLiteral("单选"), 100000);
    fillPictureFiles(source, 10000);
    std::vector<double> copy;
    int shown = 0;
    for (int run = 0; run < 3; ++run) {
        TestDatabase server(TestEngine::Server);
        DatabaseChoice choice;
        choice.server = server.serverSettings();
        writeDatabaseChoice(source.programDir(), choice);
        ScriptedPlatform platform;
        AppContext context{source.programDir(), source.store(), platform.platform()};
        MainWindow main(context);
        main.show();
        QSet<int> values;
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (auto *dialog = main.findChild<CopyProgressDialog *>())
                values.insert(dialog->value());
        });
        watch.start();
        QElapsedTimer timer;
        timer.start();
        main.runMenuItem(QStringLiteral("复制到服务器"));
        copy.push_back(msSince(timer));
        shown = int(values.size());
        if (!platform.lastMessage().text.startsWith(QStringLiteral("已复制到服务器")))
            std::fprintf(stderr, "copy: %s\n", qPrintable(platform.lastMessage().text));
        std::printf("  run %d: %.0f ms, server holds %lld questions, %s picture files\n", run + 1, copy.back(),
                    server.count(QuestionType::SingleChoice), qPrintable(server.text(QStringLiteral("select count(*) from 图片文件"))));
    }
    std::printf("复制到服务器 of 100000 questions and 10000 pictures (menu to counts shown): %.0f ms, "
                "progress seen at %d different values\n",
                median(copy), shown);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    benchBankAndPractice();
    benchExamAnswer();
    benchCopy();
    return 0;
}
