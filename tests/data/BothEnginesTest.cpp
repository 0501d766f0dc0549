// The table files on both engines: a database file and a database on the
// test server behave the same for every statement the windows rely on,
// including the failures of a database whose triggers refuse writes.
#include "TestDatabase.h"

#include "data/AnswerTable.h"
#include "data/BankTable.h"
#include "data/ConfigTable.h"
#include "data/PaperTable.h"
#include "data/PictureTable.h"
#include "data/WorkTable.h"
#include "import/ImportStore.h"

#include <gtest/gtest.h>

using namespace kaoshi;
using kaoshi::test::TestDatabase;
using kaoshi::test::TestEngine;

namespace {

class BothEngines : public ::testing::TestWithParam<TestEngine>
{
protected:
    void SetUp() override { ASSERT_TRUE(db.isReady()) << db.reason().toStdString(); }

    std::vector<QString> numbersOf(QuestionType type, const QString &search = {})
    {
        std::vector<QString> numbers;
        for (qint64 id : bank::listRowIds(store, type, search).value_or(std::vector<qint64>()))
            numbers.push_back(bank::questionByRowId(store, type, id)->number.toText());
        return numbers;
    }

    TestDatabase db{GetParam()};
    DataStore &store = db.store();
};

std::string engineName(const ::testing::TestParamInfo<TestEngine> &info)
{
    return info.param == TestEngine::File ? "File" : "Server";
}

const std::vector<QuestionValues> kThree{
    {"甲？A.一B.二", "A", "解析甲", 2.5, "第二章"},
    {"乙？A.一B.二", "B", "", 5, "第一章"},
    {"丙？A.Qt B.二", "B", "", 1, ""},
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Engines, BothEngines, ::testing::Values(TestEngine::File, TestEngine::Server), engineName);

TEST_P(BothEngines, ANewDatabaseHasEveryTableAndOneConfigRowOfZeros)
{
    for (QuestionType type : allQuestionTypes()) {
        EXPECT_EQ(bank::questionCount(store, type), 0);
        EXPECT_EQ(bank::maxNumber(store, type), 0);
        EXPECT_TRUE(bank::readBounds(store, type).isEmpty());
    }
    EXPECT_EQ(readExamSettings(store), ExamSettings{});
    ExamSettings settings;
    settings.draws = {5, 4, 3, 2};
    settings.minutes = 90;
    ASSERT_TRUE(storeExamSettings(store, settings));
    EXPECT_EQ(readExamSettings(store), settings);
    EXPECT_EQ(db.count("配置"), 1);
    EXPECT_TRUE(ensurePaperTables(store));
}

TEST_P(BothEngines, QuestionsComeBackTypedAndListInNumberOrder)
{
    ASSERT_EQ(bank::appendQuestions(store, QuestionType::SingleChoice, kThree), 1);
    ASSERT_EQ(bank::appendQuestions(store, QuestionType::SingleChoice, std::span(kThree).first(1)), 4);
    const std::optional<Question> first = bank::questionByNumber(store, QuestionType::SingleChoice, 1);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->number, FieldValue::integer(1));
    EXPECT_EQ(first->text, "甲？A.一B.二");
    EXPECT_EQ(first->explanation, "解析甲");
    EXPECT_EQ(first->score, FieldValue::real(2.5));
    EXPECT_EQ(first->chapter, "第二章");
    EXPECT_EQ(first->practiceAnswer, "");
    EXPECT_EQ(bank::questionByNumber(store, QuestionType::SingleChoice, 2)->score.toText(), "5");
    EXPECT_FALSE(bank::questionByNumber(store, QuestionType::SingleChoice, 9));
    EXPECT_EQ(bank::readBounds(store, QuestionType::SingleChoice).upper, "4");
    EXPECT_EQ(bank::questionNumbers(store, QuestionType::SingleChoice), (std::vector<qint64>{1, 2, 3, 4}));
    EXPECT_EQ(bank::chapterQuestionNumbers(store, QuestionType::SingleChoice, ""), std::vector<qint64>{3});
    EXPECT_EQ(bank::chapters(store), (QStringList{"", "第一章", "第二章"}));

