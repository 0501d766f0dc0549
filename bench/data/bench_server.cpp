// The data layer on a PostgreSQL server (run it through tests/support/test-server,
// which starts a local one): copying a file of 100,000 real questions and
// 10,000 picture files to the server, then the single steps of a seat on a
// bank of that size. Figures are medians of 3 runs; each run copies into a
// fresh database.
#include "BenchData.h"
#include "TestDatabase.h"

#include "data/BankTable.h"
#include "data/DatabaseCopy.h"
#include "data/PaperTable.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <vector>

using namespace kaoshi;
using namespace kaoshi::bench;
using kaoshi::test::TestDatabase;
using kaoshi::test::TestEngine;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    TestDatabase source;
    fillBank(source.store(), QStringLiteral("单选"), 100000);
    fillPictureFiles(source, 10000);
    std::printf("source: %lld questions, %lld pictures of 4 KB\n", qlonglong(source.count("单选")),
                qlonglong(source.count("图片")));

    std::vector<double> copy, first, next, keep;
    for (int run = 0; run < 3; ++run) {
        TestDatabase server(TestEngine::Server);
        if (!server.isReady()) {
            std::printf("no server: %s\n", qPrintable(server.reason()));
            return 1;
        }
        qint64 progressCalls = 0;
        QElapsedTimer t;
        t.start();
        const CopyResult result = copyDatabase({source.store(), source.programDir()}, {server.store(), QString()},
                                               false, [&](qint64, qint64) { ++progressCalls; });
        copy.push_back(double(t.nsecsElapsed()) / 1e6);
        if (result.outcome != CopyResult::Outcome::Done) {
            std::printf("copy failed: %s\n", qPrintable(result.error.message));
            return 1;
        }
        std::printf("run %d: copy %.0f ms, %lld progress reports\n", run + 1, copy.back(), qlonglong(progressCalls));

        DataStore &store = server.store();
        // First screen of the bank list: the row identities in 题号 order and the first 40 rows.
        t.restart();
        const std::vector<qint64> ids = bank::listRowIds(store, QuestionType::SingleChoice, {}).value();
        const auto screen = bank::questionsById(store, QuestionType::SingleChoice, std::span(ids).first(40));
        first.push_back(double(t.nsecsElapsed()) / 1e6);

        // The next question in practice: one question read by its number.
        std::vector<double> steps;
        for (int n = 1; n <= 200; ++n) {
            t.restart();
            bank::questionByNumber(store, QuestionType::SingleChoice, n * 400);
            steps.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        next.push_back(median(steps));

        // Keeping an exam answer.
        ensurePaperTables(store);
        const PaperOwner owner{"001", "一", "张三"};
        KeptPaper paper;
        for (int n = 1; n <= 100; ++n)
            paper.items.push_back({QuestionType::SingleChoice, n, ""});
        keepNewPaper(store, owner, paper);
        steps.clear();
        for (int n = 0; n < 100; ++n) {
            t.restart();
            keepPaperAnswer(store, owner, n, QStringLiteral("B"));
            steps.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        keep.push_back(median(steps));
        Q_UNUSED(screen);
    }
    std::printf("copy of 100,000 questions and 10,000 picture files to the server: median %.0f ms\n", median(copy));
    std::printf("bank list first screen (all row identities in order + 40 rows): median %.1f ms\n", median(first));
    std::printf("next question in practice (one question by number): median %.2f ms\n", median(next));
    std::printf("keeping an exam answer (one update, committed): median %.2f ms\n", median(keep));
    return 0;
}
