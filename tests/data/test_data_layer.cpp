// The DataStore against the statement shapes the windows build, and against
// missing, foreign and damaged database files.
#include "TestDatabase.h"

#include "data/DataStore.h"
#include "data/Schema.h"
#include "data/BankTable.h"
#include "data/ConfigTable.h"
#include "data/WorkTable.h"

#include <QDir>
#include <limits>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kaoshi;
using kaoshi::test::QuestionRow;
using kaoshi::test::TestDatabase;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QStringList column(DataStore &store, const QString &statement, const QString &name)
{
    QStringList values;
    RowSet rows = store.query(statement);
    for (rows.first(); !rows.atEnd(); rows.next())
        values << rows.value(name).toText();
    return values;
}

} // namespace

TEST(DataStoreFile, MissingFileIsCreatedWithEveryTableAndOneConfigRow)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(kDatabaseFileName);
    DataStore store;
    ASSERT_TRUE(store.open(path));
    for (const QString &table : {"单选", "多选", "判断", "问答", "图片", "评分", "配置"}) {
        RowSet rows = store.query("select count(*) from " + table);
        EXPECT_FALSE(rows.atEnd()) << table.toStdString();
    }
    EXPECT_EQ(store.query(QStringLiteral("select count(*) from 配置")).value(1).toInteger(), 1);
    EXPECT_EQ(readExamSettings(store), ExamSettings());
    // A second open finds the same file and keeps its rows.
    store.execute("update 配置 set 计时=90");
    store.close();
    ASSERT_TRUE(store.open(path));
    RowSet rows = store.query(QStringLiteral("select 计时 from 配置"));
    EXPECT_EQ(rows.value(1).toText(), "90");
}

TEST(DataStoreFile, ForeignFilesAreNeverTouchedAndBehaveAsEmpty)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("text.mdb"));
    {
        QFile f(text);
        f.open(QIODevice::WriteOnly);
        f.write("Standard Jet DB\0 not ours", 25);
    }
    // Another program's SQLite file, without our tables.
    const QString other = dir.filePath(QStringLiteral("other.mdb"));
    {
        TestDatabase scratch;
        QFile::copy(scratch.path(), other); // ours, then made foreign below
    }
    {
        DataStore s;
        ASSERT_TRUE(s.open(other));
        for (const char *t : {"单选", "多选", "判断", "问答"})
            s.execute(QStringLiteral("drop table %1").arg(QString::fromUtf8(t)));
    }
    for (const QString &path : {text, other}) {
        const QByteArray before = readAll(path);
        DataStore store;
        EXPECT_FALSE(store.open(path)) << path.toStdString();
        EXPECT_FALSE(store.isOpen());
        EXPECT_TRUE(store.query(QStringLiteral("select * from 单选")).atEnd());
        EXPECT_FALSE(store.execute(QStringLiteral("delete from 单选")));
        EXPECT_EQ(bank::questionCount(store, QuestionType::SingleChoice), std::nullopt);
        store.close();
        EXPECT_EQ(readAll(path), before) << path.toStdString();
    }
    // A folder that does not exist creates nothing.
    DataStore store;
    EXPECT_FALSE(store.open(dir.filePath(QStringLiteral("missing/考试修改.mdb"))));
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("missing"))).exists());
}

TEST(DataStoreQuery, EmptyFailedAndUnknownReadAsEmpty)
{
    TestDatabase db;
    DataStore &store = db.store();
    EXPECT_TRUE(store.query(QString()).atEnd());
    EXPECT_TRUE(store.query(QStringLiteral("select * from 不存在")).atEnd());
    // The maximum of an empty bank reads as "" and 0.
    RowSet max = store.query(QStringLiteral("select max(题号) AS 最大值 from 问答"));
    EXPECT_FALSE(max.atEnd());
    EXPECT_EQ(max.value(QStringLiteral("最大值")).toText(), "");
    EXPECT_EQ(max.value(QStringLiteral("最大值")).toNumber(), 0);
    EXPECT_EQ(max.value(QStringLiteral("没有此列")).toText(), "");
    EXPECT_EQ(max.value(5).toText(), "");
    max.next();
    EXPECT_TRUE(max.atEnd());
    EXPECT_EQ(max.value(1).toText(), "");
    // Only one statement at a time.
    db.addQuestions(QStringLiteral("单选"), 2);
    EXPECT_FALSE(store.execute(QStringLiteral("update 单选 set 练习答案='A'; drop table 单选")));
    EXPECT_EQ(db.count(QStringLiteral("单选")), 2);
}

