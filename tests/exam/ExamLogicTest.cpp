// The exam logic without windows: the configuration boxes' integers, the
// signed-in candidate, and the statements of 配置 and 评分 it relies on.
#include "support/AnswerRows.h"
#include "support/TestDatabase.h"

#include "data/AnswerTable.h"
#include "data/ConfigTable.h"
#include "exam/Candidate.h"
#include "exam/ConfigText.h"

#include <gtest/gtest.h>
#include <limits>

using namespace kaoshi;
using namespace kaoshi::test;

TEST(ConfigText, ReadsTheLeadingIntegerAndShowsZeroAsEmpty)
{
    const struct {
        QString text;
        qint64 value;
        QString shown;
    } cases[] = {
        {"5", 5, "5"},       {"60", 60, "60"},   {"-3", -3, "-3"},   {"", 0, ""},
        {"0", 0, ""},        {"-", 0, ""},       {"--3", 0, ""},     {"12-3", 12, "12"},
        {"007", 7, "7"},     {"-0", 0, ""},
        {"9223372036854775807", std::numeric_limits<qint64>::max(), "9223372036854775807"},
        {"99999999999999999999", std::numeric_limits<qint64>::max(), "9223372036854775807"},
        {"-9223372036854775808", std::numeric_limits<qint64>::min(), "-9223372036854775808"},
        {"-99999999999999999999", std::numeric_limits<qint64>::min(), "-9223372036854775808"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(configValueOfText(c.text), c.value) << c.text.toStdString();
        EXPECT_EQ(configBoxText(configValueOfText(c.text)), c.shown) << c.text.toStdString();
    }
}

TEST(Candidate, SignsInWithoutAnySpaceAndShowsTheStatusLine)
{
    const Candidate candidate = signedInCandidate(QStringLiteral(" A 01　"), QStringLiteral("第　一 场"),
                                                  QStringLiteral(" 　 "));
    EXPECT_EQ(candidate, (Candidate{"A01", "第一场", ""}));
    EXPECT_EQ(candidateStatusLine({"A01", "一", "张三"}), QStringLiteral("考号:A01  场次:一  姓名:张三"));
}

TEST(ConfigTable, ReadsAndStoresTheOneRow)
{
    TestDatabase db;
    ASSERT_EQ(readExamSettings(db.store()), (ExamSettings{0, 0, 0, 0, 0}));
    ASSERT_TRUE(storeExamSettings(db.store(), {5, 5, 10, 2, 60}));
    EXPECT_EQ(readExamSettings(db.store()), (ExamSettings{5, 5, 10, 2, 60}));
    EXPECT_EQ(db.count(QStringLiteral("配置")), 1);

    // A table that lost its row gets one again.
    ASSERT_TRUE(db.store().execute(QStringLiteral("delete from 配置")));
    EXPECT_EQ(readExamSettings(db.store()), std::nullopt);
    ASSERT_TRUE(storeExamSettings(db.store(), {1, 2, 3, 4, -5}));
    EXPECT_EQ(readExamSettings(db.store()), (ExamSettings{1, 2, 3, 4, -5}));
    EXPECT_EQ(db.count(QStringLiteral("配置")), 1);

    // A refused write says so, with the engine's reason, and changes nothing.
    ASSERT_TRUE(refuseWrites(db.store(), QStringLiteral("配置"), QStringLiteral("update")));
    EXPECT_FALSE(storeExamSettings(db.store(), {9, 9, 9, 9, 9}));
    EXPECT_TRUE(db.store().lastError().message.contains(QStringLiteral("拒绝写入")));
    EXPECT_EQ(readExamSettings(db.store()), (ExamSettings{1, 2, 3, 4, -5}));
}

TEST(AnswerTable, ListsAndCountsWithBoundTexts)
{
    TestDatabase db;
    ASSERT_TRUE(addAnswers(db.store(), {{"A01", "一", "张三", 1, "单选", "A"},
                                        {"A01", "二", "张三", 1, "单选", "B"},
                                        {"O'Neil", "一", "欧", 1, "单选", "A"},
                                        {"A 01", "三", "张三", 2, "单选", "A"}}));
    // In the order the engine returns them.
    QStringList numbers = answerNumbers(db.store());
    numbers.sort();
    EXPECT_EQ(numbers, (QStringList{"A 01", "A01", "O'Neil"}));
    QStringList occasions = answerOccasions(db.store(), "A01");
    occasions.sort();
    EXPECT_EQ(occasions, (QStringList{"一", "二"}));
    EXPECT_EQ(answerOccasions(db.store(), "O'Neil"), (QStringList{"一"}));
    EXPECT_EQ(answerOccasions(db.store(), "' or ''='"), QStringList());
    EXPECT_EQ(answerCount(db.store(), "A01", "一"), 1);
    EXPECT_EQ(answerCount(db.store(), "A 01", "三"), 1);
    EXPECT_EQ(answerCount(db.store(), "A01", "三"), 0);
    EXPECT_EQ(answerCount(db.store(), "O'Neil", "一"), 1);
    EXPECT_EQ(answerCount(db.store(), "x' or '1'='1", "一"), 0);

    // A count that cannot be read is told apart from 0.
    ASSERT_TRUE(db.store().execute(QStringLiteral("alter table 评分 rename to 旧评分")));
    EXPECT_EQ(answerCount(db.store(), "A01", "三"), std::nullopt);
    EXPECT_EQ(answerNumbers(db.store()), QStringList());
}
