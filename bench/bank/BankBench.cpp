// Speed of the bank list and the question editor on large banks: listing a
// bank of 100,000 questions with the status-bar progress, storing 1,000 typed
// rows, and deleting question 1 of a 10,000-question bank with renumbering.
// Questions are the real ones of the shared data set, repeated as needed.
#include "BenchData.h"
#include "app/MainWindow.h"
#include "bank/BankWindow.h"
#include "bank/QuestionBank.h"
#include "support/TestDatabase.h"
#include "ui/ListGrid.h"
#include "ui/ScriptedPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <cstdio>

#include "practice/PracticeSession.h"

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

const QString kSingle = QStringLiteral("单选");

void fillBank(TestDatabase &db, const QList<RealQuestion> &real, int count, int picturesEvery = 0)
{
    Transaction unit(db.store());
    std::vector<QuestionValues> values;
    values.reserve(size_t(count));
    for (int n = 1; n <= count; ++n) {
        const RealQuestion &q = real[(n - 1) % real.size()];
        values.push_back({q.text, q.answer, QString(), 1, q.chapter});
        if (picturesEvery > 0 && n % picturesEvery == 0)
            db.addPicture(QuestionType::SingleChoice, n, QStringLiteral("图"), QStringLiteral("\\image\\%1.png").arg(n));
    }
    bank::insertQuestions(db.store(), QuestionType::SingleChoice, 1, values);
    unit.commit();
}

struct Program {
    ScriptedPlatform platform;
    PracticeSession practice;
    TestDatabase &db;
    AppContext context{db.programDir(), db.store(), platform.platform()};
    MainWindow main{context};
    BankWindow *bank = nullptr;

    explicit Program(TestDatabase &database) : db(database)
    {
        main.show();
        main.runMenuItem(QStringLiteral("单选题库"));
        bank = qobject_cast<BankWindow *>(main.currentTaskWindow());
    }
};

void benchListing(const QList<RealQuestion> &real)
{
    TestDatabase db;
    fillBank(db, real, 100000);
    Program program(db);
    int blocks = 0;
    program.main.statusProgress().setSink([&](const QString &shown) { blocks = qMax(blocks, int(shown.size())); });
    const double before = kaoshi::bench::peakMegabytes();
    QElapsedTimer timer;
    timer.start();
    program.bank->search();
    QApplication::processEvents();
    const qint64 ms = timer.elapsed();
    std::printf("listing 100000 questions (搜索, empty box): %lld ms, %d rows, %d progress blocks, "
                "peak memory %.0f MB (%.0f MB before listing)\n",
                ms, program.bank->grid()->rowCount() - 1, blocks, kaoshi::bench::peakMegabytes(), before);
}

void benchSaveTypedRows(const QList<RealQuestion> &real)
{
    TestDatabase db;
    fillBank(db, real, 10000);
    Program program(db);
    ListGrid *grid = program.bank->grid();
    grid->setRowCount(1);
    grid->setRowCount(1001);
    for (int row = 1; row <= 1000; ++row) {
        const RealQuestion &q = real[(row * 7) % real.size()];
        grid->setText(row, 1, q.text);
        grid->setText(row, 2, q.answer.toLower());
        grid->setText(row, 4, QStringLiteral("2"));
        grid->setText(row, 5, q.chapter);
    }
    QElapsedTimer timer;
    timer.start();
    program.bank->saveNewRows();
    const qint64 ms = timer.elapsed();
    std::printf("保存 of 1000 typed rows into a bank of 10000: %lld ms (plus the 50 ms wait after the edit "
                "commit, which the scripted platform skips); bank now %lld questions\n",
                ms, db.count(kSingle));
}

void benchDeleteFirst(const QList<RealQuestion> &real)
{
    TestDatabase db;
    fillBank(db, real, 10000, 10);
    QElapsedTimer timer;
    timer.start();
    deleteQuestion(db.store(), QuestionType::SingleChoice, db.store().query("select rowid from 单选 where 题号=1").value(1).toInteger());
    const qint64 ms = timer.elapsed();
    std::printf("deleting question 1 of 10000 with 1000 picture rows, renumbering: %lld ms; max 题号 %s, "
                "pictures of question 9999: %s\n",
                ms, qPrintable(db.text("select max(题号) from 单选")),
                qPrintable(db.text("select count(*) from 图片 where 题号=9999")));
}

void benchSaveAmongBlankRows(const QList<RealQuestion> &real)
{
    TestDatabase db;
    fillBank(db, real, 1000);
    Program program(db);
    ListGrid *grid = program.bank->grid();
    grid->setRowCount(1);
    grid->setEditable(true);
    grid->setRowCount(1000001);
    grid->setText(500000, 1, real[0].text);
    grid->setText(500000, 2, real[0].answer);
    QElapsedTimer timer;
    timer.start();
    program.bank->saveNewRows();
    std::printf("保存 with 1000000 blank rows and one typed row: %lld ms; rows left %d, stored as 题号 %s\n",
                timer.elapsed(), grid->rowCount() - 1, qPrintable(grid->text(1, 0)));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QList<RealQuestion> real = loadRealQuestions();
    if (real.isEmpty()) {
        std::fprintf(stderr, "the shared question data set was not found\n");
        return 1;
    }
    std::printf("real questions read: %lld\n", qint64(real.size()));
    benchListing(real);
    benchSaveTypedRows(real);
    benchDeleteFirst(real);
    benchSaveAmongBlankRows(real);
    return 0;
}
