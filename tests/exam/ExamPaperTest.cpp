// The exam paper without its window: the draw, the kept progress, the
// hand-in into 评分 as one unit, and the countdown.
#include "support/AnswerRows.h"
#include "support/TestDatabase.h"

#include "data/AnswerTable.h"
#include "data/PaperTable.h"
#include "exam/ExamPaper.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <set>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

std::vector<qint64> oneTo(qint64 n)
{
    std::vector<qint64> v;
    for (qint64 i = 1; i <= n; ++i)
        v.push_back(i);
    return v;
}

const PaperOwner kOwner{QStringLiteral("A01"), QStringLiteral("一"), QStringLiteral("张三")};

} // namespace

TEST(PaperDraw, DrawsDistinctQuestionsUpToTheBankSize)
{
    const struct {
        qint64 count;
        size_t drawn;
    } cases[] = {{0, 0}, {-3, 0}, {1, 1}, {3, 3}, {10, 10}, {15, 10}};
    for (const auto &c : cases) {
        QRandomGenerator generator(7);
        const std::vector<qint64> drawn = drawDistinct(oneTo(10), c.count, generator);
        EXPECT_EQ(drawn.size(), c.drawn) << c.count;
        const std::set<qint64> distinct(drawn.begin(), drawn.end());
        EXPECT_EQ(distinct.size(), drawn.size()) << c.count;
        for (qint64 n : drawn)
            EXPECT_TRUE(n >= 1 && n <= 10);
    }
    // The seed decides the draw: the same seed gives the same paper, others another.
    QRandomGenerator a(1), b(1), c(2);
    const auto first = drawDistinct(oneTo(1000), 20, a);
    EXPECT_EQ(first, drawDistinct(oneTo(1000), 20, b));
    EXPECT_NE(first, drawDistinct(oneTo(1000), 20, c));
}

