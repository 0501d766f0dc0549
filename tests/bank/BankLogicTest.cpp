// Statements and stores of the bank list and the question editor.
#include "support/TestDatabase.h"
#include "bank/EditedQuestion.h"
#include "bank/QuestionBank.h"
#include "data/DataStore.h"
#include "data/KeysetRows.h"
#include "ui/GridRows.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace kaoshi;
using kaoshi::test::TestDatabase;

namespace {

constexpr QuestionType kSingle = QuestionType::SingleChoice;
constexpr QuestionType kMultiple = QuestionType::MultipleChoice;

QStringList column(DataStore &store, const QString &statement)
{
    QStringList values;
    for (RowSet rows = store.query(statement); !rows.atEnd(); rows.next())
        values << rows.value(1).toText();
    return values;
}

QStringList listedNumbers(DataStore &store, QuestionType type, const QString &search)
{
    QStringList numbers;
    const auto ids = bank::listRowIds(store, type, search);
    if (!ids)
        return {QStringLiteral("failed")};
    for (qint64 id : *ids)
        numbers << store.query(QStringLiteral("select 题号 from 单选 where rowid=?"), {id}).value(1).toText();
    return numbers;
}

qint64 rowIdOf(DataStore &store, QuestionType type, qint64 number)
{
    return store.query(QStringLiteral("select rowid from ") + tableName(type) + QStringLiteral(" where 题号=?"), {number})
        .value(1)
        .toInteger();
}

} // namespace

TEST(BankSearch, EmptyBoxListsTheWholeBankInNumberOrder)
{
    TestDatabase db;
    for (qint64 n : {3, 1, 2})
        db.addQuestion(kSingle, {n, QStringLiteral("题%1").arg(n)});
    EXPECT_EQ(listedNumbers(db.store(), kSingle, QString()), (QStringList{"1", "2", "3"}));
}

