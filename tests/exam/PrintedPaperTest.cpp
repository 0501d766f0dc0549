// Printed papers kept in the database: a run drawn from the banks, stored
// and read back, gives the same variants and keys; a refused write stores
// nothing; a typed answer sheet is graded against the candidate's variant.
#include "support/TestDatabase.h"

#include "data/PrintedPaperTable.h"
#include "exam/PrintedPaper.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

void fillBanks(TestDatabase &db)
{
    for (int n = 1; n <= 12; ++n)
        db.addQuestion(QStringLiteral("单选"), {n, QStringLiteral("单选%1？A.甲%1B.乙%1C.丙%1D.丁%1").arg(n), QStringLiteral("C"),
                                                QStringLiteral("因为丙"), 2});
    for (int n = 1; n <= 5; ++n)
        db.addQuestion(QStringLiteral("多选"), {n, QStringLiteral("多选%1？A.子B.丑C.寅D.卯E.辰").arg(n), QStringLiteral("BD"), {}, 4});
    for (int n = 1; n <= 5; ++n)
        db.addQuestion(QStringLiteral("判断"), {n, QStringLiteral("判断%1").arg(n), QStringLiteral("×"), {}, 1});
    db.addQuestion(QStringLiteral("问答"), {1, QStringLiteral("问答1"), QStringLiteral("要点"), {}, 10});
}

PaperPlan plan(int variants)
{
    PaperPlan plan;
    plan.occasion = QStringLiteral("一");
    plan.counts = {10, 3, 4, 1};
    plan.variants = variants;
    plan.shuffleQuestions = true;
    plan.shuffleOptions = true;
    return plan;
}

} // namespace

TEST(PrintedRuns, StoredVariantsReproduceTheKey)
{
    TestDatabase db;
    fillBanks(db);
    PaperRunDraw draw = drawPaperRun(db.store(), db.programDir(), plan(3), 777, QStringLiteral("2026-12-10 09:00:00"));
    ASSERT_FALSE(draw.failed);
    ASSERT_EQ(draw.questions.size(), 18u);
    ASSERT_EQ(draw.run.variants.size(), 3u);
    // The same run seed draws the same paper.
    EXPECT_EQ(drawPaperRun(db.store(), db.programDir(), plan(3), 777, {}).run.variants, draw.run.variants);
    EXPECT_NE(draw.run.variants[0].items, draw.run.variants[1].items);

    ASSERT_TRUE(storePrintedRun(db.store(), draw.run));
    EXPECT_EQ(draw.run.id, 1);
    const std::optional<PrintedRun> stored = loadPrintedRun(db.store(), draw.run.id);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->title, QStringLiteral("考试试卷"));
    EXPECT_EQ(stored->occasion, QStringLiteral("一"));
    EXPECT_EQ(stored->variants, draw.run.variants);
    const std::optional<PaperQuestions> again = questionsOfRun(db.store(), db.programDir(), *stored);
    ASSERT_TRUE(again);
    for (size_t v = 0; v < stored->variants.size(); ++v) {
        const auto before = variantKey(draw.questions, draw.run.variants[v]);
        const auto after = variantKey(*again, stored->variants[v]);
        ASSERT_EQ(before.size(), after.size());
        for (size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(before[i].answer, after[i].answer) << v << ' ' << i;
    }

    // A second run gets the next 批号 and is listed first.
    PaperRunDraw second = drawPaperRun(db.store(), db.programDir(), plan(1), 5, {});
    ASSERT_TRUE(storePrintedRun(db.store(), second.run));
    const auto runs = listPrintedRuns(db.store());
    ASSERT_TRUE(runs);
    ASSERT_EQ(runs->size(), 2u);
    EXPECT_EQ((*runs)[0].id, 2);
    EXPECT_EQ((*runs)[1].variants.size(), 3u);
}

TEST(PrintedRuns, TypedSheetIsGradedAgainstTheCandidatesVariant)
{
    TestDatabase db;
    fillBanks(db);
    PaperRunDraw draw = drawPaperRun(db.store(), db.programDir(), plan(2), 31, {});
    ASSERT_TRUE(storePrintedRun(db.store(), draw.run));
    const std::optional<PrintedVariant> b = findPrintedVariant(db.store(), QStringLiteral("一"), 1);
    ASSERT_TRUE(b);
    EXPECT_EQ(*b, draw.run.variants[1]);
    EXPECT_FALSE(findPrintedVariant(db.store(), QStringLiteral("二"), 1));
    // The candidate of variant B marked the key's letters: each is the bank's answer.
    const std::vector<KeyEntry> key = variantKey(draw.questions, *b);
    for (size_t i = 0; i < key.size(); ++i) {
        const PaperQuestion *question = findQuestion(draw.questions, b->items[i]);
        EXPECT_EQ(bankAnswerOf(b->items[i], key[i].answer), question->answer);
    }
}

TEST(PrintedRuns, RefusedWriteStoresNothingAndOldFilesGetTheTables)
{
    TestDatabase db;
    fillBanks(db);
    // A file made before papers were printed: the tables come when first needed.
    ASSERT_TRUE(db.store().execute(QStringLiteral("drop table if exists 印卷题目")));
    ASSERT_TRUE(db.store().execute(QStringLiteral("drop table if exists 印卷")));
    const auto none = listPrintedRuns(db.store());
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());

    db.refuse(QStringLiteral("印卷题目"), QStringLiteral("insert"));
    PaperRunDraw draw = drawPaperRun(db.store(), db.programDir(), plan(2), 9, {});
    EXPECT_FALSE(storePrintedRun(db.store(), draw.run));
    EXPECT_EQ(draw.run.id, 0);
    EXPECT_TRUE(db.store().lastError().message.contains(QStringLiteral("拒绝写入")));
    EXPECT_EQ(db.count(QStringLiteral("印卷")), 0);
}

TEST(PrintedRuns, OptionOrderTexts)
{
    EXPECT_EQ(optionOrderText({2, 0, 1}), QStringLiteral("CAB"));
    EXPECT_EQ(optionOrderOfText(QStringLiteral("CAB")), (QList<int>{2, 0, 1}));
    EXPECT_EQ(optionOrderOfText(QString()), QList<int>());
    for (const char *bad : {"AA", "AD", "a", "AB1"})
        EXPECT_FALSE(optionOrderOfText(QString::fromUtf8(bad))) << bad;
}