TEST(PaperDraw, DrawsEachBankAsConfiguredAndSaysWhatFellShort)
{
    TestDatabase db;
    db.addQuestions(QStringLiteral("单选"), 5);
    db.addQuestions(QStringLiteral("多选"), 2);
    db.addQuestions(QStringLiteral("问答"), 3);
    QRandomGenerator generator(3);
    const PaperDraw draw = drawPaper(db.store(), {3, 5, 4, -1}, generator, true);
    ASSERT_FALSE(draw.failed);
    EXPECT_EQ(draw.paper.partSize(QuestionType::SingleChoice), 3);
    EXPECT_EQ(draw.paper.partSize(QuestionType::MultipleChoice), 2);
    EXPECT_EQ(draw.paper.partSize(QuestionType::TrueFalse), 0);
    EXPECT_EQ(draw.paper.partSize(QuestionType::FreeAnswer), 0);
    EXPECT_EQ(draw.paper.total(), 5);
    EXPECT_EQ(draw.paper.unanswered(), 5);
    const QString report = drawReport(draw);
    EXPECT_TRUE(report.startsWith(QStringLiteral("本次试卷共 5 题:单选 3 题,多选 2 题,判断 0 题,问答 0 题"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("多选题库只有 2 题,少于配置的 5 题")));
    EXPECT_TRUE(report.contains(QStringLiteral("判断题库只有 0 题,少于配置的 4 题")));
    EXPECT_FALSE(report.contains(QStringLiteral("问答题库只有")));

    // A bank that cannot be read fails the draw rather than giving a short paper.
    db.store().execute(QStringLiteral("drop table 多选"));
    EXPECT_TRUE(drawPaper(db.store(), {1, 1, 0, 0}, generator, true).failed);
}

TEST(ExamPaper, KeepsPartsInTheBankOrderAndCountsPositionsAcrossThem)
{
    const ExamPaper paper({{QuestionType::TrueFalse, 7, QStringLiteral("√")},
                           {QuestionType::SingleChoice, 4, QString()},
                           {QuestionType::SingleChoice, 2, QStringLiteral("B")}});
    EXPECT_EQ(paper.part(QuestionType::SingleChoice), (std::vector<qint64>{4, 2}));
    EXPECT_EQ(paper.part(QuestionType::TrueFalse), (std::vector<qint64>{7}));
    EXPECT_EQ(paper.total(), 3);
    EXPECT_EQ(paper.answered(), 2);
    EXPECT_EQ(paper.position(QuestionType::TrueFalse, 0), 2);
    EXPECT_EQ(paper.items(), (std::vector<PaperItem>{{QuestionType::SingleChoice, 4, QString()},
                                                     {QuestionType::SingleChoice, 2, QStringLiteral("B")},
                                                     {QuestionType::TrueFalse, 7, QStringLiteral("√")}}));
}

TEST(PaperTable, KeepsProgressAndHandsInAsOneUnit)
{
    TestDatabase db;
    DataStore &store = db.store();
    // A file made before papers existed has no progress tables: not
    // readable, and never taken for "no paper".
    EXPECT_TRUE(findKeptPaper(store, kOwner.number, kOwner.occasion).failed);
    ASSERT_TRUE(ensurePaperTables(store));
    ASSERT_TRUE(ensurePaperTables(store));
    ASSERT_TRUE(store.open(db.path()));
    EXPECT_EQ(store.availability(), DataStore::Availability::Usable);
    EXPECT_FALSE(findKeptPaper(store, kOwner.number, kOwner.occasion).paper);

    const std::vector<PaperItem> items{{QuestionType::SingleChoice, 4, QString()},
                                       {QuestionType::MultipleChoice, 9, QString()},
                                       {QuestionType::FreeAnswer, 1, QString()}};
    ASSERT_EQ(keepNewPaper(store, kOwner, {items, 600}), KeepOutcome::Kept);
    ASSERT_TRUE(keepPaperAnswer(store, kOwner, 1, QStringLiteral("ACD")));
    ASSERT_TRUE(keepPaperAnswer(store, kOwner, 2, QStringLiteral("它's \"引号\"")));
    ASSERT_TRUE(keepSecondsLeft(store, kOwner, 321));
    EXPECT_FALSE(keepPaperAnswer(store, kOwner, 3, QStringLiteral("A"))); // no such position

    const PaperLookup kept = findKeptPaper(store, kOwner.number, kOwner.occasion);
    ASSERT_TRUE(kept.paper);
    EXPECT_EQ(kept.paper->secondsLeft, 321);
    EXPECT_EQ(kept.paper->items[1].answer, QStringLiteral("ACD"));
    EXPECT_EQ(kept.paper->items[2].answer, QStringLiteral("它's \"引号\""));
    EXPECT_FALSE(findKeptPaper(store, kOwner.number, QStringLiteral("二")).paper);
    // A kept row whose 题型 names no bank is left out of the paper.
    ASSERT_TRUE(store.execute(QStringLiteral("insert into 答卷 values (?, ?, ?, 9, '其他', 1, 'A')"),
                              {kOwner.number, kOwner.occasion, kOwner.name}));
    EXPECT_EQ(findKeptPaper(store, kOwner.number, kOwner.occasion).paper->items.size(), 3u);
    ASSERT_TRUE(store.execute(QStringLiteral("delete from 答卷 where 题型='其他'")));
    // A paper in progress is not an answer of 评分.
    EXPECT_EQ(answerCount(store, kOwner.number, kOwner.occasion), 0);

    // Refused by the database: nothing of the hand-in stays, the paper does.
    ASSERT_TRUE(refuseWrites(store, QStringLiteral("答卷计时"), QStringLiteral("delete")));
    EXPECT_EQ(handInPaper(store, kOwner, kept.paper->items), HandInOutcome::Failed);
    EXPECT_EQ(store.errorString(), QStringLiteral("拒绝写入"));
    EXPECT_EQ(db.count(QStringLiteral("评分")), 0);
    EXPECT_EQ(db.count(QStringLiteral("答卷")), 3);
    ASSERT_TRUE(store.execute(QStringLiteral("drop trigger 拒绝_答卷计时_delete")));

    ASSERT_EQ(handInPaper(store, kOwner, kept.paper->items), HandInOutcome::HandedIn);
    EXPECT_EQ(db.count(QStringLiteral("答卷")), 0);
    EXPECT_EQ(db.count(QStringLiteral("答卷计时")), 0);
    EXPECT_EQ(answerCount(store, kOwner.number, kOwner.occasion), 3);
    EXPECT_EQ(db.text(QStringLiteral("select group_concat(考号||场次||姓名||题型||题号||'='||考生答案, ';') from "
                                     "(select * from 评分 order by rowid)")),
              QStringLiteral("A01一张三单选4=;A01一张三多选9=ACD;A01一张三问答1=它's \"引号\""));
}

TEST(PaperTable, OneCandidateInTwoCopiesOfTheProgramGetsOnePaperAndOneHandIn)
{
    TestDatabase db;
    DataStore first, second; // two copies of the program on one file
    ASSERT_TRUE(first.open(db.path()));
    ASSERT_TRUE(second.open(db.path()));
    ASSERT_TRUE(ensurePaperTables(first));
    ASSERT_TRUE(ensurePaperTables(second));
    const std::vector<PaperItem> drawnHere{{QuestionType::SingleChoice, 4, QString()}, {QuestionType::SingleChoice, 7, QString()}};
    const std::vector<PaperItem> drawnThere{{QuestionType::SingleChoice, 2, QString()}, {QuestionType::SingleChoice, 9, QString()}};
    ASSERT_EQ(keepNewPaper(first, kOwner, {drawnHere, 600}), KeepOutcome::Kept);
    EXPECT_EQ(keepNewPaper(second, kOwner, {drawnThere, 600}), KeepOutcome::Taken);
    EXPECT_EQ(db.count(QStringLiteral("答卷")), 2);
    EXPECT_EQ(db.count(QStringLiteral("答卷计时")), 1);
    // The database holds one paper per candidate even for a statement that skips the claim.
    EXPECT_FALSE(second.execute(QStringLiteral("insert into 答卷计时 (考号,场次,剩余秒数) values (?,?,1)"),
                                {kOwner.number, kOwner.occasion}));
    EXPECT_FALSE(second.execute(QStringLiteral("insert into 答卷 (考号,场次,序号) values (?,?,0)"),
                                {kOwner.number, kOwner.occasion}));
    // Another 场次 of the same candidate is a paper of its own.
    EXPECT_EQ(keepNewPaper(second, {kOwner.number, QStringLiteral("二"), kOwner.name}, {drawnThere, 600}),
              KeepOutcome::Kept);

    // Both hand the one paper in: the first is stored, the second refused.
    ASSERT_EQ(handInPaper(first, kOwner, drawnHere), HandInOutcome::HandedIn);
    EXPECT_EQ(handInPaper(second, kOwner, drawnHere), HandInOutcome::NotKept);
    EXPECT_EQ(answerCount(first, kOwner.number, kOwner.occasion), 2);
    // A paper kept again while 评分 already holds the candidate's answers is not graded twice.
    ASSERT_EQ(keepNewPaper(second, kOwner, {drawnThere, 600}), KeepOutcome::Kept);
    EXPECT_EQ(handInPaper(second, kOwner, drawnThere), HandInOutcome::AlreadyGraded);
    EXPECT_EQ(answerCount(first, kOwner.number, kOwner.occasion), 2);
    EXPECT_EQ(db.count(QStringLiteral("答卷计时")), 2); // the refused hand-in left its paper kept
}

TEST(PaperTable, ALaterStatementRefusedLeavesNothingOfTheUnit)
{
    TestDatabase db;
    DataStore &store = db.store();
    ASSERT_TRUE(ensurePaperTables(store));
    const std::vector<PaperItem> items{{QuestionType::SingleChoice, 4, QString()}, {QuestionType::MultipleChoice, 9, QString()}};
    // The second item of a new paper is refused: no claim and no first item stay.
    ASSERT_TRUE(store.execute(QStringLiteral("create trigger 拒绝第二题 before insert on 答卷 when new.序号=1 "
                                             "begin select raise(abort,'拒绝写入'); end")));
    EXPECT_EQ(keepNewPaper(store, kOwner, {items, 600}), KeepOutcome::Failed);
    EXPECT_EQ(db.count(QStringLiteral("答卷计时")), 0);
    EXPECT_EQ(db.count(QStringLiteral("答卷")), 0);
    ASSERT_TRUE(store.execute(QStringLiteral("drop trigger 拒绝第二题")));
    ASSERT_EQ(keepNewPaper(store, kOwner, {items, 600}), KeepOutcome::Kept);

    // The hand-in's last statement is refused: no 评分 row, the claim is back.
    ASSERT_TRUE(refuseWrites(store, QStringLiteral("答卷"), QStringLiteral("delete")));
    EXPECT_EQ(handInPaper(store, kOwner, items), HandInOutcome::Failed);
    EXPECT_EQ(db.count(QStringLiteral("评分")), 0);
    EXPECT_EQ(db.count(QStringLiteral("答卷计时")), 1);
    EXPECT_EQ(db.count(QStringLiteral("答卷")), 2);
}

TEST(Countdown, CountsWholeSecondsDownToZero)
{
    Countdown countdown;
    EXPECT_FALSE(countdown.isRunning());
    countdown.start(90, 1000);
    const struct {
        qint64 now;
        qint64 left;
    } cases[] = {{1000, 90}, {1500, 90}, {2000, 89}, {90999, 1}, {91000, 0}, {500000, 0}};
    for (const auto &c : cases)
        EXPECT_EQ(countdown.secondsLeft(c.now), c.left) << c.now;
    EXPECT_EQ(remainingTimeText(3725), QStringLiteral("剩余时间 1:02:05"));
    EXPECT_EQ(remainingTimeText(65), QStringLiteral("剩余时间 01:05"));
    EXPECT_EQ(remainingTimeText(0), QStringLiteral("剩余时间 00:00"));

    const struct {
        qint64 minutes;
        qint64 seconds;
    } limits[] = {{0, 0}, {-5, 0}, {60, 3600}, {std::numeric_limits<qint64>::max(), 365LL * 24 * 3600}};
    for (const auto &l : limits)
        EXPECT_EQ(timeLimitSeconds({0, 0, 0, 0, l.minutes}), l.seconds) << l.minutes;
}
