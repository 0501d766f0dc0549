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

RawQuestion raw(const QString &text, const QString &answer, const QString &score = QStringLiteral("1"),
                const QString &explanation = QString(), const QString &chapter = QString())
{
    RawQuestion q;
    q.text = text;
    q.answer = answer;
    q.score = score;
    q.explanation = explanation;
    q.chapter = chapter;
    return q;
}

// A preview of the questions and then their store, as the import dialog runs them.
struct Imported {
    ImportPreview preview{QuestionType::SingleChoice};
    StoreOutcome outcome;
};
Imported previewAndStore(DataStore &store, QuestionType type, const std::vector<RawQuestion> &questions,
                         bool includeDuplicates = false)
{
    BankTexts texts(store);
    while (texts.of(type).fill(2) == false) {
    }
    ImportRun preview(store, texts, type);
    EXPECT_TRUE(preview.take(questions));
    ImportRun storing(store, texts, type);
    Imported imported{preview.preview(), {}};
    if (!storing.beginStore(includeDuplicates) || !storing.take(questions))
        imported.outcome.reason = storing.failure();
    else
        imported.outcome = storing.finishStore(preview.preview());
    return imported;
}

std::vector<RawQuestion> fileQuestions(const QString &path, QString *error = nullptr)
{
    const QList<RawQuestion> read = readAll(path, error);
    return {read.cbegin(), read.cend()};
}
} // namespace

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
    const std::vector<RawQuestion> questions{raw("新题A.是B.否", "b"),          raw("  已有的题A.是B.否　", "A"),
                                             raw("无分值A.是B.否", "A", ""),     raw("坏分值A.是B.否", "A", "-2"),
                                             raw("选项外A.是B.否", "C"),         raw("", "A"),
                                             raw("坏字节\uFFFDA.是B.否", "A")};
    for (const bool includeDuplicates : {false, true}) {
        TestDatabase db;
        db.addQuestion("单选", {1, "已有的题A.是B.否", "A"});
        const Imported imported = previewAndStore(db.store(), QuestionType::SingleChoice, questions, includeDuplicates);
        QStringList statuses;
        for (const PreviewRow &row : imported.preview.rows())
            statuses << ImportPreview::statusText(row);
        EXPECT_EQ(statuses, (QStringList{"可导入", "题库中已有", "可导入（分值为空，记为0）",
                                         "不导入：分值“-2”不是不小于0的数", "不导入：答案C不在题目的选项中",
                                         "不导入：题目为空", "不导入：这一行有无法识别的字节（文件的编码有误）"}));
        EXPECT_EQ(imported.preview.count(RowStatus::Ready), 2);
        EXPECT_EQ(imported.preview.count(RowStatus::Duplicate), 1);
        EXPECT_EQ(imported.preview.count(RowStatus::Refused), 4);
        // What is stored: the ready rows, and the one already there when asked for.
        ASSERT_TRUE(imported.outcome.stored);
        EXPECT_EQ(imported.outcome.count, includeDuplicates ? 3 : 2);
        EXPECT_EQ(db.text("select group_concat(题号||'='||题目||'|'||标准答案||'|'||分值, ';') from 单选 where 题号>1"),
                  includeDuplicates ? QStringLiteral("2=新题A.是B.否|B|1;3=已有的题A.是B.否|A|1;4=无分值A.是B.否|A|0")
                                    : QStringLiteral("2=新题A.是B.否|B|1;3=无分值A.是B.否|A|0"));
    }
}

TEST(ImportPreviewRows, ALongFileIsCountedWholeAndShownInPart)
{
    ImportPreview preview(QuestionType::SingleChoice);
    const qint64 total = 150000;
    for (qint64 line = 1; line <= total; ++line) {
        RawQuestion q = raw(QStringLiteral("题%1A.是B.否").arg(line), line % 100 == 0 ? "C" : "A");
        q.line = line;
        if (line % 1000 == 0)
            q.text.clear();
        preview.add(checkQuestion(preview.type(), q));
    }
    EXPECT_EQ(preview.total(), total);
    EXPECT_EQ(preview.count(RowStatus::Refused), total / 100);
    EXPECT_FALSE(preview.keptEveryRow());
    // The first rows, then only the refused ones, up to the limit.
    ASSERT_EQ(preview.rows().size(), ImportPreview::kFirstRows + ImportPreview::kMoreUnusable);
    EXPECT_EQ(preview.rows()[ImportPreview::kFirstRows - 1].line, qint64(ImportPreview::kFirstRows));
    EXPECT_EQ(preview.rows()[ImportPreview::kFirstRows].line, qint64(ImportPreview::kFirstRows + 100));
    // Each reason once, with its count and first line.
    ASSERT_EQ(preview.reasons().size(), 2u);
    EXPECT_EQ(preview.reasons()[0].text, QStringLiteral("答案C不在题目的选项中"));
    EXPECT_EQ(preview.reasons()[0].count, total / 100 - total / 1000);
    EXPECT_EQ(preview.reasons()[0].firstLine, 100);
    EXPECT_EQ(preview.reasons()[1].text, QStringLiteral("题目为空"));
    EXPECT_EQ(preview.reasons()[1].firstLine, 1000);
}

