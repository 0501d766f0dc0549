// Answers and scores brought into the bank's form, the statuses of the
// preview, and storing the rows in one unit.
#include "ImportFiles.h"
#include "import/AnswerRules.h"
#include "import/ImportPreview.h"
#include "import/ImportStore.h"
#include "print/TableModel.h"
#include "print/WorkbookWriter.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>
#include <limits>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {
const QString kOptions = QStringLiteral("题？A.一B.二C.三D.四");
}

TEST(ImportAnswers, EveryKindNormalisedOrRefused)
{
    const struct {
        const char *type;
        const char *given;
        const char *stored; // nullptr: refused
    } cases[] = {
        {"单选", "B", "B"},          {"单选", " c ", "C"},       {"单选", "Ｄ", "D"},
        {"单选", "ｄ", "D"},         {"单选", "　A　", "A"},      {"单选", "E", nullptr}, // not an option of the text
        {"单选", "AB", nullptr},     {"单选", "", nullptr},      {"单选", "甲", nullptr},
        {"单选", "H", nullptr},      {"多选", "C,A", "AC"},      {"多选", "a c", "AC"},
        {"多选", "ＣＡ", "AC"},      {"多选", "DBA", "ABD"},     {"多选", "A、B；C", "ABC"},
        {"多选", "aa", "A"},         {"多选", "ABE", nullptr},   {"多选", "A和B", nullptr},
        {"多选", " , ", nullptr},    {"判断", "√", "√"},         {"判断", "×", "×"},
        {"判断", "对", "√"},         {"判断", "错", "×"},        {"判断", "正确", "√"},
        {"判断", "错误", "×"},       {"判断", "t", "√"},         {"判断", "F", "×"},
        {"判断", "Y", "√"},          {"判断", "n", "×"},         {"判断", "✓", "√"},
        {"判断", "✗", "×"},          {"判断", "是", "√"},        {"判断", "否", "×"},
        {"判断", "TRUE", "√"},       {"判断", "false", "×"},     {"判断", "Ｔ", "√"},
        {"判断", "也许", nullptr},   {"判断", "", nullptr},      {"问答", "　答案 文字 ", "答案 文字"},
        {"问答", "  ", nullptr},
    };
    for (const auto &c : cases) {
        const CheckedAnswer checked =
            normaliseAnswer(questionTypeOf(QString::fromUtf8(c.type)).value(), QString::fromUtf8(c.given), kOptions);
        if (c.stored) {
            EXPECT_EQ(checked.refusal, QString()) << c.type << " " << c.given;
            EXPECT_EQ(checked.answer, QString::fromUtf8(c.stored)) << c.type << " " << c.given;
        } else {
            EXPECT_NE(checked.refusal, QString()) << c.type << " " << c.given;
        }
    }
    // The letter refused is named.
    EXPECT_EQ(normaliseAnswer(QuestionType::SingleChoice, "E", kOptions).refusal, QStringLiteral("答案E不在题目的选项中"));
    // A text without options offers no letter.
    EXPECT_NE(normaliseAnswer(QuestionType::SingleChoice, "A", QStringLiteral("没有选项的题")).refusal, QString());
}

TEST(ImportAnswers, Scores)
{
    EXPECT_EQ(parseScore("2"), 2.0);
    EXPECT_EQ(parseScore(" 2.5 "), 2.5);
    EXPECT_EQ(parseScore("０"), 0.0);
    EXPECT_EQ(parseScore("１.５"), 1.5);
    for (const char *bad : {"-1", "abc", "2分", "nan", "inf", ""})
        EXPECT_FALSE(parseScore(QString::fromUtf8(bad))) << bad;
}

