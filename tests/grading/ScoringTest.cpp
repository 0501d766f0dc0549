// Scoring without windows: the work table, the totals and the marked answers
// of one candidate, on small fixture databases.
#include "support/AnswerRows.h"
#include "support/TestDatabase.h"

#include "data/AnswerTable.h"
#include "data/ScoreStatements.h"
#include "grading/Scoring.h"

#include <gtest/gtest.h>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

// Banks: 单选 1 (A, 2.5), 2 (B, 2.5), 3 (C, 2.5); 多选 1 (AC, 4); 判断 1 (√, 1);
// 问答 1 (北京, 10).
void addBanks(TestDatabase &db)
{
    for (qint64 n = 1; n <= 3; ++n)
        db.addQuestion("单选", {n, QStringLiteral("单选题%1").arg(n), QString(QChar(char16_t(u'A' + n - 1))), {}, 2.5});
    db.addQuestion("多选", {1, "多选题", "AC", {}, 4});
    db.addQuestion("判断", {1, "判断题", "√", {}, 1});
    db.addQuestion("问答", {1, "问答题", "北京", {}, 10});
}

struct Fixture {
    TestDatabase db;
    Fixture()
    {
        addBanks(db);
        addAnswers(db.store(), {
            // 张三, 一: all three 单选 right (7.5), 多选 "CA" wrong, 问答 right (10).
            {"A01", "一", "张三", 3, "单选", "C"},
            {"A01", "一", "张三", 1, "问答", "北京"},
            {"A01", "一", "张三", 1, "单选", "A"},
            {"A01", "一", "张三", 1, "多选", "CA"},
            {"A01", "一", "张三", 2, "单选", "B"},
            {"A01", "一", "张三", 1, "判断", "×"},
            {"A01", "一", "张三", 99, "单选", "A"},     // the question is missing
            {"A01", "一", "张三", 1, "填空", ""},        // no such bank
            // 张三, 二: 多选 "AC" right (4).
            {"A01", "二", "张三", 1, "多选", "AC"},
            // The same number and occasion under a second spelling of the name.
            {"A01", "二", "张 三", 1, "判断", "√"},
            // A quote in number and occasion.
            {"O'Neil", "一'", "欧", 1, "单选", "A"},
            // No right answer at all.
            {"C03", "一", "王五", 2, "单选", "A"},
            // Three right answers of 2.5.
            {"D04", "一", "赵六", 1, "单选", "A"},
            {"D04", "一", "赵六", 2, "单选", "B"},
            {"D04", "一", "赵六", 3, "单选", "C"},
        });
    }
};

QStringList totalsRows(const TotalsResult &result)
{
    QStringList rows;
    for (const TotalsRow &row : result.rows)
        rows << QStringLiteral("%1|%2|%3|%4").arg(row.number, row.occasion, row.name).arg(row.total);
    rows.sort();
    return rows;
}

} // namespace