TEST(ImportStoring, NumberedAfterTheHighestInOneUnit)
{
    TestDatabase db;
    db.addQuestion("多选", {1, "旧题A.甲B.乙", "AB"});
    db.addQuestion("多选", {5, "第五题A.甲B.乙", "A"});
    {
        // The bank's texts are found through the database, a few rows at a time.
        bank::QuestionTextIndex texts(db.store(), QuestionType::MultipleChoice);
        EXPECT_EQ(texts.fill(1), false);
        EXPECT_EQ(texts.fill(1), false);
        EXPECT_EQ(texts.fill(1), true);
        EXPECT_EQ(texts.present({"旧题A.甲B.乙", "新一A.甲B.乙", "第五题A.甲B.乙"}),
                  (QSet<QString>{QStringLiteral("旧题A.甲B.乙"), QStringLiteral("第五题A.甲B.乙")}));
    }

    const std::vector<RawQuestion> rows{raw("新一A.甲B.乙", "AB", "2.5", "说明", "章一"), raw("新二A.甲B.乙", "B", "0")};
    const StoreOutcome outcome = previewAndStore(db.store(), QuestionType::MultipleChoice, rows).outcome;
    EXPECT_TRUE(outcome.stored);
    EXPECT_EQ(outcome.count, 2);
    EXPECT_EQ(db.text("select 题目||'|'||标准答案||'|'||解析||'|'||分值||'|'||章节 from 多选 where 题号=6"),
              QStringLiteral("新一A.甲B.乙|AB|说明|2.5|章一"));
    EXPECT_EQ(db.text("select 题目 from 多选 where 题号=7"), QStringLiteral("新二A.甲B.乙"));

    // A database that refuses a later row keeps none of them.
    ASSERT_TRUE(db.store().execute("create trigger refuse before insert on 多选 when new.题目='坏A.甲B.乙' "
                                   "begin select raise(abort,'拒绝写入'); end"));
    const StoreOutcome refused = previewAndStore(db.store(), QuestionType::MultipleChoice, {raw("好A.甲B.乙", "A"), raw("坏A.甲B.乙", "A")}).outcome;
    EXPECT_FALSE(refused.stored);
    EXPECT_EQ(refused.reason, QStringLiteral("拒绝写入"));
    EXPECT_EQ(db.count("多选"), 4);

    // A file that reads otherwise the second time (changed after its preview) stores nothing.
    BankTexts again(db.store());
    ImportRun previewed(db.store(), again, QuestionType::MultipleChoice);
    ASSERT_TRUE(previewed.take({raw("甲A.甲B.乙", "A")}));
    ImportRun storing(db.store(), again, QuestionType::MultipleChoice);
    ASSERT_TRUE(storing.beginStore(false));
    ASSERT_TRUE(storing.take({raw("甲A.甲B.乙", "A"), raw("乙A.甲B.乙", "A")}));
    const StoreOutcome changed = storing.finishStore(previewed.preview());
    EXPECT_FALSE(changed.stored);
    EXPECT_TRUE(changed.reason.contains(QStringLiteral("文件在预览之后有了改动")));
    EXPECT_EQ(db.count("多选"), 4);
}

TEST(ImportStoring, PastTheLargestNumberIsRefusedNotWrappedRound)
{
    TestDatabase db;
    db.addQuestion("判断", {std::numeric_limits<qint64>::max(), "最后一题", "√"});
    const StoreOutcome outcome = previewAndStore(db.store(), QuestionType::TrueFalse, {raw("新题", "×")}).outcome;
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
        const Imported back = previewAndStore(target.store(), questionTypeOf(type).value(), fileQuestions(path));
        EXPECT_EQ(back.preview.count(RowStatus::Ready), int(stored.size())) << type.toStdString();
        ASSERT_TRUE(back.outcome.stored);
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
    QString error;
    const Imported imported = previewAndStore(db.store(), QuestionType::SingleChoice, fileQuestions(path, &error), true);
    EXPECT_EQ(error, QString());
    EXPECT_EQ(imported.preview.count(RowStatus::Refused), 0);
    EXPECT_EQ(imported.outcome.count, loadRealQuestions().size());
    EXPECT_TRUE(imported.outcome.stored);
    EXPECT_EQ(db.count("单选"), imported.outcome.count);
    EXPECT_EQ(db.text("select max(题号) from 单选"), QString::number(imported.outcome.count));
}
