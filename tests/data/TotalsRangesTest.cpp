// The totals read in two ranges of 考号 on two connections at once must be
// the rows of the one grouped statement, in its order, wherever the ranges
// meet; and the second connection is only used where it sees what the first
// one sees.
#include "support/AnswerRows.h"
#include "support/TestDatabase.h"

#include "data/ScoreStatements.h"

#include <gtest/gtest.h>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

struct Fixture {
    TestDatabase db;
    Fixture()
    {
        db.addQuestion("单选", {1, "单选题", "A", {}, 2.5});
        db.addQuestion("判断", {1, "判断题", "√", {}, 1});
        db.addQuestion("问答", {1, "问答题", "北京", {}, 10});
        addAnswers(db.store(), {
            {"B02", "一", "李四", 1, "单选", "A"},
            {"A01", "二", "张三", 1, "问答", "上海"}, // wrong, but marked 6 by hand
            {"C03", "一", "王五", 1, "单选", "B"},   // nothing right: 0
            {"A01", "一", "张三", 1, "判断", "√"},
            {"B02", "一", "李 四", 1, "问答", "北京"},
            {"D04", "二", "赵六", 99, "单选", "A"},  // the question is missing: 0
            {"A01", "一", "张三", 1, "单选", "A"},
        });
        db.store().execute("insert into 阅卷 (考号,场次,题型,题号,得分,阅卷时间) "
                           "values ('A01','二','问答',1,6,'2026-12-01 08:00:00')");
        // An answer without a 考号 (a file another program filled).
        db.store().execute("insert into 评分 (考号,场次,姓名,题号,题型,考生答案) values (null,'一','无名',1,'单选','A')");
    }
};

QStringList rowsOf(const CandidateTotals &totals)
{
    QStringList rows;
    for (const CandidateTotalRow &row : totals.rows)
        rows << QStringLiteral("%1|%2|%3|%4").arg(row.number, row.occasion, row.name).arg(row.total);
    return rows;
}

// The one statement's rows, read through a plain RowSet.
QStringList oneStatementRows(DataStore &store, const QString &occasion)
{
    QStringList rows;
    const Statement statement = totalsStatement("", occasion, true);
    for (RowSet totals = store.query(statement.sql, statement.values); !totals.atEnd(); totals.next())
        rows << QStringLiteral("%1|%2|%3|%4")
                    .arg(totals.value(1).toText(), totals.value(2).toText(), totals.value(3).toText())
                    .arg(totals.value(4).toNumber());
    return rows;
}

} // namespace

TEST(TotalsRanges, TwoRangesGiveTheRowsOfOneStatementWhereverTheyMeet)
{
    Fixture f;
    DataStore &store = f.db.store();
    ASSERT_NE(store.engine().openReader(), nullptr);
    const QStringList whole = oneStatementRows(store, "");
    ASSERT_EQ(whole, (QStringList{"|一|无名|2.5", "A01|一|张三|3.5", "A01|二|张三|6", "B02|一|李 四|10",
                                  "B02|一|李四|2.5", "C03|一|王五|0", "D04|二|赵六|0"}));
    // Before every 考号, at one, between two, after every one, a number.
    for (const FieldValue &secondFrom :
         {FieldValue(QString()), FieldValue(QStringLiteral("A01")), FieldValue(QStringLiteral("B02")),
          FieldValue(QStringLiteral("B1")), FieldValue(QStringLiteral("Z")), FieldValue(qint64(5))}) {
        for (const QString &occasion : {QString(), QStringLiteral("一")}) {
            const CandidateTotals totals = readCandidateTotalsSplitAt(store, "", occasion, secondFrom);
            EXPECT_FALSE(totals.error.isError()) << totals.error.message.toStdString();
            EXPECT_EQ(rowsOf(totals), oneStatementRows(store, occasion))
                << secondFrom.toText().toStdString() << "/" << occasion.toStdString();
        }
    }
    EXPECT_EQ(rowsOf(readCandidateTotals(store, "", "")), whole);
    EXPECT_EQ(rowsOf(readCandidateTotals(store, "A01", "")), (QStringList{"A01|一|张三|3.5", "A01|二|张三|6"}));
    // Both connections are done: the file can be written again at once.
    EXPECT_TRUE(store.execute("delete from 评分 where 考号='D04'"));
}

TEST(TotalsRanges, ASecondConnectionIsNotUsedWhereItWouldSeeOtherRows)
{
    Fixture f;
    DataStore &store = f.db.store();
    // In a unit of work the rows it added are counted, though not committed.
    {
        Transaction unit(store);
        ASSERT_TRUE(addAnswers(store, {{"C03", "一", "王五", 1, "判断", "√"}}));
        EXPECT_EQ(store.engine().openReader(), nullptr);
        EXPECT_TRUE(rowsOf(readCandidateTotalsSplitAt(store, "", "", FieldValue(QStringLiteral("B02"))))
                        .contains("C03|一|王五|1"));
    }
    EXPECT_TRUE(rowsOf(readCandidateTotals(store, "", "")).contains("C03|一|王五|0"));
    // A file with a write-ahead log: its readers may start on different commits.
    ASSERT_FALSE(store.query("pragma journal_mode=wal").failed());
    EXPECT_EQ(store.engine().openReader(), nullptr);
    EXPECT_EQ(rowsOf(readCandidateTotals(store, "", "")).size(), 7);
}
