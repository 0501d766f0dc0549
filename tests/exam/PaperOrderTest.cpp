// A paper per candidate without its window: which questions may show their
// options in another order, the letters shown and the question's own, the
// orders drawn for a paper and kept with it in one unit, and the shuffles
// that 配置项 holds.
#include "support/AnswerRows.h"
#include "support/TestDatabase.h"

#include "data/ConfigTable.h"
#include "data/RoomTable.h"
#include "exam/ExamPaper.h"
#include "exam/OptionOrder.h"
#include "exam/PaperOrder.h"

#include <QRandomGenerator>
#include <algorithm>
#include <gtest/gtest.h>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

const PaperOwner kOwner{QStringLiteral("A01"), QStringLiteral("一"), QStringLiteral("张三")};

Question choice(QuestionType type, const QString &text, const QString &answer)
{
    Question question;
    question.type = type;
    question.text = text;
    question.answer = answer;
    return question;
}

} // namespace

TEST(OptionOrder, OnlyChoiceQuestionsThatSplitCleanlyMayMove)
{
    const QuestionType single = QuestionType::SingleChoice;
    const struct {
        QuestionType type;
        QString text;
        QString answer;
        bool mayMove;
    } cases[] = {
        {single, "甲？A.一B.二C.三", "B", true},
        {single, "甲？A、一 B、二", "A", true},                        // two options are enough
        {QuestionType::MultipleChoice, "甲？A.一B.二C.三D.四", "AC", true},
        {single, "甲？A.一B.二C.三D.四E.五F.六G.七", "G", true},        // seven: A … G
        {single, "甲？A.一B.二C.三D.四E.五F.六G.七H.八", "A", false},  // eight: no control for H
        {single, "温度A.36°CB.37.8°CC.36.5°C", "C", true},           // "°CC.": the label is the second C
        {single, "问A.1B.维生素C.C.钙", "A", false},                   // a second C label: unclear which is meant
        {single, "问A.1B.2D.4", "A", false},                           // a gap in the sequence
        {single, "甲？A.一", "A", false},                             // one option
        {single, "甲？A.一B.C.三", "A", false},                       // an empty option
        {single, "甲？A一B二C三", "A", false},                        // bare letters are not beyond doubt
        {single, "甲？B.二A.一", "A", false},                         // not in sequence from A
        {single, "甲？A.一B.二", "C", false},                         // the answer names no option
        {single, "甲？A.一B.二", "", false},                          // no answer to map
        {single, "甲？", "A", false},
        {QuestionType::TrueFalse, "甲？A.一B.二", "√", false},         // 判断 and 问答 never move
        {QuestionType::FreeAnswer, "甲？A.一B.二", "A", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(optionsMayMove(c.type, c.text, c.answer), c.mayMove) << c.text.toStdString();
}

TEST(OptionOrder, LettersMapBothWaysForSingleAndMultipleChoice)
{
    const struct {
        QList<int> order;
        QString own;
        QString shown;
    } cases[] = {
        {{2, 0, 1}, "A", "B"}, // A is shown second
        {{2, 0, 1}, "C", "A"},
        {{2, 0, 1}, "AC", "AB"}, // 多选 in letter order both ways
        {{3, 2, 1, 0}, "ABD", "ACD"},
        {{1, 0}, "A", "B"},
        {{0, 1, 2}, "BC", "BC"},
        {{2, 0, 1}, "", ""},
        {{}, "CA", "CA"}, // no order: as given
    };
    for (const auto &c : cases) {
        EXPECT_EQ(shownLettersOf(c.order, c.own), c.shown) << c.own.toStdString();
        EXPECT_EQ(ownLettersOf(c.order, c.shown), c.own) << c.shown.toStdString();
    }
    // A letter outside the order stays as it is, and so counts wrong.
    EXPECT_EQ(ownLettersOf({1, 0}, "C"), "C");
    EXPECT_EQ(shownLettersOf({1, 0}, "AE"), "BE");
}

TEST(OptionOrder, AnOrderFitsOnlyAsAPermutationOfItsOptions)
{
    EXPECT_TRUE(orderFits({2, 0, 1}, 3));
    EXPECT_TRUE(orderFits({}, 0));
    EXPECT_FALSE(orderFits({2, 0, 1}, 4));
    EXPECT_FALSE(orderFits({0, 0, 1}, 3));
    EXPECT_FALSE(orderFits({0, 1, 3}, 3));
    EXPECT_FALSE(orderFits({-1, 0}, 2));
    EXPECT_EQ(optionsInOrder({"A.一", "B、二", "C.三"}, {2, 0, 1}), (QStringList{"A.三", "B.一", "C、二"}));
    EXPECT_EQ(optionsInOrder({"A.一", "B.二"}, {0, 0}), (QStringList{"A.一", "B.二"}));

    for (quint32 seed = 1; seed <= 20; ++seed) {
        QRandomGenerator generator(seed);
        QList<int> order = shuffledOptionOrder(5, generator);
        EXPECT_TRUE(orderFits(order, 5));
    }
    QRandomGenerator a(7), b(8);
    QList<int> first, second;
    for (int i = 0; i < 4; ++i) {
        first << shuffledOptionOrder(7, a);
        second << shuffledOptionOrder(7, b);
    }
    EXPECT_NE(first, second);
}

TEST(PaperOrder, ShowsTheOptionsRelettedAndMapsTheLettersOfItsPosition)
{
    const Question single = choice(QuestionType::SingleChoice, "甲？A.一B.二C.三", "A");
    const Question verdict = choice(QuestionType::TrueFalse, "乙？A.一B.二", "√");
    const PaperOrder order({{2, 0, 1}, {}, {1, 0}});

    EXPECT_TRUE(order.movesAny());
    EXPECT_FALSE(PaperOrder({{}, {}}).movesAny());
    EXPECT_EQ(order.shownText(0, single), QStringLiteral("甲？\n\nA.三\nB.一\nC.二"));
    EXPECT_EQ(order.shownAnswer(0, single, "A"), "B");
    EXPECT_EQ(order.ownAnswer(0, single, "B"), "A");
    // An option ending in the next label's letter moves whole.
    const Question degrees = choice(QuestionType::SingleChoice, "温度A.36°CB.37.8°CC.36.5°C", "C");
    EXPECT_EQ(order.shownText(0, degrees), QStringLiteral("温度\n\nA.36.5°C\nB.36°C\nC.37.8°C"));
    EXPECT_EQ(order.shownAnswer(0, degrees, "C"), "A");
    // A position without an order, or beyond the paper, shows as written.
    for (const int position : {1, 3, -1}) {
        EXPECT_EQ(order.shownText(position, single), QStringLiteral("甲？\n\nA.一\nB.二\nC.三"));
        EXPECT_EQ(order.ownAnswer(position, single, "B"), "B");
    }
    // 判断 never moves, whatever is kept for it.
    EXPECT_EQ(order.shownText(2, verdict), QStringLiteral("乙？\n\nA.一\nB.二"));
    EXPECT_EQ(order.ownAnswer(2, verdict, "√"), "√");
    // A question edited since the draw so that the order no longer fits
    // shows as written, and its letters stay its own.
    const Question edited = choice(QuestionType::SingleChoice, "甲？A.一B.二", "A");
    EXPECT_EQ(order.shownText(0, edited), QStringLiteral("甲？\n\nA.一\nB.二"));
    EXPECT_EQ(order.ownAnswer(0, edited, "B"), "B");
    EXPECT_EQ(order.shownAnswer(0, edited, "A"), "A");
}

TEST(PaperOrder, DrawsOrdersOnlyForChoiceQuestionsThatMayMove)
{
    TestDatabase db;
    db.addQuestion(QStringLiteral("单选"), {1, "单选1？A.甲B.乙C.丙D.丁", "C"});
    db.addQuestion(QStringLiteral("单选"), {2, "问A.1B.维生素C.C.钙", "A"});
    db.addQuestion(QStringLiteral("单选"), {3, "单选3？A.甲B.乙", "B"});
    db.addQuestion(QStringLiteral("多选"), {1, "多选1？A.子B.丑C.寅", "AC"});
    db.addQuestion(QStringLiteral("判断"), {1, "判断1？A.对B.错", "√"});
    ExamPaper paper;
    paper.setPart(QuestionType::SingleChoice, {3, 2, 1});
    paper.setPart(QuestionType::MultipleChoice, {1});
    paper.setPart(QuestionType::TrueFalse, {1});
    QRandomGenerator generator(5);
    const PaperOrderDraw draw = drawOptionOrders(db.store(), paper, generator);
    ASSERT_FALSE(draw.failed);
    const std::vector<QList<int>> &orders = draw.order.orders();
    ASSERT_EQ(orders.size(), 5u);
    EXPECT_TRUE(orderFits(orders[0], 2)); // 单选 3
    EXPECT_TRUE(orders[1].isEmpty());     // 单选 2 does not split cleanly
    EXPECT_TRUE(orderFits(orders[2], 4)); // 单选 1
    EXPECT_TRUE(orderFits(orders[3], 3)); // 多选 1
    EXPECT_TRUE(orders[4].isEmpty());     // 判断

    db.store().execute(QStringLiteral("drop table 多选"));
    EXPECT_TRUE(drawOptionOrders(db.store(), paper, generator).failed);
}

TEST(PaperOrder, ThePaperIsKeptWithItsOrdersOrNotAtAll)
{
    TestDatabase db;
    ASSERT_TRUE(ensurePaperTables(db.store()));
    ASSERT_TRUE(ensureRoomTables(db.store()));
    const KeptPaper paper{{{QuestionType::SingleChoice, 4, {}}, {QuestionType::SingleChoice, 2, {}}}, 600};
    const std::vector<QList<int>> orders{{2, 0, 1}, {}};

    // Orders an earlier paper of the candidate left behind are replaced.
    ASSERT_TRUE(keepOptionOrders(db.store(), kOwner, {{}, {1, 0}}));
    ASSERT_EQ(keepNewPaperWithOrders(db.store(), kOwner, paper, orders), KeepOutcome::Kept);
    EXPECT_EQ(readOptionOrders(db.store(), kOwner, 2), orders);
    EXPECT_EQ(findKeptPaper(db.store(), kOwner.number, kOwner.occasion).paper->items, paper.items);
    // A second draw for the same candidate is refused and leaves the orders.
    EXPECT_EQ(keepNewPaperWithOrders(db.store(), kOwner, paper, {{1, 0}, {}}), KeepOutcome::Taken);
    EXPECT_EQ(readOptionOrders(db.store(), kOwner, 2), orders);

    // Orders the database refuses: no paper is kept either.
    const PaperOwner other{QStringLiteral("A02"), QStringLiteral("一"), QStringLiteral("李四")};
    ASSERT_TRUE(refuseWrites(db.store(), QStringLiteral("答卷顺序"), QStringLiteral("insert")));
    EXPECT_EQ(keepNewPaperWithOrders(db.store(), other, paper, orders), KeepOutcome::Failed);
    EXPECT_TRUE(db.store().errorString().contains(QStringLiteral("拒绝写入"))) << db.store().errorString().toStdString();
    EXPECT_EQ(db.text("select count(*) from 答卷 where 考号='A02'"), "0");
    EXPECT_EQ(db.text("select count(*) from 答卷计时 where 考号='A02'"), "0");
    EXPECT_FALSE(findKeptPaper(db.store(), other.number, other.occasion).paper);
}

TEST(PaperDraw, QuestionsComeInTiHaoOrderUnlessShuffled)
{
    TestDatabase db;
    db.addQuestions(QStringLiteral("单选"), 30);
    db.addQuestions(QStringLiteral("判断"), 30);
    QRandomGenerator plain(11), shuffled(11);
    const PaperDraw sorted = drawPaper(db.store(), {10, 0, 10, 0}, plain, false);
    const PaperDraw drawn = drawPaper(db.store(), {10, 0, 10, 0}, shuffled, true);
    for (const QuestionType type : {QuestionType::SingleChoice, QuestionType::TrueFalse}) {
        const std::vector<qint64> &part = sorted.paper.part(type);
        EXPECT_TRUE(std::is_sorted(part.begin(), part.end()));
        EXPECT_EQ(part.size(), 10u);
        // The same questions drawn, in an order of their own.
        std::vector<qint64> own = drawn.paper.part(type);
        EXPECT_FALSE(std::is_sorted(own.begin(), own.end()));
        std::sort(own.begin(), own.end());
        EXPECT_EQ(own, part);
    }
}

TEST(PaperShuffle, DefaultsToShuffledQuestionsAndOptionsAsWrittenAndIsStored)
{
    TestDatabase db;
    db.store().execute(QStringLiteral("drop table if exists 配置项"));
    EXPECT_EQ(readPaperShuffle(db.store()), (PaperShuffle{true, false}));
    for (const PaperShuffle shuffle : {PaperShuffle{false, true}, PaperShuffle{true, true}, PaperShuffle{false, false}}) {
        ASSERT_TRUE(storePaperShuffle(db.store(), shuffle));
        EXPECT_EQ(readPaperShuffle(db.store()), shuffle);
    }
    EXPECT_EQ(db.text("select count(*) from 配置项"), "2");
    // A refused write keeps what was stored.
    ASSERT_TRUE(refuseWrites(db.store(), QStringLiteral("配置项"), QStringLiteral("insert")));
    EXPECT_FALSE(storePaperShuffle(db.store(), {true, true}));
    EXPECT_EQ(readPaperShuffle(db.store()), (PaperShuffle{false, false}));
}
