// Speed of the exam paper and of chapter practice on large banks, through
// the real windows inside the main window (scripted message boxes):
//  - drawing a paper of 100 + 50 + 50 + 10 questions from four banks of
//    100,000 each, keeping it, and showing its first question;
//  - keeping one answer durably (a click on an option: one update of 答卷);
//  - handing in a paper of 210 questions (210 rows into 评分 and the kept
//    paper removed, one unit), closing the paper;
//  - opening a chapter of 10,000 questions in a bank of 100,000 and showing
//    its first question;
//  - reading a paper's questions and picture rows into memory, as the paper
//    does when it opens (part of the draw above), alone, for papers of 210,
//    2,100 and 21,000 questions spread over the four banks.
#include "BenchData.h"
#include "support/TestDatabase.h"

#include "app/MainWindow.h"
#include "data/ConfigTable.h"
#include "exam/ExamPaperWindow.h"
#include "exam/PaperContent.h"
#include "practice/PracticeSession.h"
#include "ui/AppContext.h"
#include "ui/ScriptedPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTextEdit>
#include <algorithm>
#include <vector>

using namespace kaoshi;

namespace {

constexpr int kBankSize = 100000;
constexpr int kRuns = 5;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void line(const char *what, double ms, const char *target)
{
    std::printf("%-72s %9.2f ms %s\n", what, ms, target);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ScriptedPlatform platform;
    PracticeSession practice;
    test::TestDatabase db;
    AppContext context{db.programDir(), db.store(), platform.platform()};
    for (const QString &type : test::bankTables())
        bench::fillBank(db.store(), type, kBankSize);
    // Every tenth 单选 question belongs to 第三章: 10,000 of 100,000.
    db.store().execute(QStringLiteral("update 单选 set 章节='第三章' where 题号 % 10 = 3"));
    db.store().execute(QStringLiteral("update 单选 set 章节='其他' where 题号 % 10 <> 3"));
    storeExamSettings(db.store(), {100, 50, 50, 10, 60});
    std::printf("four banks of %d questions; medians of %d runs\n", kBankSize, kRuns);

    MainWindow main(context);
    main.applyScreenSize({1920, 1080});
    main.show();
    QApplication::processEvents();

    std::vector<double> draws, keeps, handIns, chapters;
    for (int run = 0; run < kRuns; ++run) {
        const PaperOwner candidate{QStringLiteral("B%1").arg(run), QStringLiteral("一"), QStringLiteral("考生")};
        QElapsedTimer timer;
        timer.start();
        main.openTaskWindow(TaskKind::ExamPaper, {QuestionType::SingleChoice, QString(), candidate});
        auto *paper = qobject_cast<ExamPaperWindow *>(main.currentTaskWindow());
        QApplication::processEvents(); // painted
        draws.push_back(timer.nsecsElapsed() / 1e6);
        if (!paper || paper->paper().total() != 210 || paper->findChild<QTextEdit *>("题目超级编辑框")->toPlainText().isEmpty()) {
            std::printf("the paper did not open as expected\n");
            return 1;
        }
        // One answer per 单选 question of the paper, each kept as it is clicked.
        auto *b = paper->findChild<QAbstractButton *>("B单选框");
        for (int i = 0; i < 100; ++i) {
            timer.restart();
            b->click();
            keeps.push_back(timer.nsecsElapsed() / 1e6);
            paper->goNext();
        }
        timer.restart();
        paper->collect();
        QApplication::processEvents();
        handIns.push_back(timer.nsecsElapsed() / 1e6);
        if (db.count(QStringLiteral("评分")) != 210 * (run + 1)) {
            std::printf("the hand-in did not store 210 rows\n");
            return 1;
        }

        timer.restart();
        main.openChapter(QStringLiteral("第三章"));
        QApplication::processEvents();
        chapters.push_back(timer.nsecsElapsed() / 1e6);
    }
    for (int size : {210, 2100, 21000}) {
        // Every bank's part is every k-th question of the bank, k from the size.
        ExamPaper paper;
        for (QuestionType type : allQuestionTypes()) {
            std::vector<qint64> numbers;
            for (qint64 n = 1; n <= kBankSize && qsizetype(numbers.size()) < size / 4; n += kBankSize / (size / 4))
                numbers.push_back(n);
            paper.setPart(type, numbers);
        }
        std::vector<double> reads;
        for (int run = 0; run < kRuns; ++run) {
            QElapsedTimer timer;
            timer.start();
            PaperContent content;
            if (!content.read(db.store(), db.programDir(), paper) || content.questionCount() != paper.total()) {
                std::printf("the paper's questions were not read\n");
                return 1;
            }
            reads.push_back(timer.nsecsElapsed() / 1e6);
        }
        const QByteArray what = QStringLiteral("read a paper of %1 questions and their pictures into memory").arg(paper.total()).toUtf8();
        line(what.constData(), median(reads), "");
    }
    line("draw, keep and show a paper of 100+50+50+10 from 4 x 100,000", median(draws), "(target < 200 ms)");
    line("keep one answer durably (click an option: one update of 答卷)", median(keeps), "(target < 20 ms)");
    line("hand in 210 questions (评分 rows + removal, one unit) and close", median(handIns), "(target < 200 ms)");
    line("open a chapter of 10,000 in a bank of 100,000, show its first question", median(chapters), "(target < 300 ms)");
    return 0;
}