    // Search through 题目, 标准答案, 解析 and the number column 分值; wildcards are literal.
    EXPECT_EQ(numbersOf(QuestionType::SingleChoice), (std::vector<QString>{"1", "2", "3", "4"}));
    EXPECT_EQ(numbersOf(QuestionType::SingleChoice, "2.5"), (std::vector<QString>{"1", "4"}));
    EXPECT_EQ(numbersOf(QuestionType::SingleChoice, "5"), (std::vector<QString>{"1", "2", "4"}));
    EXPECT_EQ(numbersOf(QuestionType::SingleChoice, "5.0"), std::vector<QString>{});
    EXPECT_EQ(numbersOf(QuestionType::SingleChoice, "乙"), std::vector<QString>{"2"});
    EXPECT_EQ(numbersOf(QuestionType::SingleChoice, "%"), std::vector<QString>{});
    EXPECT_EQ(numbersOf(QuestionType::SingleChoice, "qT"), std::vector<QString>{"3"});

    // A fractional 题号 from elsewhere is found and kept as it is.
    ASSERT_TRUE(store.execute("insert into 单选 (题号, 题目) values (?, ?)", {FieldValue::real(1.5), "一点五"}));
    EXPECT_EQ(bank::questionByNumber(store, QuestionType::SingleChoice, FieldValue::real(1.5))->text, "一点五");
    EXPECT_EQ(numbersOf(QuestionType::SingleChoice), (std::vector<QString>{"1", "1.5", "2", "3", "4"}));
}

TEST_P(BothEngines, PracticeAnswersMakeWrongQuestionsAndAreCleared)
{
    ASSERT_TRUE(bank::appendQuestions(store, QuestionType::SingleChoice, kThree));
    ASSERT_TRUE(bank::appendQuestions(store, QuestionType::TrueFalse, std::span(kThree).first(2)));
    ASSERT_TRUE(bank::saveAnswer(store, QuestionType::SingleChoice, 1, "B")); // wrong
    ASSERT_TRUE(bank::saveAnswer(store, QuestionType::SingleChoice, 2, "B")); // right
    ASSERT_TRUE(bank::saveAnswer(store, QuestionType::SingleChoice, 3, ""));  // unanswered
    ASSERT_TRUE(bank::saveAnswer(store, QuestionType::TrueFalse, 2, "√"));    // wrong
    const std::optional<std::vector<RowKey>> wrong = bank::listWrongQuestions(store);
    ASSERT_TRUE(wrong);
    ASSERT_EQ(wrong->size(), 2u);
    EXPECT_EQ(bank::questionByRowId(store, (*wrong)[0].type, (*wrong)[0].rowId)->text, kThree[0].text);
    EXPECT_EQ((*wrong)[1].type, QuestionType::TrueFalse);
    ASSERT_TRUE(bank::clearAnswers(store, QuestionType::SingleChoice));
    EXPECT_EQ(bank::listWrongQuestions(store)->size(), 1u);
}

TEST_P(BothEngines, DeletingRenumbersLaterQuestionsAndTheirPictures)
{
    db.addQuestions(QuestionType::MultipleChoice, 5);
    db.addPicture(QuestionType::MultipleChoice, 3, "三", "\\image\\3.png");
    db.addPicture(QuestionType::MultipleChoice, 4, "四", "\\image\\4.png");
    db.addPicture(QuestionType::MultipleChoice, 4, "四乙", "\\image\\4b.png");
    const qint64 third = bank::questionByNumber(store, QuestionType::MultipleChoice, 3)->rowId;
    {
        Transaction unit(store);
        ASSERT_TRUE(bank::deleteQuestion(store, QuestionType::MultipleChoice, third));
        ASSERT_TRUE(unit.commit());
    }
    EXPECT_EQ(bank::questionNumbers(store, QuestionType::MultipleChoice), (std::vector<qint64>{1, 2, 3, 4}));
    EXPECT_EQ(bank::questionByNumber(store, QuestionType::MultipleChoice, 3)->text, "多选题4");
    const auto pictures = pictures::load(store, QuestionType::MultipleChoice, 3);
    ASSERT_TRUE(pictures);
    ASSERT_EQ(pictures->size(), 2);
    EXPECT_EQ((*pictures)[0].summary, "四"); // in the order they were stored
    EXPECT_EQ((*pictures)[1].location, "\\image\\4b.png");
    EXPECT_EQ(db.count("图片"), 2);
}