TEST(Scoring, TotalsGroupByNumberOccasionAndName)
{
    Fixture f;
    EXPECT_FALSE(isDetailMode("A01", ""));
    EXPECT_FALSE(isDetailMode("", "一"));
    EXPECT_TRUE(isDetailMode("A01", "一"));

    const struct {
        QString number, occasion;
        QStringList rows;
    } cases[] = {
        // C03 answered but got nothing right: listed with 0.
        {"", "", {"A01|一|张三|17.5", "A01|二|张 三|1", "A01|二|张三|4", "C03|一|王五|0", "D04|一|赵六|7.5",
                  "O'Neil|一'|欧|2.5"}},
        {"D04", "", {"D04|一|赵六|7.5"}},
        {"C03", "", {"C03|一|王五|0"}},
        {"A01", "", {"A01|一|张三|17.5", "A01|二|张 三|1", "A01|二|张三|4"}},
        {"", "二", {"A01|二|张 三|1", "A01|二|张三|4"}},
        {"O'Neil", "", {"O'Neil|一'|欧|2.5"}},
        {"", "一'", {"O'Neil|一'|欧|2.5"}},
        {"' or ''='", "", {}},
    };
    for (const auto &c : cases) {
        const TotalsResult result = gradeTotals(f.db.store(), c.number, c.occasion);
        EXPECT_EQ(result.failure, QString());
        EXPECT_EQ(totalsRows(result), c.rows) << c.number.toStdString() << "/" << c.occasion.toStdString();
    }
    // The groups come in the order of 考号, 场次 and 姓名; the work table is
    // neither made nor read.
    QStringList order;
    for (const TotalsRow &row : gradeTotals(f.db.store(), "", "").rows)
        order << row.number + row.occasion + row.name;
    EXPECT_EQ(order, (QStringList{"A01一张三", "A01二张 三", "A01二张三", "C03一王五", "D04一赵六", "O'Neil一'欧"}));
    EXPECT_TRUE(f.db.store().query("select count(*) from 临时").failed());
}

TEST(Scoring, TotalsReadFromTheCoveringIndexAndTheBanksIndexes)
{
    Fixture f;
    const Statement statement = totalsStatement("", "", true);
    RowSet plan = f.db.store().query("explain query plan " + statement.sql, statement.values);
    QStringList steps;
    for (; !plan.atEnd(); plan.next())
        steps << plan.value("detail").toText();
    const QString all = steps.join('\n');
    EXPECT_TRUE(all.contains("COVERING INDEX 评分_成绩")) << all.toStdString();
    EXPECT_TRUE(all.contains("COVERING INDEX 单选_评分")) << all.toStdString();
    EXPECT_FALSE(all.contains("TEMP B-TREE")) << all.toStdString();
}

TEST(Scoring, AFailedReadIsReportedWithTheEnginesReason)
{
    Fixture f;
    ASSERT_TRUE(f.db.store().execute("alter table 问答 rename to 旧问答"));
    const TotalsResult failed = gradeTotals(f.db.store(), "", "");
    EXPECT_FALSE(failed.failure.isEmpty());
    EXPECT_TRUE(failed.reason.contains("问答")) << failed.reason.toStdString();
    EXPECT_TRUE(failed.rows.empty());
}

