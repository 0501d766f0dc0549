// Speed of the practice windows on large banks: drawing the shuffled orders,
// filling the wrong-question list, moving to the next question. Generated
// banks of 100,000 questions each, then the real questions of the shared
// data set. Prints one line per figure.
#include "support/TestDatabase.h"

#include "practice/PracticeSession.h"
#include "practice/QuestionLayout.h"
#include "practice/RandomPracticeWindow.h"
#include "practice/SequentialPracticeWindow.h"
#include "practice/ShuffledOrder.h"
#include "ui/AppContext.h"
#include "ui/ListGrid.h"
#include "ui/ScriptedPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <cstdio>

using namespace kaoshi;
using kaoshi::test::TestDatabase;

namespace {

constexpr int kBankSize = 100000;

void report(const char *what, double milliseconds, const char *target = "")
{
    std::printf("%-60s %10.2f ms %s\n", what, milliseconds, target);
    std::fflush(stdout);
}

// Questions 1 … count, every one answered wrongly.
void fillBank(TestDatabase &db, const QString &type, int count)
{
    db.store().execute("insert into " + type +
                       " (题号, 题目, 标准答案, 解析, 分值, 章节, 练习答案) "
                       "with recursive n(x) as (select 1 union all select x + 1 from n where x < " +
                       QString::number(count) +
                       ") select x, '第' || x || '题的题干A.甲B.乙C.丙D.丁', 'A', '解析', 1, '第一章', 'B' from n");
}

void fillRealBank(TestDatabase &db, const QList<kaoshi::test::RealQuestion> &questions)
{
    Transaction unit(db.store());
    std::vector<Values> rows;
    qint64 number = 0;
    for (const auto &q : questions)
        rows.push_back({++number, q.text, q.answer, q.chapter,
                        q.answer == QLatin1String("A") ? QStringLiteral("B") : QStringLiteral("A")});
    db.store().executeEach(QStringLiteral("insert into 单选 (题号, 题目, 标准答案, 章节, 练习答案) values (?, ?, ?, ?, ?)"),
                           rows);
    unit.commit();
}

struct Harness {
    ScriptedPlatform platform;
    PracticeSession practice;
    TestDatabase db;
    AppContext context{db.programDir(), db.store(), platform.platform()};
};

template <typename Step>
double averageMilliseconds(int times, Step step)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < times; ++i)
        step();
    return timer.nsecsElapsed() / 1e6 / times;
}

void measureWindows(Harness &h, const char *label)
{
    QElapsedTimer timer;
    char line[160];

    auto *random = new RandomPracticeWindow(h.context, h.practice, nullptr);
    timer.start();
    random->drawShuffledOrders();
    std::snprintf(line, sizeof line, "%s: draw the four shuffled orders", label);
    report(line, timer.nsecsElapsed() / 1e6, "(target < 200 ms)");
    timer.start();
    bool started = random->start();
    std::snprintf(line, sizeof line, "%s: open the random window (start-up, draw, first load)", label);
    report(line, timer.nsecsElapsed() / 1e6);
    if (started) {
        std::snprintf(line, sizeof line, "%s: random window, next question (mean of 500)", label);
        report(line, averageMilliseconds(500, [&] { random->goNext(); }), "(target < 20 ms)");
    }
    delete random;

    auto *window = new SequentialPracticeWindow(h.context, h.practice, nullptr);
    window->resize(1200, 860);
    window->show();
    if (!window->start()) {
        std::printf("%s: window did not start\n", label);
        return;
    }
    std::snprintf(line, sizeof line, "%s: sequential window, next question (mean of 500)", label);
    report(line, averageMilliseconds(500, [&] { window->goNext(); }), "(target < 20 ms)");
    std::snprintf(line, sizeof line, "%s: save and move on (mean of 500)", label);
    report(line, averageMilliseconds(500, [&] { window->saveAnswer(); }));

    timer.start();
    window->fillWrongList();
    QApplication::processEvents();
    std::snprintf(line, sizeof line, "%s: fill the wrong list (%d rows)", label,
                  window->wrongGrid()->rowCount() - 1);
    report(line, timer.nsecsElapsed() / 1e6, "(target < 1500 ms)");
    timer.start();
    window->view().questionTabs->setCurrentIndex(PracticeWindow::kWrongListPage);
    QApplication::processEvents();
    std::snprintf(line, sizeof line, "%s: show the 错题 page (refill and paint)", label);
    report(line, timer.nsecsElapsed() / 1e6);
    delete window;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    {
        QElapsedTimer timer;
        timer.start();
        qint64 offset = 0;
        for (int bank = 0; bank < 4; ++bank)
            drawShuffledOrder(kBankSize, nextClockSeed(12345, offset));
        report("four orders of 100,000 (draw only)", timer.nsecsElapsed() / 1e6, "(target < 200 ms)");
    }

    {
        Harness h;
        QElapsedTimer timer;
        timer.start();
        for (const QString &type : {QStringLiteral("单选"), QStringLiteral("多选"), QStringLiteral("判断"),
                                    QStringLiteral("问答")})
            fillBank(h.db, type, kBankSize);
        std::printf("generated four banks of %d questions in %.0f ms\n", kBankSize, timer.nsecsElapsed() / 1e6);
        // Only one bank answered wrongly: 100,000 rows in the wrong list.
        for (const QString &type : {QStringLiteral("多选"), QStringLiteral("判断"), QStringLiteral("问答")})
            h.db.store().execute("update " + type + " set 练习答案=''");
        measureWindows(h, "generated");
    }

    const QList<kaoshi::test::RealQuestion> real = kaoshi::test::loadRealQuestions();
    if (real.isEmpty()) {
        std::printf("real questions not found; skipped\n");
        return 0;
    }
    {
        QElapsedTimer timer;
        timer.start();
        qsizetype characters = 0;
        for (const auto &q : real)
            characters += layoutQuestionText(q.text).size();
        char line[160];
        std::snprintf(line, sizeof line, "real: layout of %lld question texts (%lld characters)",
                      qlonglong(real.size()), qlonglong(characters));
        report(line, timer.nsecsElapsed() / 1e6);
    }
    Harness h;
    fillRealBank(h.db, real);
    for (const QString &type : {QStringLiteral("多选"), QStringLiteral("判断"), QStringLiteral("问答")})
        h.db.addQuestions(type, 10);
    std::printf("real: %lld questions in 单选\n", qlonglong(real.size()));
    measureWindows(h, "real");
    return 0;
}