TEST_P(BothEngines, AnswersAreGradedAndDeleted)
{
    ASSERT_TRUE(bank::appendQuestions(store, QuestionType::SingleChoice, kThree));
    ASSERT_TRUE(bank::appendQuestions(store, QuestionType::MultipleChoice, std::span(kThree).first(1)));
    ASSERT_TRUE(insertAnswers(store, {{"001", "一", "张三", 1, QuestionType::SingleChoice, "A"},
                                      {"001", "一", "张三", 2, QuestionType::SingleChoice, "A"},
                                      {"001", "一", "张三", 1, QuestionType::MultipleChoice, "A"},
                                      {"002", "二", "李四", 2, QuestionType::SingleChoice, "B"},
                                      {"002", "二", "李四", 9, QuestionType::SingleChoice, "B"}}));
    EXPECT_EQ(answerNumbers(store), (QStringList{"001", "002"}));
    EXPECT_EQ(answerOccasions(store, "001"), QStringList{"一"});
    EXPECT_EQ(answerCount(store, "001", "一"), 3);
    EXPECT_EQ(answerCount(store, "009", "一"), 0);

    ASSERT_TRUE(rebuildWorkTable(store));
    ASSERT_TRUE(rebuildWorkTable(store)); // again: the old one is dropped first
    EXPECT_EQ(db.count("临时"), 4);        // the answer to question 9 drops out
    const auto totals = readTotals(store, {}, {});
    ASSERT_TRUE(totals) << store.errorString().toStdString();
    ASSERT_EQ(totals->size(), 2u);
    EXPECT_EQ((*totals)[0].number, "001");
    EXPECT_EQ((*totals)[0].total, 5.0);
    EXPECT_EQ((*totals)[1].name, "李四");
    EXPECT_EQ((*totals)[1].total, 5.0);
    const auto details = readAnswerDetails(store, "001", "一");
    ASSERT_TRUE(details);
    ASSERT_EQ(details->size(), 3u);
    EXPECT_EQ((*details)[0].standardAnswer, "A");

    ASSERT_TRUE(deleteAnswers(store, {{1, "单选", "001", "一"}}));
    EXPECT_EQ(answerCount(store, "001", "一"), 2);
}

TEST_P(BothEngines, APaperIsKeptAnsweredAndHandedInAsOneUnit)
{
    ASSERT_TRUE(ensurePaperTables(store));
    const PaperOwner owner{"001", "一", "张三"};
    KeptPaper paper;
    paper.items = {{QuestionType::SingleChoice, 1, ""}, {QuestionType::FreeAnswer, 2, ""}};
    paper.secondsLeft = 600;
    ASSERT_EQ(keepNewPaper(store, owner, paper), KeepOutcome::Kept);
    ASSERT_TRUE(keepPaperAnswer(store, owner, 1, "答案"));
    ASSERT_TRUE(keepSecondsLeft(store, owner, 300));
    PaperLookup found = findKeptPaper(store, "001", "一");
    ASSERT_TRUE(found.paper);
    EXPECT_EQ(found.paper->items[1].answer, "答案");
    EXPECT_EQ(found.paper->secondsLeft, 300);

    // The hand-in the database refuses changes nothing.
    db.refuse("评分", "insert");
    EXPECT_EQ(handInPaper(store, owner, found.paper->items), HandInOutcome::Failed);
    EXPECT_EQ(store.errorString(), "拒绝写入");
    EXPECT_TRUE(findKeptPaper(store, "001", "一").paper);
    EXPECT_EQ(db.count("评分"), 0);
}

TEST_P(BothEngines, AUnitThatARefusedWriteEndsKeepsNothing)
{
    db.addQuestions(QuestionType::SingleChoice, 2);
    db.addQuestions(QuestionType::TrueFalse, 2);
    db.refuse("判断", "delete");
    EXPECT_FALSE(bank::clearAllBanks(store));
    EXPECT_EQ(store.errorString(), "拒绝写入");
    EXPECT_EQ(db.count("单选"), 2); // cleared before the refusal, and back
    EXPECT_EQ(db.count("判断"), 2);
    // A refused append stores nothing and says why.
    db.refuse("问答", "insert");
    EXPECT_FALSE(bank::appendQuestions(store, QuestionType::FreeAnswer, kThree));
    EXPECT_EQ(store.errorString(), "拒绝写入");
    EXPECT_EQ(db.count("问答"), 0);
    // The store works on after the failures.
    ASSERT_TRUE(bank::appendQuestions(store, QuestionType::MultipleChoice, kThree));
    EXPECT_EQ(db.count("多选"), 3);
}