TEST(Scoring, DetailsMarkOneCandidatesAnswersInBankOrder)
{
    Fixture f;
    ASSERT_TRUE(addAnswers(f.db.store(), {{"A01", "一", "张三", 2, "判断", "√"}}));
    const DetailResult result = scoreDetails(f.db.store(), "A01", "一");
    EXPECT_EQ(result.failure, QString());
    QStringList rows;
    for (const DetailRow &row : result.rows)
        rows << QStringLiteral("%1 %2 %3|%4|%5|%6").arg(row.type).arg(row.questionNumber)
                    .arg(row.question, row.standardAnswer, row.answer,
                         row.score ? QString::number(*row.score) : QStringLiteral("-"));
    EXPECT_EQ(rows, (QStringList{
                        "单选 1 单选题1|A|A|2.5",
                        "单选 2 单选题2|B|B|2.5",
                        "单选 3 单选题3|C|C|2.5",
                        "单选 99 ||A|-",       // missing question: empty texts, wrong
                        "多选 1 多选题|AC|CA|-", // AC is not CA
                        "判断 1 判断题|√|×|-",
                        "判断 2 ||√|-",
                        "问答 1 问答题|北京|北京|10",
                        "填空 1 |||0",         // empty answer to an unknown kind: right, 0
                    }));
    EXPECT_DOUBLE_EQ(result.total, 17.5);
    for (const DetailRow &row : result.rows)
        EXPECT_EQ(row.number + row.occasion + row.name, "A01一张三");

    const DetailResult quoted = scoreDetails(f.db.store(), "O'Neil", "一'");
    ASSERT_EQ(quoted.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(quoted.total, 2.5);
    EXPECT_TRUE(scoreDetails(f.db.store(), "' or ''='", "一").rows.empty());
}

// The window sums a long list's total a slice of answers at a time: any
// slice size gives the total of the whole list, also where answers of one
// 题号 meet a slice's end (a slice never splits them), with hand scores,
// missing questions, answers without a 题号 and of no bank.
TEST(Scoring, DetailTotalInSlicesIsTheTotalOfTheList)
{
    Fixture f;
    ASSERT_TRUE(addAnswers(f.db.store(), {{"A01", "一", "张三", 1, "单选", "A"},   // 1 twice, right twice
                                          {"A01", "一", "张三", 2, "判断", "√"}}));
    ASSERT_TRUE(f.db.store().execute("insert into 评分 (考号,场次,姓名,题型,考生答案) values ('A01','一','张三','单选','A')"));
    ASSERT_TRUE(f.db.store().execute("insert into 阅卷 (考号,场次,题型,题号,得分,阅卷时间) values ('A01','一','问答',1,6.5,'')"));
    const DetailResult whole = scoreDetails(f.db.store(), "A01", "一");
    ASSERT_EQ(whole.failure, QString());
    EXPECT_DOUBLE_EQ(whole.total, 16.5); // 单选 1, 1, 2, 3 (10) and the hand score 6.5
    for (const qint64 slice : {1, 2, 3, 1000}) {
        SCOPED_TRACE(slice);
        DetailTotal total(f.db.store(), "A01", "一", slice);
        ASSERT_TRUE(total.finish()) << total.reason().toStdString();
        EXPECT_TRUE(total.finished());
        EXPECT_DOUBLE_EQ(total.total(), whole.total);
    }
    // One slice at a time, with a budget of nothing: each call goes on.
    DetailTotal stepwise(f.db.store(), "A01", "一", 1);
    int calls = 0;
    while (!stepwise.finished() && calls < 100) {
        ASSERT_TRUE(stepwise.advance(0));
        ++calls;
    }
    EXPECT_GT(calls, 4);
    EXPECT_DOUBLE_EQ(stepwise.total(), whole.total);

    DetailTotal none(f.db.store(), "nobody", "一");
    ASSERT_TRUE(none.finish());
    EXPECT_EQ(none.total(), 0.0);
}

TEST(Scoring, ADetailTotalThatCannotBeReadSaysWhy)
{
    Fixture f;
    ASSERT_TRUE(f.db.store().execute("alter table 判断 rename to 旧判断"));
    DetailTotal total(f.db.store(), "A01", "一");
    EXPECT_FALSE(total.finish());
    EXPECT_FALSE(DetailTotal::failure().isEmpty());
    EXPECT_TRUE(total.reason().contains("判断")) << total.reason().toStdString();
}

TEST(AnswerTable, DeletesOnlyTheNamedAnswersAsOneUnit)
{
    Fixture f;
    ASSERT_TRUE(deleteAnswers(f.db.store(), {{1, "单选", "A01", "一"}, {1, "单选", "O'Neil", "一'"}}));
    EXPECT_EQ(f.db.count("评分"), 13);
    EXPECT_EQ(scoreDetails(f.db.store(), "A01", "一").rows.size(), 7u);

    // The second key is refused: the first one's answer stays as well.
    ASSERT_TRUE(f.db.store().execute("create trigger 拒绝第二题 before delete on 评分 when old.题号=2 begin "
                                     "select raise(abort,'拒绝写入'); end"));
    EXPECT_FALSE(deleteAnswers(f.db.store(), {{3, "单选", "D04", "一"}, {2, "单选", "D04", "一"}}));
    EXPECT_TRUE(f.db.store().lastError().message.contains("拒绝写入"));
    EXPECT_EQ(f.db.count("评分"), 13);
    EXPECT_EQ(scoreDetails(f.db.store(), "D04", "一").rows.size(), 3u);
}