TEST(DataStoreQuery, StatementShapesOfTheWindows)
{
    TestDatabase db;
    DataStore &store = db.store();
    db.addQuestion("单选", {1, "甲？A.一B.二", "A", "", 2.5, "第二章", "B"});
    db.addQuestion("单选", {2, "乙？A.一B.二", "B", "", 5, "第一章", ""});
    db.addQuestion("多选", {1, "丙？A.一B.二C.三", "ACD", "", 3, "第一章", "AC"});
    db.addQuestion("判断", {1, "丁", "×", "", 1, "", "√"});
    store.execute("insert into 评分 values ('001','一','张三',1,'单选','A')");
    store.execute("insert into 评分 values ('001','一','张三',2,'单选','A')");
    store.execute("insert into 评分 values ('001','一','张三',1,'多选','ACD')");
    store.execute("insert into 评分 values ('002','二','李四',2,'单选','B')");
    store.execute("insert into 评分 values ('002','二','李四',9,'单选','B')"); // question gone

    // min/max aliases
    EXPECT_EQ(store.query("select max(题号) AS 最大值 from 单选").value("最大值").toText(), "2");
    EXPECT_EQ(store.query("select min(题号) AS 最小值 from 单选").value("最小值").toText(), "1");

    // Chapters: distinct over a union in an unaliased subquery, read by name.
    EXPECT_EQ(column(store,
                     "select distinct(章节) from (select 章节 from 单选 union all select 章节 from 多选 "
                     "union all select 章节 from 判断 union all select 章节 from 问答) order by 章节",
                     "章节"),
              QStringList({"", "第一章", "第二章"}));

    // Candidate lists with distinct(…), the sign-in count by position.
    EXPECT_EQ(column(store, "select distinct(考号) from 评分", "考号"), QStringList({"001", "002"}));
    EXPECT_EQ(column(store, "select distinct(场次) from 评分 where 考号='001'", "场次"), QStringList({"一"}));
    EXPECT_EQ(store.query("select count(*) from 评分 where 考号='001' and 场次='一'").value(1).toText(), "3");
    EXPECT_EQ(store.query("select count(*) from 评分 where 考号='009' and 场次='一'").value(1).toText(), "0");

    // Grading: drop (fails harmlessly when missing), make-table, totals.
    EXPECT_FALSE(store.execute("drop table 临时"));
    ASSERT_TRUE(store.execute(workTableMakeStatement(store.engine())));
    EXPECT_EQ(db.count("临时"), 4); // the answer to the deleted question 9 drops out
    RowSet totals = store.query("select 考号,场次,姓名,sum(分值) AS 总分 from 临时 where 考生答案=标准答案 "
                                "group by 考号,场次,姓名");
    EXPECT_EQ(totals.value("考号").toText(), "001");
    EXPECT_EQ(totals.value("总分").toText(), "5.5");
    totals.next();
    EXPECT_EQ(totals.value("姓名").toText(), "李四");
    EXPECT_EQ(totals.value("总分").toText(), "5");
    totals.close();
    // The work table's number column holds integers, its score numbers.
    RowSet work = store.query("select 题号, 分值 from 临时 order by 题型,题号");
    EXPECT_EQ(work.value(1), FieldValue::integer(1));
    EXPECT_EQ(work.value(2), FieldValue::real(2.5));
    work.close();
    EXPECT_TRUE(store.execute("drop table 临时"));

    // Search with like on the number column 分值, without a space before "or".
    auto search = [&](const QString &q) {
        QStringList numbers;
        for (qint64 id : bank::listRowIds(store, QuestionType::SingleChoice, q).value_or(std::vector<qint64>()))
            numbers << store.query("select 题号 from 单选 where rowid=?", {id}).value(1).toText();
        return numbers;
    };
    EXPECT_EQ(search("2.5"), QStringList({"1"}));
    EXPECT_EQ(search("5"), QStringList({"1", "2"}));
    EXPECT_EQ(search("0"), QStringList()); // a score of 5 reads "5", never "5.0"
    EXPECT_EQ(search("5.0"), QStringList());
    EXPECT_EQ(search("乙"), QStringList({"2"}));

    // Wrong questions: "" and NULL never count.
    store.execute("insert into 单选 (题号, 题目, 标准答案) values (3, '丙', 'C')"); // 练习答案 NULL
    EXPECT_EQ(column(store, "select * from 单选 where 练习答案<>'' and 练习答案<>标准答案 order by 题号", "题号"),
              QStringList({"1"}));
    EXPECT_EQ(column(store, "select * from 多选 where 练习答案<>'' and 练习答案<>标准答案 order by 题号", "题号"),
              QStringList({"1"}));

    // delete with a condition, update without one.
    EXPECT_TRUE(store.execute("delete from 评分 where 题号=1 and 题型='单选' and 考号='001' and 场次='一'"));
    EXPECT_EQ(db.count("评分"), 4);
    EXPECT_TRUE(store.execute("update 单选 set 练习答案=''"));
    EXPECT_EQ(db.text("select count(*) from 单选 where 练习答案=''"), "3");
}

