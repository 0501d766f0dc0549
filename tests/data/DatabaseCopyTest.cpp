// Copying a room's data between databases: every row of the banks, the
// pictures and their files, 配置, 评分 and 阅卷 arrives as it was and in its
// order; a target with data is refused unless replacing is asked for.
#include "TestDatabase.h"

#include "data/DatabaseCopy.h"
#include "data/QuestionType.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kaoshi;
using kaoshi::test::TestDatabase;

namespace {

const QStringList kBankColumns{"题号", "题目", "标准答案", "解析", "分值", "章节", "练习答案"};

// Every row of a table in the order the database keeps them.
QList<Values> tableRows(DataStore &store, const QString &table, const QStringList &columns)
{
    QList<Values> rows;
    RowSet result = store.query(QStringLiteral("select %1 from %2 order by rowid").arg(columns.join(','), table));
    for (; !result.atEnd(); result.next()) {
        Values row;
        for (int c = 1; c <= columns.size(); ++c)
            row << result.value(c);
        rows << row;
    }
    EXPECT_FALSE(result.failed()) << table.toStdString();
    return rows;
}

void expectSameRows(DataStore &a, DataStore &b)
{
    for (QuestionType kind : allQuestionTypes())
        EXPECT_EQ(tableRows(a, tableName(kind), kBankColumns), tableRows(b, tableName(kind), kBankColumns))
            << tableName(kind).toStdString();
    const QList<std::pair<QString, QStringList>> others{
        {"图片", {"题型", "题号", "摘要", "图片"}},
        {"评分", {"考号", "场次", "姓名", "题号", "题型", "考生答案"}},
        {"配置", {"单选抽题", "多选抽题", "判断抽题", "问答抽题", "计时"}},
        {"阅卷", {"考号", "场次", "题型", "题号", "得分", "阅卷时间"}},
    };
    for (const auto &[table, columns] : others)
        EXPECT_EQ(tableRows(a, table, columns), tableRows(b, table, columns)) << table.toStdString();
}

// A bank with the values that are hard to keep: a fractional 题号, a NUL,
// a text of 1 MB, characters beyond the first plane, a NULL.
void fillHostile(TestDatabase &db)
{
    db.addQuestions(QStringLiteral("单选"), 250);
    DataStore &s = db.store();
    const QString nul = QStringLiteral("前半") + QChar(0) + QStringLiteral("后半");
    ASSERT_TRUE(s.execute("insert into 多选 (题号, 题目, 标准答案, 分值, 章节) values (?, ?, ?, ?, ?)",
                          {FieldValue::real(1.5), nul, "AC", FieldValue::real(2.5), QStringLiteral("𠀀章")}));
    ASSERT_TRUE(s.execute("insert into 多选 (题号, 题目, 分值) values (?, ?, ?)",
                          {FieldValue::integer(9223372036854775807LL), QString(1024 * 1024, QChar(u'长')), 5}));
    ASSERT_TRUE(s.execute("insert into 判断 (题号, 题目, 练习答案) values (1, 'It''s ?', NULL)"));
    ASSERT_TRUE(s.execute("insert into 评分 (考号, 场次, 姓名, 题号, 题型, 考生答案) values ('001', '一', '张三', 1, '单选', 'A')"));
    ASSERT_TRUE(s.execute("insert into 评分 (考号, 场次, 姓名, 题号, 题型, 考生答案) values ('001', '一', '张三', 1, '问答', '答')"));
    ASSERT_TRUE(s.execute("insert into 阅卷 (考号, 场次, 题型, 题号, 得分, 阅卷时间) values (?, ?, ?, ?, ?, ?)",
                          {"001", "一", "问答", 1, FieldValue::real(2.5), "2026-12-02 10:00:00"}));
    ASSERT_TRUE(s.execute("insert into 阅卷 (考号, 场次, 题型, 题号, 得分, 阅卷时间) values ('002', '一', '问答', 3, 4, '')"));
    ASSERT_TRUE(s.execute("update 配置 set 单选抽题=5, 计时=90"));
    db.addPicture(QStringLiteral("单选"), 1, QStringLiteral("图一"), QStringLiteral("\\image\\a.png"));
    db.addPicture(QStringLiteral("单选"), 1, QStringLiteral("图二"), QStringLiteral("\\image\\missing.png"));
    QDir(db.programDir()).mkpath(QStringLiteral("image"));
    QFile picture(QDir(db.programDir()).filePath(QStringLiteral("image/a.png")));
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
    picture.write(QByteArray("\x89PNG\0bytes", 10));
}

} // namespace

TEST(DatabaseCopy, AFileCopiedToAnotherFileComparesEqualRowByRow)
{
    TestDatabase source;
    fillHostile(source);
    TestDatabase target;
    qint64 lastDone = 0, lastTotal = 0;
    const CopyResult result = copyDatabase({source.store(), source.programDir()}, {target.store(), target.programDir()},
                                           false, [&](qint64 done, qint64 total) {
                                               EXPECT_GE(done, lastDone);
                                               lastDone = done;
                                               lastTotal = total;
                                           });
    ASSERT_EQ(result.outcome, CopyResult::Outcome::Done) << result.error.message.toStdString();
    EXPECT_EQ(lastDone, lastTotal);
    expectSameRows(source.store(), target.store());
    EXPECT_EQ(result.missingPictures, QStringList{"\\image\\missing.png"});
    for (const CopyCount &count : result.counts)
        EXPECT_EQ(count.source, count.target) << count.table.toStdString();

    // Now the target holds data: refused, then replaced when asked.
    EXPECT_EQ(copyDatabase({source.store(), source.programDir()}, {target.store(), target.programDir()}, false).outcome,
              CopyResult::Outcome::TargetHoldsData);
    EXPECT_EQ(target.count("单选"), 250);
    EXPECT_EQ(copyDatabase({source.store(), source.programDir()}, {target.store(), target.programDir()}, true).outcome,
              CopyResult::Outcome::Done);
    expectSameRows(source.store(), target.store());
}