TEST(BankSearch, FindsTextInQuestionAnswerExplanationAndScoreButNotChapter)
{
    TestDatabase db;
    db.addQuestion(kSingle, {1, QStringLiteral("It's a trap"), "A", "", 1, "第一章"});
    db.addQuestion(kSingle, {2, QStringLiteral("题二"), "B", QStringLiteral("见课本"), 1});
    db.addQuestion(kSingle, {3, QStringLiteral("题三"), "C", "", 2.5, "见课本"});
    db.addQuestion(kSingle, {4, QStringLiteral("题四"), "D", "", 1, "第一章"});
    const struct {
        const char *search;
        QStringList numbers;
    } cases[] = {
        {"It's", {"1"}},       // a single quote is searched as typed
        {"'", {"1"}},
        {"见课本", {"2"}},     // explanation, not the chapter of question 3
        {"2.5", {"3"}},        // a number through 分值
        {"D", {"4"}},          // standard answer
        {"第一章", {}},        // chapters are not searched
        {"%", {}},             // wildcards are searched as typed
        {"_", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(listedNumbers(db.store(), kSingle, QString::fromUtf8(c.search)), c.numbers) << c.search;
}

TEST(BankSearch, CellsShowNumbersInPlainTextWithTheSecondNumberColumn)
{
    TestDatabase db;
    db.addQuestion(kSingle, {7, "Q", "A", "E", 2, "C"});
    const auto rows = bank::questionsById(db.store(), kSingle, std::vector<qint64>{rowIdOf(db.store(), kSingle, 7)});
    ASSERT_TRUE(rows && rows->size() == 1);
    EXPECT_EQ(questionCells(rows->front()), (QStringList{"7", "Q", "A", "E", "2", "C", "7"}));
}

TEST(SaveNewQuestions, NumbersAfterTheMaximumTrimsAndCapitalises)
{
    TestDatabase db;
    db.addQuestions(kSingle, 5);
    const std::vector<QuestionTexts> rows{
        {"", QStringLiteral(" which is ab？\u3000"), QStringLiteral(" ab "), QStringLiteral(" note x "),
         " 2.5 ", QStringLiteral("\u3000第二章 ")},
        {"3", QStringLiteral("listed row"), "A", "", "1", ""}, // a listed question is never written back
        {"", QStringLiteral("It's 中文"), "c", "", "abc", ""},
    };
    const std::vector<qint64> numbers = saveNewQuestions(db.store(), kSingle, rows);
    EXPECT_EQ(numbers, (std::vector<qint64>{6, 0, 7}));
    EXPECT_EQ(db.count(kSingle), 7);
    RowSet six = db.store().query("select * from 单选 where 题号=6");
    EXPECT_EQ(six.value("题目").toText(), QStringLiteral("WHICH IS AB？"));
    EXPECT_EQ(six.value("标准答案").toText(), "AB");
    EXPECT_EQ(six.value("解析").toText(), "note x"); // trimmed, not capitalised
    EXPECT_EQ(six.value("分值").toNumber(), 2.5);
    EXPECT_EQ(six.value("章节").toText(), QStringLiteral("第二章"));
    RowSet seven = db.store().query("select * from 单选 where 题号=7");
    EXPECT_EQ(seven.value("题目").toText(), QStringLiteral("IT'S 中文"));
    EXPECT_EQ(seven.value("分值").toNumber(), 0.0); // abc is no number
}

TEST(SaveNewQuestions, FirstQuestionOfAnEmptyBankGetsOne)
{
    TestDatabase db;
    EXPECT_EQ(bank::maxNumber(db.store(), kMultiple), 0);
    EXPECT_EQ(saveNewQuestions(db.store(), kMultiple, {{"", "Q", "ab", "", "1", ""}}), std::vector<qint64>{1});
    EXPECT_EQ(bank::maxNumber(db.store(), kMultiple), 1);
}

TEST(ClearBank, RemovesTheBankAndItsPictureRecordsOnly)
{
    TestDatabase db;
    db.addQuestions(kSingle, 3);
    db.addQuestions(kMultiple, 2);
    db.addPicture(kSingle, 1, "s", "\\image\\1.png");
    db.addPicture(kMultiple, 1, "m", "\\image\\2.png");
    EXPECT_TRUE(clearBank(db.store(), kSingle));
    EXPECT_EQ(db.count(kSingle), 0);
    EXPECT_EQ(db.count(kMultiple), 2);
    EXPECT_EQ(column(db.store(), "select 题型 from 图片"), QStringList{typeValue(kMultiple)});
}

TEST(DeleteQuestion, LaterQuestionsAndTheirPicturesMoveDown)
{
    TestDatabase db;
    db.addQuestions(kSingle, 5);
    db.addQuestions(kMultiple, 5);
    db.addPicture(kSingle, 3, "gone", "\\image\\3.png");
    db.addPicture(kSingle, 4, "four-a", "\\image\\4a.png");
    db.addPicture(kSingle, 4, "four-b", "\\image\\4b.png");
    db.addPicture(kSingle, 5, "five", "\\image\\5.png");
    db.addPicture(kMultiple, 4, "other bank", "\\image\\m4.png");

    EXPECT_TRUE(deleteQuestion(db.store(), kSingle, rowIdOf(db.store(), kSingle, 3)));
    EXPECT_EQ(column(db.store(), "select 题号 from 单选 order by 题号"), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(column(db.store(), "select 题目 from 单选 order by 题号"),
              (QStringList{"单选题1", "单选题2", "单选题4", "单选题5"}));
    EXPECT_EQ(column(db.store(), "select 摘要 || ':' || 题号 from 图片 where 题型='单选' order by 摘要"),
              (QStringList{"five:4", "four-a:3", "four-b:3"}));
    EXPECT_EQ(db.text("select 题号 from 图片 where 题型='多选'"), "4");
    EXPECT_EQ(db.count(kMultiple), 5);
}

TEST(DeleteQuestion, LastQuestionNeedsNoRenumbering)
{
    TestDatabase db;
    db.addQuestions(kSingle, 3);
    EXPECT_TRUE(deleteQuestion(db.store(), kSingle, rowIdOf(db.store(), kSingle, 3)));
    EXPECT_EQ(column(db.store(), "select 题号 from 单选 order by 题号"), (QStringList{"1", "2"}));
}

TEST(DeleteQuestion, ARefusedLaterStatementLeavesEverythingAsItWas)
{
    // The delete itself goes through; the renumbering of the questions, or of
    // the pictures after them, is refused: the unit keeps nothing.
    for (const char *refused : {"单选", "图片"}) {
        TestDatabase db;
        db.addQuestions(kSingle, 5);
        db.addPicture(kSingle, 4, "four", "\\image\\4.png");
        db.refuse(QString::fromUtf8(refused), QStringLiteral("update"));
        EXPECT_FALSE(deleteQuestion(db.store(), kSingle, rowIdOf(db.store(), kSingle, 3))) << refused;
        EXPECT_EQ(db.store().errorString(), QStringLiteral("拒绝写入"));
        EXPECT_EQ(column(db.store(), "select 题号||题目 from 单选 order by 题号"),
                  (QStringList{"1单选题1", "2单选题2", "3单选题3", "4单选题4", "5单选题5"}))
            << refused;
        EXPECT_EQ(db.text("select 题号 from 图片"), "4") << refused;
    }
}

TEST(BankListing, AWholeBankReadsByKeysetInAnyOrderOfScrolling)
{
    // Numbers with gaps, one carried twice, rows stored out of order: the
    // listing is the bank in (题号, rowid) order whichever rows are asked first.
    TestDatabase db;
    const int count = 2000;
    Transaction unit(db.store());
    for (int i = 0; i < count; ++i) {
        const qint64 number = i % 2 ? i * 3 : count * 3 - i; // interleaved, gaps
        db.addQuestion(kSingle, {number, QStringLiteral("题%1").arg(i)});
    }
    db.addQuestion(kSingle, {300, QStringLiteral("又一道300")});
    ASSERT_TRUE(unit.commit());
    const QStringList expected = column(db.store(), "select 题号||'|'||题目 from 单选 order by 题号, rowid");
    std::shared_ptr<KeysetRows> rows = KeysetRows::make(
        db.store(), kSingle, [](const Question &question) { return questionCells(question); }, kBankColumnCount);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), qint64(expected.size()));
    const qint64 last = rows->size() - 1;
    for (const qint64 index : {last, qint64(0), last / 2, last - 300, qint64(700), qint64(699), last / 2 - 257, last}) {
        const QStringList cells = rows->cells(index);
        EXPECT_EQ(cells[0] + u'|' + cells[1], expected[index]) << index;
        EXPECT_EQ(rows->marked(index), cells[0] == u"300") << index;
    }
    // Scrolled up from the end, row by row.
    QStringList all;
    for (qint64 i = last; i >= 0; --i) {
        const QStringList cells = rows->cells(i);
        all << cells[0] + u'|' + cells[1];
    }
    std::reverse(all.begin(), all.end());
    EXPECT_EQ(all, expected);
    // A bank with rows lacking a 题号 is listed another way.
    ASSERT_TRUE(db.store().execute("insert into 单选 (题目) values ('没有题号')"));
    EXPECT_FALSE(KeysetRows::make(db.store(), kSingle, [](const Question &) { return QStringList(); }, 7));
}

TEST(SaveEditedQuestion, ReplacesTheQuestionAndItsPictures)
{
    TestDatabase db;
    db.addQuestions(kSingle, 2);
    db.addPicture(kSingle, 2, "old", "\\image\\old.png");
    int copies = 0;
    const QuestionValues values{"new text", "ab", "why", 3, "ch"};
    EXPECT_TRUE(saveEditedQuestion(db.store(), db.programDir(), kSingle, rowIdOf(db.store(), kSingle, 2), 2, values,
                                   {{" caption ", "", "\\image\\kept.png"}, {"skipped", "", ""}},
                                   [&] { ++copies; }));
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(db.count(kSingle), 2);
    RowSet two = db.store().query("select * from 单选 where 题号=2");
    EXPECT_EQ(two.value("题目").toText(), "new text");
    EXPECT_EQ(two.value("标准答案").toText(), "ab"); // the editor does not capitalise
    EXPECT_EQ(column(db.store(), "select 摘要 || '|' || 图片 from 图片"), QStringList{"caption|\\image\\kept.png"});
}

TEST(SaveEditedQuestion, KeepsTheOldQuestionWhenTheNewRowIsRefused)
{
    TestDatabase db;
    db.addQuestions(kSingle, 2);
    db.addPicture(kSingle, 2, "old", "\\image\\old.png");
    ASSERT_TRUE(db.store().execute("create trigger refuse before update on 单选 "
                                   "begin select raise(abort, 'refused'); end"));
    EXPECT_FALSE(saveEditedQuestion(db.store(), db.programDir(), kSingle, rowIdOf(db.store(), kSingle, 2), 2, {"new", "A", "", 1, ""}, {}, {}));
    EXPECT_EQ(db.text("select 题目 from 单选 where 题号=2"), QStringLiteral("单选题2"));
    EXPECT_EQ(db.text("select 摘要 from 图片 where 题号=2"), "old");
}

TEST(SaveEditedQuestion, RefusedPictureRecordLeavesTheStoredPictureFile)
{
    TestDatabase db;
    db.addQuestions(kSingle, 1);
    QDir(db.programDir()).mkpath("image");
    const QString stored = QDir(db.programDir()).filePath("image/old.png");
    const QString chosen = QDir(db.programDir()).filePath("chosen.png");
    for (const auto &[path, bytes] : {std::pair{stored, QByteArray("old picture")}, {chosen, QByteArray("new")}}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    db.addPicture(kSingle, 1, "old", "\\image\\old.png");
    ASSERT_TRUE(db.store().execute("create trigger refuse before insert on 图片 "
                                   "begin select raise(abort, 'refused'); end"));
    int waits = 0;
    EXPECT_FALSE(saveEditedQuestion(db.store(), db.programDir(), kSingle, rowIdOf(db.store(), kSingle, 1), 1, {"new", "A", "", 1, ""},
                                    {{"new", chosen, "\\image\\old.png"}}, [&] { ++waits; }));
    EXPECT_EQ(waits, 1);
    QFile f(stored);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "old picture");
    EXPECT_EQ(QDir(db.programDir()).entryList({"*.part"}, QDir::Files, QDir::NoSort).size(), 0);
    EXPECT_EQ(QDir(db.programDir() + "/image").entryList({"*.part"}).size(), 0);
    EXPECT_EQ(db.text("select 题目 from 单选 where 题号=1"), QStringLiteral("单选题1"));

    // Once the records can be stored, the file is replaced.
    ASSERT_TRUE(db.store().execute("drop trigger refuse"));
    EXPECT_TRUE(saveEditedQuestion(db.store(), db.programDir(), kSingle, rowIdOf(db.store(), kSingle, 1), 1, {"new", "A", "", 1, ""},
                                   {{"new", chosen, "\\image\\old.png"}}, {}));
    f.close();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "new");
}

TEST(FittedRowCount, KeepsRowsWithTextAndFillsWithBlankRows)
{
    // Rows 1 … 9 of a grid with ten rows; the listed set holds text.
    const auto grid = [](std::initializer_list<int> filled) {
        return [filled](int row) { return std::find(filled.begin(), filled.end(), row) != filled.end(); };
    };
    EXPECT_EQ(fittedRowCount(10, 4, grid({1, 2, 3, 4, 5, 6, 7, 8, 9})), 10); // a listing is never cut
    EXPECT_EQ(fittedRowCount(10, 4, grid({1, 5})), 6);                       // blank rows after row 5 go
    EXPECT_EQ(fittedRowCount(10, 4, grid({})), 4);
    EXPECT_EQ(fittedRowCount(3, 12, grid({1, 2})), 12);                      // missing rows come blank
    EXPECT_EQ(fittedRowCount(10, 0, grid({})), 10);                          // below 1: ignored
}