TEST_P(BothEngines, HostileTextsComeBackWhole)
{
    db.addQuestions(QuestionType::FreeAnswer, 2);
    const QString cases[] = {
        "it's 'quoted' -- 答案; drop table 单选 $1 ?",
        QStringLiteral("前") + QChar(0) + QStringLiteral("后"),
        QString(1024 * 1024, QChar(u'题')),
        QString::fromUcs4(U"𠀀𝄞 outside the basic plane"),
        QString(QChar(0xFFFF)) + QStringLiteral("0"),
    };
    for (const QString &answer : cases) {
        ASSERT_TRUE(bank::saveAnswer(store, QuestionType::FreeAnswer, 2, answer));
        EXPECT_EQ(bank::questionByNumber(store, QuestionType::FreeAnswer, 2)->practiceAnswer, answer)
            << answer.left(20).toStdString();
        EXPECT_EQ(store.query("select count(*) from 问答 where 练习答案=?", {answer}).value(1).toInteger(), 1);
    }
    const std::vector<QuestionValues> hostile{{cases[1], cases[0], cases[3], 0.1, cases[1]}};
    ASSERT_TRUE(bank::appendQuestions(store, QuestionType::FreeAnswer, hostile));
    const std::optional<Question> back = bank::questionByNumber(store, QuestionType::FreeAnswer, 3);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text, cases[1]);
    EXPECT_EQ(back->answer, cases[0]);
    EXPECT_EQ(back->explanation, cases[3]);
    EXPECT_EQ(back->score, FieldValue::real(0.1));
    EXPECT_EQ(back->chapter, cases[1]);
    EXPECT_EQ(db.count("单选"), 0); // nothing in a value ran as a statement
}

TEST_P(BothEngines, AnImportFindsTheBanksTextsThroughATemporaryTable)
{
    const QString longText(1024 * 1024, QChar(u'题'));
    const std::vector<QuestionValues> held{{QStringLiteral("　甲？ "), "A", "", 1, ""},
                                           {longText, "A", "", 1, ""},
                                           {"it's ? 'quoted'", "A", "", 1, ""},
                                           {"乙", "A", "", 1, ""}};
    ASSERT_TRUE(bank::appendQuestions(store, QuestionType::SingleChoice, held));
    ASSERT_TRUE(bank::appendQuestions(store, QuestionType::TrueFalse, kThree));
    bank::QuestionTextIndex texts(store, QuestionType::SingleChoice);
    // Copied a step at a time, then found by their trimmed text.
    EXPECT_EQ(texts.fill(3), false);
    EXPECT_EQ(texts.fill(3), true);
    EXPECT_EQ(texts.present({"甲？", longText, longText + "x", "it's ? 'quoted'", "丙？A.Qt B.二", "乙 "}),
              (QSet<QString>{"甲？", longText, "it's ? 'quoted'"}));
    // Rows added since are not among them: the table is the bank as it was.
    ASSERT_TRUE(bank::appendQuestions(store, QuestionType::SingleChoice, kThree));
    EXPECT_EQ(texts.fill(), true);
    EXPECT_EQ(texts.present({"乙？A.一B.二"}), QSet<QString>());
}

TEST_P(BothEngines, AnImportStoresEveryBankOfItsFileInOneUnitOrNothing)
{
    ASSERT_TRUE(bank::appendQuestions(store, QuestionType::TrueFalse, kThree));
    const auto raw = [](const char *text, const char *answer, std::optional<QuestionType> type) {
        RawQuestion q;
        q.text = QString::fromUtf8(text);
        q.answer = QString::fromUtf8(answer);
        q.type = type;
        return q;
    };
    const std::vector<RawQuestion> file{raw("新题A.一B.二", "B", std::nullopt),
                                        raw("乙？A.一B.二 ", "对", QuestionType::TrueFalse),
                                        raw("新的判断", "错", QuestionType::TrueFalse)};
    const auto run = [&](bool refused) {
        BankTexts texts(store);
        ImportRun preview(store, texts, QuestionType::SingleChoice);
        EXPECT_TRUE(preview.take(file)) << preview.failure().toStdString();
        EXPECT_EQ(preview.preview().count(RowStatus::Duplicate), refused ? 2 : 1);
        ImportRun storing(store, texts, QuestionType::SingleChoice);
        EXPECT_TRUE(storing.beginStore(refused)); // the present ones too, the second time
        EXPECT_EQ(storing.take(file), !refused) << storing.failure().toStdString();
        return storing.finishStore(preview.preview());
    };
    const StoreOutcome stored = run(false);
    EXPECT_TRUE(stored.stored) << stored.reason.toStdString();
    EXPECT_EQ(stored.count, 2);
    EXPECT_EQ(bank::questionByNumber(store, QuestionType::SingleChoice, 1)->text, "新题A.一B.二");
    EXPECT_EQ(bank::questionByNumber(store, QuestionType::TrueFalse, 4)->answer, "×");
    // The second bank refuses: the first keeps nothing either.
    db.refuse("判断", "insert");
    store.execute("delete from 单选");
    const StoreOutcome refused = run(true);
    EXPECT_FALSE(refused.stored);
    EXPECT_EQ(refused.reason, "拒绝写入");
    EXPECT_EQ(db.count("单选"), 0);
    EXPECT_EQ(db.count("判断"), 4);
}