TEST(ImportPreviewRows, StatusesAndWhatIsStored)
{
    ImportPreview preview(QuestionType::SingleChoice, {QStringLiteral("已有的题A.是B.否")});
    const auto add = [&](const char *text, const char *answer, const char *score = "1") {
        RawQuestion q;
        q.text = QString::fromUtf8(text);
        q.answer = QString::fromUtf8(answer);
        q.score = QString::fromUtf8(score);
        return preview.add(q);
    };
    EXPECT_EQ(ImportPreview::statusText(add("新题A.是B.否", "b")), QStringLiteral("可导入"));
    EXPECT_EQ(ImportPreview::statusText(add("  已有的题A.是B.否　", "A")), QStringLiteral("题库中已有"));
    EXPECT_EQ(ImportPreview::statusText(add("无分值A.是B.否", "A", "")), QStringLiteral("可导入（分值为空，记为0）"));
    EXPECT_EQ(ImportPreview::statusText(add("坏分值A.是B.否", "A", "-2")),
              QStringLiteral("不导入：分值“-2”不是不小于0的数"));
    EXPECT_EQ(ImportPreview::statusText(add("选项外A.是B.否", "C")), QStringLiteral("不导入：答案C不在题目的选项中"));
    EXPECT_EQ(ImportPreview::statusText(add("", "A")), QStringLiteral("不导入：题目为空"));

    EXPECT_EQ(preview.count(RowStatus::Ready), 2);
    EXPECT_EQ(preview.count(RowStatus::Duplicate), 1);
    EXPECT_EQ(preview.count(RowStatus::Refused), 3);
    const std::vector<QuestionValues> ready = preview.questionsToStore(false);
    ASSERT_EQ(ready.size(), 2u);
    EXPECT_EQ(ready[0].answer, "B");
    EXPECT_EQ(ready[1].score, 0.0);
    const std::vector<QuestionValues> all = preview.questionsToStore(true);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1].text, QStringLiteral("已有的题A.是B.否"));
}

TEST(ImportStoring, NumberedAfterTheHighestInOneUnit)
{
    TestDatabase db;
    db.addQuestion("多选", {1, "旧题A.甲B.乙", "AB"});
    db.addQuestion("多选", {5, "第五题A.甲B.乙", "A"});
    EXPECT_EQ(existingQuestionTexts(db.store(), QuestionType::MultipleChoice),
              (QSet<QString>{QStringLiteral("旧题A.甲B.乙"), QStringLiteral("第五题A.甲B.乙")}));

    const std::vector<QuestionValues> rows{{"新一A.甲B.乙", "AB", "说明", 2.5, "章一"}, {"新二A.甲B.乙", "B", "", 0, ""}};
    const StoreOutcome outcome = storeImportedQuestions(db.store(), QuestionType::MultipleChoice, rows);
    EXPECT_TRUE(outcome.stored);
    EXPECT_EQ(outcome.count, 2);
    EXPECT_EQ(db.text("select 题目||'|'||标准答案||'|'||解析||'|'||分值||'|'||章节 from 多选 where 题号=6"),
              QStringLiteral("新一A.甲B.乙|AB|说明|2.5|章一"));
    EXPECT_EQ(db.text("select 题目 from 多选 where 题号=7"), QStringLiteral("新二A.甲B.乙"));

    // A database that refuses one of the rows keeps none of them.
    ASSERT_TRUE(db.store().execute("create trigger refuse before insert on 多选 when new.题目='坏' "
                                   "begin select raise(abort,'拒绝写入'); end"));
    const StoreOutcome refused = storeImportedQuestions(db.store(), QuestionType::MultipleChoice, {{"好", "A", "", 1, ""}, {"坏", "A", "", 1, ""}});
    EXPECT_FALSE(refused.stored);
    EXPECT_NE(refused.reason, QString());
    EXPECT_EQ(db.count("多选"), 4);
}

TEST(ImportStoring, PastTheLargestNumberIsRefusedNotWrappedRound)
{
    TestDatabase db;
    db.addQuestion("判断", {std::numeric_limits<qint64>::max(), "最后一题", "√"});
    const StoreOutcome outcome = storeImportedQuestions(db.store(), QuestionType::TrueFalse, {{"新题", "×", "", 1, ""}});
    EXPECT_FALSE(outcome.stored);
    EXPECT_EQ(outcome.reason, QStringLiteral("题号已到最大值，不能再添加题目"));
    EXPECT_EQ(db.count("判断"), 1);
    EXPECT_EQ(db.text("select count(*) from 判断 where 题号<0"), "0");
}