TEST(DataStoreFile, AFileWithoutIndexesGetsThemAndIsOtherwiseUnchanged)
{
    TestDatabase db;
    db.addQuestions("单选", 3);
    db.addPicture("单选", 2, "图", "\\image\\2.png");
    DataStore &store = db.store();
    const QString indexes = "select group_concat(name, ',') from (select name from sqlite_master where type='index' "
                            "order by name)";
    const QString everythingElse = "select group_concat(type || ':' || name || ':' || sql, '|') from "
                                   "(select * from sqlite_master where type<>'index' order by name)";
    const QString made = db.text(indexes);
    for (const QString &name : made.split(','))
        ASSERT_TRUE(store.execute("drop index \"" + name + "\""));
    ASSERT_EQ(db.text(indexes), QString());
    const QString schema = db.text(everythingElse);
    const QString rows = db.text("select group_concat(题号 || 题目, ',') from 单选");
    store.close();

    ASSERT_TRUE(store.open(db.path()));
    const QStringList now = db.text(indexes).split(',');
    for (const char *name : {"单选_题号", "多选_题号", "判断_题号", "问答_题号", "图片_题型_题号", "评分_题型_题号",
                             "评分_考号_场次"})
        EXPECT_TRUE(now.contains(QString::fromUtf8(name))) << name;
    EXPECT_EQ(db.text(everythingElse), schema);
    EXPECT_EQ(db.text("select group_concat(题号 || 题目, ',') from 单选"), rows);
    EXPECT_EQ(db.count("图片"), 1);
    // The number lookups use them.
    EXPECT_TRUE(store.query("explain query plan select * from 单选 where 题号=2").value("detail").toText().contains("单选_题号"));
}

