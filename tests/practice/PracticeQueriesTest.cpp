#include "practice/PracticeQueries.h"

#include "support/TestDatabase.h"
#include "data/RowSource.h"

#include <gtest/gtest.h>

using namespace kaoshi;
using kaoshi::test::TestDatabase;

TEST(PracticeQueries, SavingTouchesOnlyTheNamedRowAndColumn)
{
    TestDatabase db;
    db.addQuestions(QStringLiteral("单选"), 3);
    DataStore &store = db.store();
    // A quote in the answer is stored as typed.
    EXPECT_TRUE(bank::saveAnswer(store, QuestionType::SingleChoice, 2, QStringLiteral("A', 标准答案='X")));
    EXPECT_EQ(db.text("select 练习答案 from 单选 where 题号=2"), QStringLiteral("A', 标准答案='X"));
    EXPECT_EQ(db.text("select count(*) from 单选 where 标准答案='A'"), QStringLiteral("3"));
    EXPECT_TRUE(bank::clearAnswers(store, QuestionType::SingleChoice));
    EXPECT_EQ(db.text("select count(*) from 单选 where 练习答案=''"), QStringLiteral("3"));
}

TEST(PracticeQueries, BoundsOfEachBank)
{
    TestDatabase db;
    db.addQuestion(QStringLiteral("多选"), {4, QStringLiteral("q")});
    db.addQuestion(QStringLiteral("多选"), {9, QStringLiteral("q")});
    const bank::Bounds filled = bank::readBounds(db.store(), QuestionType::MultipleChoice);
    EXPECT_EQ(filled.lower, QStringLiteral("4"));
    EXPECT_EQ(filled.upper, QStringLiteral("9"));
    EXPECT_FALSE(filled.isEmpty());
    EXPECT_TRUE(bank::readBounds(db.store(), QuestionType::TrueFalse).isEmpty());
}

TEST(PracticeQueries, WrongRowsListAnsweredQuestionsThatDiffer)
{
    TestDatabase db;
    // Unanswered, right, wrong — in every bank, out of 题号 order.
    db.addQuestion(QStringLiteral("多选"), {5, QStringLiteral("多5"), QStringLiteral("ACD"), {}, 1, {}, QStringLiteral("AC")});
    db.addQuestion(QStringLiteral("多选"), {2, QStringLiteral("多2"), QStringLiteral("ACD"), {}, 1, {}, QStringLiteral("ACD")});
    db.addQuestion(QStringLiteral("多选"), {3, QStringLiteral("多3"), QStringLiteral("B"), {}, 1, {}, QStringLiteral("C")});
    db.addQuestion(QStringLiteral("单选"), {1, QStringLiteral("单1"), QStringLiteral("A"), {}, 1, {}, QString()});
    db.addQuestion(QStringLiteral("单选"), {7, QStringLiteral("单7"), QStringLiteral("A"), {}, 1, {}, QStringLiteral("B")});
    db.addQuestion(QStringLiteral("判断"), {1, QStringLiteral("判1"), QStringLiteral("×"), {}, 1, {}, QStringLiteral("√")});
    db.addQuestion(QStringLiteral("问答"), {1, QStringLiteral("问1"), QStringLiteral("答"), {}, 1, {}, QStringLiteral("答")});

    std::shared_ptr<RowSource> listing = wrongQuestionListing(db.store());
    ASSERT_TRUE(listing);
    std::vector<QStringList> rows;
    for (qint64 i = 0; i < listing->size(); ++i)
        rows.push_back(listing->cells(i));
    const std::vector<QStringList> expected{
        {"", "7", "单选", "单7", "A", "B"},
        {"", "3", "多选", "多3", "B", "C"},
        {"", "5", "多选", "多5", "ACD", "AC"},
        {"", "1", "判断", "判1", "×", "√"},
    };
    EXPECT_EQ(rows, expected);
}