TEST(ImportStoring, ExportedBankListImportsBackUnchanged)
{
    // The bank list's export, written by the program's workbook writer:
    // 题目, 标准答案, 解析, 分值, 章节, 题号, with numbers as numbers.
    const QList<QuestionRow> questions{{1, "首都是？A.上海B.北京C.广州", "B", "北京是首都", 2.5, "地理"},
                                       {2, "选两项A.甲B.乙C.丙D.丁", "ACD", "", 0, ""},
                                       {3, "没有选项的题", "A", "", 1, "其他"}};
    const QString columns = "题目||'|'||标准答案||'|'||解析||'|'||分值||'|'||章节";
    for (const QString &type : {QStringLiteral("单选"), QStringLiteral("多选"), QStringLiteral("判断"), QStringLiteral("问答")}) {
        TestDatabase source;
        for (QuestionRow row : questions) {
            if (type == u"判断")
                row.answer = row.number == 2 ? "×" : "√";
            if (type == u"问答")
                row.answer = "答：" + row.answer;
            if (type == u"单选" && row.number == 2)
                row.answer = "C";
            if (type != u"问答" && type != u"判断" && row.number == 3)
                continue; // a choice question has options
            source.addQuestion(type, row);
        }
        QList<QStringList> sheet{{"题目", "标准答案", "解析", "分值", "章节", "题号"}};
        QStringList stored;
        for (qint64 n = 1; n <= source.count(type); ++n) {
            const Question row = bank::questionByNumber(source.store(), questionTypeOf(type).value(), n).value();
            sheet << QStringList{row.text, row.answer, row.explanation, row.score.toText(), row.chapter,
                                 row.number.toText()};
            stored << source.text("select " + columns + " from " + type + " where 题号=" + QString::number(n));
        }
        ImportFiles files;
        const QString path = files.path("export.xlsx");
        TableModel exported(sheet);
        ASSERT_TRUE(writeWorkbook(path, PrintTable(&exported), {0, 1, 2, 3, 4, 5}));

        TestDatabase target;
        const QuestionType bank = questionTypeOf(type).value();
        ImportPreview preview(bank, existingQuestionTexts(target.store(), bank).value());
        for (const RawQuestion &q : readAll(path))
            preview.add(q);
        EXPECT_EQ(preview.count(RowStatus::Ready), int(stored.size())) << type.toStdString();
        ASSERT_TRUE(storeImportedQuestions(target.store(), bank, preview.questionsToStore(false)).stored);
        QStringList imported;
        for (qint64 n = 1; n <= target.count(type); ++n)
            imported << target.text("select " + columns + " from " + type + " where 题号=" + QString::number(n));
        EXPECT_EQ(imported, stored) << type.toStdString();
    }
}

TEST(ImportStoring, RealQuestionsImportCompletely)
{
    // The shared set of real single-choice questions goes into an empty bank whole.
    const QString path = QStringLiteral(KAOSHI_SHARED_DATA "/cmmlu-single-choice.csv");
    if (!QFile::exists(path))
        GTEST_SKIP() << "shared data missing";
    TestDatabase db;
    ImportPreview preview(QuestionType::SingleChoice, existingQuestionTexts(db.store(), QuestionType::SingleChoice).value());
    QString error;
    for (const RawQuestion &q : readAll(path, &error))
        preview.add(q);
    EXPECT_EQ(error, QString());
    EXPECT_EQ(preview.count(RowStatus::Refused), 0);
    const std::vector<QuestionValues> rows = preview.questionsToStore(true);
    EXPECT_EQ(rows.size(), loadRealQuestions().size());
    EXPECT_TRUE(storeImportedQuestions(db.store(), QuestionType::SingleChoice, rows).stored);
    EXPECT_EQ(db.count("单选"), qint64(rows.size()));
    EXPECT_EQ(db.text("select max(题号) from 单选"), QString::number(rows.size()));
}