TEST(DataStoreQuery, BoundValuesRoundTripWhole)
{
    TestDatabase db;
    DataStore &store = db.store();
    db.addQuestions("问答", 2);
    const QString withNul = QStringLiteral("前") + QChar(0) + QStringLiteral("后");
    const QString cases[] = {
        "it's 'quoted' -- 答案; drop table 单选",
        withNul,
        QString(1024 * 1024, QChar(u'题')),
        QString::fromUcs4(U"𠀀𝄞 outside the basic plane"),
    };
    for (const QString &answer : cases) {
        ASSERT_TRUE(store.execute("update 问答 set 练习答案=? where 题号=?", {answer, 2}));
        RowSet back = store.query("select 练习答案 from 问答 where 题号=?", {2});
        EXPECT_EQ(back.value(1).toText(), answer) << answer.left(20).toStdString();
        EXPECT_EQ(store.query("select count(*) from 问答 where 练习答案=?", {answer}).value(1).toInteger(), 1);
    }
    EXPECT_EQ(db.count("单选"), 0); // nothing in a value ran as a statement
    // A typed number that is not a number reaches no row.
    EXPECT_FALSE(bank::numberValue("1 or 1=1"));
    EXPECT_FALSE(bank::numberValue("abc"));
    EXPECT_EQ(bank::numberValue(" 7 ")->toInteger(), 7);
    EXPECT_EQ(bank::numberValue("2.5")->toNumber(), 2.5);
    // A text that is not a bank never becomes one, so it never reaches a statement.
    EXPECT_EQ(questionTypeOf("单选 set 题目=''; --"), std::nullopt);
    EXPECT_EQ(questionTypeOf("单选"), QuestionType::SingleChoice);
}

TEST(DataStoreQuery, ErrorsKeepTheEngineMessageAndAFailedStepIsNotTheEnd)
{
    TestDatabase db;
    DataStore &store = db.store();
    db.addQuestions("单选", 3);
    EXPECT_FALSE(store.execute("update 没有这个表 set a=1"));
    EXPECT_TRUE(store.lastError().isError());
    EXPECT_TRUE(store.errorString().contains("没有这个表")) << store.errorString().toStdString();
    RowSet bad = store.query("select * from 没有这个表");
    EXPECT_TRUE(bad.atEnd());
    EXPECT_TRUE(bad.failed());
    EXPECT_FALSE(store.query("select * from 单选").failed());

    // The second row overflows while it is read: the rows end, and it says why.
    RowSet rows = store.query("select 题号, abs(-9223372036854775806 - 题号) from 单选 order by 题号");
    ASSERT_FALSE(rows.atEnd());
    EXPECT_FALSE(rows.failed());
    rows.next();
    EXPECT_TRUE(rows.atEnd());
    EXPECT_TRUE(rows.failed());
    EXPECT_TRUE(rows.error().message.contains("overflow")) << rows.error().message.toStdString();

    // A refusing trigger's own words come back.
    ASSERT_TRUE(store.execute("create trigger refuse before delete on 单选 begin select raise(abort, '不许删除'); end"));
    EXPECT_FALSE(store.execute("delete from 单选"));
    EXPECT_EQ(store.errorString(), "不许删除");
    EXPECT_EQ(db.count("单选"), 3);
}

TEST(BankRecords, QuestionsComeBackTypedWithTheirNumberAsStored)
{
    TestDatabase db;
    DataStore &store = db.store();
    const std::vector<QuestionValues> values{{"第一题", "A", "因为", 2.5, "第一章"}, {"第二题", "B", "", 5, ""}};
    ASSERT_EQ(bank::appendQuestions(store, QuestionType::MultipleChoice, values), 1);
    // A file made elsewhere may number a question with a text.
    ASSERT_TRUE(store.execute("insert into 多选 (题号, 题目) values ('七', '第七题')"));

    const std::optional<Question> first = bank::questionByNumber(store, QuestionType::MultipleChoice, 1);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->type, QuestionType::MultipleChoice);
    EXPECT_EQ(first->number, FieldValue::integer(1));
    EXPECT_EQ(first->text, "第一题");
    EXPECT_EQ(first->answer, "A");
    EXPECT_EQ(first->explanation, "因为");
    EXPECT_EQ(first->score.toText(), "2.5");
    EXPECT_EQ(first->chapter, "第一章");
    EXPECT_EQ(first->practiceAnswer, ""); // NULL reads as ""
    EXPECT_EQ(bank::questionByNumber(store, QuestionType::MultipleChoice, 2)->score.toText(), "5");
    EXPECT_FALSE(bank::questionByNumber(store, QuestionType::MultipleChoice, 3));
    EXPECT_FALSE(bank::questionByNumber(store, QuestionType::SingleChoice, 1)); // another bank

    const std::optional<Question> seventh = bank::questionByNumber(store, QuestionType::MultipleChoice, "七");
    ASSERT_TRUE(seventh);
    EXPECT_EQ(seventh->number, FieldValue::text("七"));
    EXPECT_EQ(bank::questionByRowId(store, QuestionType::MultipleChoice, seventh->rowId)->text, "第七题");

    const std::vector<qint64> ids = bank::listRowIds(store, QuestionType::MultipleChoice, {}).value();
    ASSERT_EQ(ids.size(), 3u);
    const std::optional<std::vector<Question>> all = bank::questionsById(store, QuestionType::MultipleChoice, ids);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 3u);
    EXPECT_TRUE(bank::clearBank(store, QuestionType::MultipleChoice));
    EXPECT_EQ(db.count("多选"), 0);
}