TEST(DatabaseCopy, ARefusedWriteLeavesTheTargetAsItWas)
{
    TestDatabase source;
    fillHostile(source);
    TestDatabase target;
    target.refuse(QStringLiteral("评分"), QStringLiteral("insert"));
    const CopyResult result =
        copyDatabase({source.store(), source.programDir()}, {target.store(), target.programDir()}, false);
    EXPECT_EQ(result.outcome, CopyResult::Outcome::Failed);
    EXPECT_TRUE(result.error.message.contains(QStringLiteral("拒绝写入"))) << result.error.message.toStdString();
    EXPECT_EQ(target.count("单选"), 0);
    EXPECT_EQ(target.text("select 计时 from 配置"), "0");
}

TEST(DatabaseCopy, AFileCopiedToTheServerAndBackComparesEqualRowByRow)
{
    TestDatabase source;
    fillHostile(source);
    TestDatabase server(kaoshi::test::TestEngine::Server);
    ASSERT_TRUE(server.isReady()) << server.reason().toStdString();
    const CopySide onServer{server.store(), QString()};
    const CopyResult up = copyDatabase({source.store(), source.programDir()}, onServer, false);
    ASSERT_EQ(up.outcome, CopyResult::Outcome::Done) << up.error.message.toStdString();
    expectSameRows(source.store(), server.store());
    EXPECT_EQ(server.count("图片文件"), 1);

    // A server that holds questions is refused unless replacing is asked for.
    EXPECT_EQ(copyDatabase({source.store(), source.programDir()}, onServer, false).outcome,
              CopyResult::Outcome::TargetHoldsData);

    TestDatabase back;
    const CopyResult down = copyDatabase(onServer, {back.store(), back.programDir()}, false);
    ASSERT_EQ(down.outcome, CopyResult::Outcome::Done) << down.error.message.toStdString();
    expectSameRows(source.store(), back.store());
    QFile picture(QDir(back.programDir()).filePath(QStringLiteral("image/a.png")));
    ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
    EXPECT_EQ(picture.readAll(), QByteArray("\x89PNG\0bytes", 10));
    for (const CopyCount &count : down.counts)
        EXPECT_EQ(count.source, count.target) << count.table.toStdString();
}

TEST(DatabaseCopy, A题号ThatIsNoNumberIsRefusedByTheServerAndNothingIsCopied)
{
    TestDatabase source;
    source.addQuestions(QuestionType::SingleChoice, 3);
    ASSERT_TRUE(source.store().execute("insert into 单选 (题号, 题目) values ('七', '第七题')"));
    TestDatabase server(kaoshi::test::TestEngine::Server);
    ASSERT_TRUE(server.isReady()) << server.reason().toStdString();
    const CopyResult result = copyDatabase({source.store(), source.programDir()}, {server.store(), QString()}, false);
    EXPECT_EQ(result.outcome, CopyResult::Outcome::Failed);
    EXPECT_EQ(result.error.state, "22P02"); // invalid_text_representation, in the server's words
    EXPECT_TRUE(result.error.message.contains("单选")) << result.error.message.toStdString();
    EXPECT_EQ(server.count("单选"), 0);
}

TEST(DatabaseCopy, ASideWithoutTheTableOfHandScoresCopiesWhatItCan)
{
    // A source of an earlier version without 阅卷 replaces the hand scores
    // the target held: they belonged to the answers replaced.
    TestDatabase server(kaoshi::test::TestEngine::Server);
    ASSERT_TRUE(server.isReady()) << server.reason().toStdString();
    const CopySide onServer{server.store(), QString()};
    {
        TestDatabase marked;
        fillHostile(marked);
        ASSERT_EQ(copyDatabase({marked.store(), marked.programDir()}, onServer, false).outcome,
                  CopyResult::Outcome::Done);
        EXPECT_EQ(server.count("阅卷"), 2);
    }
    TestDatabase old;
    old.addQuestions(QuestionType::FreeAnswer, 2);
    ASSERT_TRUE(old.store().execute("drop table 阅卷"));
    const CopyResult replaced = copyDatabase({old.store(), old.programDir()}, onServer, true);
    ASSERT_EQ(replaced.outcome, CopyResult::Outcome::Done) << replaced.error.message.toStdString();
    EXPECT_EQ(server.count("阅卷"), 0);
    EXPECT_EQ(server.count("问答"), 2);
    EXPECT_TRUE(copyCountsText(replaced).split(u'\n').contains("阅卷：0 → 0")) << copyCountsText(replaced).toStdString();

    // A target without it takes no hand scores: the copy is refused whole.
    TestDatabase source;
    fillHostile(source);
    TestDatabase target;
    ASSERT_TRUE(target.store().execute("drop table 阅卷"));
    const CopyResult refused = copyDatabase({source.store(), source.programDir()}, {target.store(), target.programDir()}, false);
    EXPECT_EQ(refused.outcome, CopyResult::Outcome::Failed);
    EXPECT_EQ(refused.error.message, "目标数据库没有表 阅卷，存不下它的 2 行");
    EXPECT_EQ(target.count("单选"), 0);
    // Without hand scores to take, it copies.
    ASSERT_TRUE(source.store().execute("delete from 阅卷"));
    const CopyResult copied = copyDatabase({source.store(), source.programDir()}, {target.store(), target.programDir()}, false);
    EXPECT_EQ(copied.outcome, CopyResult::Outcome::Done) << copied.error.message.toStdString();
    EXPECT_EQ(target.count("单选"), 250);
}