TEST(BankRecords, AppendingPastTheLargestNumberIsRefusedAndStoresNothing)
{
    TestDatabase db;
    DataStore &store = db.store();
    constexpr qint64 kLargest = std::numeric_limits<qint64>::max();
    db.addQuestion("单选", {kLargest - 1, "近最大", "A"});
    const std::vector<QuestionValues> one{{"一", "A", "", 1, ""}};
    const std::vector<QuestionValues> two{{"一", "A", "", 1, ""}, {"二", "B", "", 1, ""}};
    // The last number left is given; one more would wrap round.
    EXPECT_EQ(bank::appendQuestions(store, QuestionType::SingleChoice, two), std::nullopt);
    EXPECT_EQ(store.errorString(), "题号已到最大值，不能再添加题目");
    EXPECT_EQ(db.count("单选"), 1);
    EXPECT_EQ(bank::appendQuestions(store, QuestionType::SingleChoice, one), kLargest);
    EXPECT_EQ(bank::appendQuestions(store, QuestionType::SingleChoice, one), std::nullopt);
    EXPECT_EQ(store.errorString(), "题号已到最大值，不能再添加题目");
    EXPECT_EQ(db.text("select min(题号) from 单选"), QString::number(kLargest - 1));
    EXPECT_EQ(db.count("单选"), 2);
}

TEST(DataStoreUnits, RollbackUnlessCommittedAndReopenKeepsOldResultsSafe)
{
    TestDatabase db;
    DataStore &store = db.store();
    db.addQuestions("判断", 2);
    {
        Transaction unit(store);
        store.execute("delete from 判断 where 题号=1");
        EXPECT_EQ(db.count("判断"), 1);
    }
    EXPECT_EQ(db.count("判断"), 2);
    {
        Transaction unit(store);
        store.execute("delete from 判断 where 题号=1");
        EXPECT_TRUE(unit.commit());
    }
    EXPECT_EQ(db.count("判断"), 1);

    // A result obtained before a reconnect stays readable and harmless.
    RowSet old = store.query("select * from 判断");
    ASSERT_TRUE(store.open(db.path()));
    EXPECT_EQ(old.value("题号").toText(), "2");
    old.next();
    EXPECT_TRUE(old.atEnd());
    EXPECT_EQ(db.count("判断"), 1);
}

TEST(SampleBank, HasQuestionsChaptersPicturesAndAnswers)
{
    DataStore store;
    ASSERT_TRUE(store.open(QStringLiteral(KAOSHI_SAMPLE_DIR "/考试修改.mdb")));
    for (QuestionType type : allQuestionTypes())
        EXPECT_GE(bank::questionCount(store, type), 2) << tableName(type).toStdString();
    EXPECT_EQ(store.query("select count(distinct 考号) from 评分").value(1).toInteger(), 2);
    RowSet picture = store.query("select 图片 from 图片");
    const QString location = picture.value(1).toText();
    EXPECT_TRUE(location.startsWith("\\image\\"));
    EXPECT_TRUE(QFile::exists(QStringLiteral(KAOSHI_SAMPLE_DIR) + QString(location).replace('\\', '/')));
}
