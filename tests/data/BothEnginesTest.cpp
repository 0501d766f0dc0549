// The table files on both engines: a database file and a database on the
// test server behave the same for every statement the windows rely on,
// including the failures of a database whose triggers refuse writes.
#include "TestDatabase.h"

#include "data/AnswerTable.h"
#include "data/BankSearch.h"
#include "data/RowSource.h"
#include "data/BankTable.h"
#include "data/ConfigTable.h"
#include "data/HandScoreTable.h"
#include "data/PaperTable.h"
#include "data/PictureTable.h"
#include "data/PictureFileTable.h"
#include "data/WorkTable.h"
#include "exam/PaperContent.h"
#include "grading/Analysis.h"
#include "grading/Scoring.h"
#include "import/ImportStore.h"
#include "practice/PracticeQueries.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <set>

using namespace kaoshi;
using kaoshi::test::TestDatabase;
using kaoshi::test::TestEngine;

namespace {

class BothEngines : public ::testing::TestWithParam<TestEngine>
{
protected:
    void SetUp() override { ASSERT_TRUE(db.isReady()) << db.reason().toStdString(); }

    // What a search through the bank lists, slice by slice; and the same
    // statement read at once must agree.
    std::vector<QString> numbersOf(QuestionType type, const QString &search = {})
    {
        BankSearch running(store, type, search);
        std::vector<qint64> found;
        while (!running.finished()) {
            EXPECT_TRUE(running.advance(0)) << store.errorString().toStdString();
            for (qint64 id : running.takeMatches())
                found.push_back(id);
        }
        std::vector<QString> numbers;
        for (qint64 id : found)
            numbers.push_back(bank::questionByRowId(store, type, id)->number.toText());
        return numbers;
    }

    // Every row of a listing, read first from its end and its middle (as a
    // jump does), then from the top.
    static std::vector<QStringList> readAll(RowSource &listing)
    {
        const qint64 size = listing.size();
        if (size > 0) {
            listing.cells(size - 1);
            listing.cells(size / 2);
        }
        std::vector<QStringList> rows;
        for (qint64 i = 0; i < size; ++i)
            rows.push_back(listing.cells(i));
        return rows;
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
    // A row without a 题号 is found first; a number two rows carry is noticed.
    ASSERT_TRUE(store.execute("insert into 单选 (题号, 题目) values (null, '无号乙'), (3, '又一个三')"));
    EXPECT_EQ(numbersOf(QuestionType::SingleChoice, "乙"), (std::vector<QString>{"", "2"}));
    BankSearch all(store, QuestionType::SingleChoice, {});
    while (!all.finished())
        ASSERT_TRUE(all.advance(0));
    EXPECT_EQ(all.matchCount(), 7);
    EXPECT_EQ(all.duplicateNumbers(), QSet<QString>{"3"});
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

TEST_P(BothEngines, LongListsReadAWindowAtATimeInTheOrderOfTheWholeList)
{
    // Wrong questions: every second of 600 in 单选 (more than one window),
    // and in 判断 one without a 题号, which comes first in its bank.
    db.addQuestions(QuestionType::SingleChoice, 600);
    for (int n = 2; n <= 600; n += 2)
        ASSERT_TRUE(bank::saveAnswer(store, QuestionType::SingleChoice, n, "错"));
    ASSERT_TRUE(store.execute("insert into 判断 (题号, 题目, 标准答案, 练习答案, 分值) values (7, '判七', '√', '×', 2), "
                              "(null, '无号', '√', '×', 1), (8, '判八', '√', '√', 1)"));
    std::shared_ptr<RowSource> wrong = wrongQuestionListing(store);
    ASSERT_TRUE(wrong);
    std::vector<QStringList> expected;
    for (int n = 2; n <= 600; n += 2)
        expected.push_back({"", QString::number(n), "单选", QStringLiteral("单选题%1").arg(n), "A", "错"});
    expected.push_back({"", "", "判断", "无号", "√", "×"});
    expected.push_back({"", "7", "判断", "判七", "√", "×"});
    EXPECT_EQ(readAll(*wrong), expected);

    // One candidate's answers: 600 of 单选 (the 5th and 9th right), one
    // of 判断 and one of a kind that no bank has, after the banks.
    std::vector<StoredAnswer> answers;
    for (int n = 600; n >= 1; --n)
        answers.push_back({"001", "一", "张三", n, QuestionType::SingleChoice, n == 5 || n == 9 ? "A" : "B"});
    answers.push_back({"001", "一", "张三", 7, QuestionType::TrueFalse, "√"});
    answers.push_back({"001", "二", "张三", 1, QuestionType::SingleChoice, "A"}); // another occasion
    ASSERT_TRUE(insertAnswers(store, answers));
    ASSERT_TRUE(store.execute("insert into 评分 (考号, 场次, 姓名, 题号, 题型, 考生答案) values "
                              "('001', '一', '张三', 3, '填空', 'x')"));
    const auto cellsOf = [](const DetailRow &row) {
        return QStringList{QString::number(row.questionNumber), row.type, row.question, row.answer,
                           row.score ? QString::number(*row.score) : QString()};
    };
    const DetailListing listing = detailListing(store, "001", "一", cellsOf);
    ASSERT_TRUE(listing.rows) << listing.reason.toStdString();
    const DetailResult whole = scoreDetails(store, "001", "一");
    std::vector<QStringList> wholeRows;
    for (const DetailRow &row : whole.rows)
        wholeRows.push_back(cellsOf(row));
    ASSERT_EQ(wholeRows.size(), 602u);
    EXPECT_EQ(wholeRows.back(), (QStringList{"3", "填空", "", "x", ""}));
    EXPECT_EQ(readAll(*listing.rows), wholeRows);
    // The total, summed a slice at a time as the window does: slices of
    // 7 answers; and in one.
    for (const qint64 slice : {qint64(7), DetailTotal::kSliceAnswers}) {
        DetailTotal total(store, "001", "一", slice);
        ASSERT_TRUE(total.finish()) << total.reason().toStdString();
        EXPECT_EQ(total.total(), 4.0);
        EXPECT_EQ(total.total(), whole.total);
    }
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

TEST_P(BothEngines, APaperHoldsItsQuestionsAndPicturesOnceRead)
{
    db.addQuestions(QuestionType::SingleChoice, 4);
    db.addQuestion(QuestionType::SingleChoice, {2, "又一个二"}); // the first row of a 题号 counts
    db.addQuestions(QuestionType::FreeAnswer, 2);
    const QStringList locations{"\\image\\单选2.png", "\\image\\单选2b.png", "\\image\\问答1.png", "\\image\\单选3.png"};
    db.addPicture(QuestionType::SingleChoice, 2, "二", locations[0]);
    db.addPicture(QuestionType::SingleChoice, 2, "二乙", locations[1]);
    db.addPicture(QuestionType::FreeAnswer, 1, "问一", locations[2]);
    db.addPicture(QuestionType::SingleChoice, 3, "不在卷中", locations[3]);
    // The server keeps each picture's bytes; a file's pictures are the files of image/.
    ASSERT_TRUE(QDir(db.programDir()).mkpath("image"));
    for (const QString &location : locations) {
        const QByteArray bytes = location.toUtf8();
        if (db.engine() == TestEngine::Server) {
            ASSERT_TRUE(pictureFiles::put(store, location, bytes));
        } else {
            QFile file(QDir(db.programDir()).filePath(location.mid(1).replace('\\', '/')));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
    }

    ExamPaper paper;
    paper.setPart(QuestionType::SingleChoice, {2, 9, 1}); // 9: no such question
    paper.setPart(QuestionType::FreeAnswer, {1});
    PaperContent content;
    ASSERT_TRUE(content.read(store, db.programDir(), paper)) << store.errorString().toStdString();
    EXPECT_EQ(content.questionCount(), 3);
    EXPECT_EQ(content.pictureFileCount(), 3);

    // From here on nothing is read from the database: a server that is gone
    // changes nothing of what the paper shows.
    store.close();
    EXPECT_EQ(content.question(QuestionType::SingleChoice, 2)->text, "单选题2");
    EXPECT_EQ(content.question(QuestionType::SingleChoice, FieldValue::real(1.0))->text, "单选题1");
    EXPECT_EQ(content.question(QuestionType::FreeAnswer, 1)->text, "问答题1");
    EXPECT_GT(content.question(QuestionType::FreeAnswer, 1)->rowId, 0);
    EXPECT_FALSE(content.question(QuestionType::SingleChoice, 9));
    EXPECT_FALSE(content.question(QuestionType::SingleChoice, 3)); // not on the paper
    EXPECT_FALSE(content.question(QuestionType::FreeAnswer, 2));
    const QList<PictureRecord> second = content.pictures(QuestionType::SingleChoice, 2);
    ASSERT_EQ(second.size(), 2);
    EXPECT_EQ(second[0].summary, "二"); // in the order they were stored
    EXPECT_EQ(second[1].location, locations[1]);
    EXPECT_EQ(content.pictures(QuestionType::FreeAnswer, 1).size(), 1);
    EXPECT_TRUE(content.pictures(QuestionType::SingleChoice, 1).isEmpty());
    for (const QString &location : locations.first(3)) {
        QFile shown(content.pictureFile(location));
        ASSERT_TRUE(shown.open(QIODevice::ReadOnly)) << location.toStdString();
        EXPECT_EQ(shown.readAll(), location.toUtf8());
    }
}

TEST_P(BothEngines, APaperLongerThanOneStatementIsReadWhole)
{
    // More numbers than one statement binds, spread over two banks.
    std::vector<QuestionValues> many(2600, QuestionValues{"题", "A", "", 1, ""});
    for (size_t i = 0; i < many.size(); ++i)
        many[i].text = QStringLiteral("题%1").arg(i + 1);
    {
        Transaction unit(store);
        ASSERT_TRUE(bank::insertQuestions(store, QuestionType::SingleChoice, 1, many));
        ASSERT_TRUE(bank::insertQuestions(store, QuestionType::MultipleChoice, 1, std::span(many).first(100)));
        ASSERT_TRUE(unit.commit());
    }
    PartNumbers parts;
    for (qint64 n = 2600; n >= 1; --n)
        parts[0].push_back(n);
    for (qint64 n = 1; n <= 100; ++n)
        parts[1].push_back(n);
    const std::optional<std::vector<Question>> questions = bank::questionsOfParts(store, parts);
    ASSERT_TRUE(questions) << store.errorString().toStdString();
    EXPECT_EQ(questions->size(), 2700u);
    std::set<std::pair<int, qint64>> read;
    for (const Question &question : *questions) {
        EXPECT_EQ(question.text, QStringLiteral("题%1").arg(question.number.toInteger()));
        read.insert({typeIndex(question.type), question.number.toInteger()});
    }
    EXPECT_EQ(read.size(), 2700u); // each once
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

TEST_P(BothEngines, TheResultsAnalysisAddsUpOnTheDatabase)
{
    // Totals 7.5, 5, 2.5, 1 and 0: one candidate in each extreme group.
    ASSERT_TRUE(bank::appendQuestions(store, QuestionType::SingleChoice, kThree));
    const QuestionType single = QuestionType::SingleChoice;
    ASSERT_TRUE(insertAnswers(store, {{"001", "一", "甲", 1, single, "A"}, {"001", "一", "甲", 2, single, "B"},
                                      {"002", "一", "乙", 1, single, "B"}, {"002", "一", "乙", 2, single, "B"},
                                      {"003", "一", "丙", 1, single, "A"}, {"003", "一", "丙", 2, single, "C"},
                                      {"004", "一", "丁", 1, single, "C"}, {"004", "一", "丁", 3, single, "B"},
                                      {"005", "一", "戊", 1, single, "D"}}));
    // The totals the grading window lists, 0 for the candidate with nothing right.
    const TotalsResult totals = gradeTotals(store, {}, {});
    ASSERT_TRUE(totals.failure.isEmpty()) << totals.reason.toStdString();
    std::vector<double> sums;
    for (const TotalsRow &row : totals.rows)
        sums.push_back(row.total);
    EXPECT_EQ(sums, (std::vector<double>{7.5, 5, 2.5, 1, 0}));

    const ResultAnalysis result = analyseResults(store, "一", {});
    ASSERT_TRUE(result.failure.isEmpty()) << result.reason.toStdString();
    EXPECT_EQ(result.summary.candidates, 5);
    EXPECT_DOUBLE_EQ(*result.summary.mean, 3.2);
    EXPECT_DOUBLE_EQ(*result.summary.highest, 7.5);
    EXPECT_DOUBLE_EQ(*result.summary.lowest, 0);
    ASSERT_EQ(result.questions.size(), 3u);
    const QuestionAnalysis &first = result.questions[0];
    EXPECT_EQ(first.answered, 5);
    EXPECT_DOUBLE_EQ(*first.facility, 0.4);
    EXPECT_DOUBLE_EQ(*first.discrimination, 1); // the top candidate right, the bottom one wrong
    ASSERT_EQ(first.options.size(), 4u);         // A … D were chosen
    EXPECT_DOUBLE_EQ(*first.options[0].top, 1);
    EXPECT_DOUBLE_EQ(*first.options[3].bottom, 1);
    EXPECT_NEAR(*result.questions[1].facility, 2.0 / 3, 1e-12);
    EXPECT_FALSE(result.questions[1].discrimination); // the bottom candidate did not answer it
    EXPECT_EQ(result.questions[2].answered, 1);
    // The totals it keeps for the connection are gone: a second analysis reads the same.
    EXPECT_EQ(analyseResults(store, "一", {}).summary.candidates, 5);
}

TEST_P(BothEngines, AQuestionNumberABankHoldsTwiceIsOneQuestionInTheTotals)
{
    // A file another program filled: 单选 1 twice. The row its index gives
    // first (by 标准答案) is the question, on either engine, counted once
    // per answer (joined to both rows, 002 would score the second's 3).
    ASSERT_TRUE(store.execute("insert into 单选 (题号, 题目, 标准答案, 分值) values (1, '甲', 'A', 2), (1, '乙', 'B', 3)"));
    ASSERT_TRUE(insertAnswers(store, {{"001", "一", "甲", 1, QuestionType::SingleChoice, "A"},
                                      {"002", "一", "乙", 1, QuestionType::SingleChoice, "B"}}));
    const TotalsResult totals = gradeTotals(store, {}, {});
    ASSERT_EQ(totals.rows.size(), 2u) << totals.reason.toStdString();
    EXPECT_EQ(totals.rows[0].total, 2);
    EXPECT_EQ(totals.rows[1].total, 0);

    // The analysis reads the same question, once: its text, answer and score
    // come from that row (a server refused the lookup that found two).
    const ResultAnalysis result = analyseResults(store, "一", {});
    ASSERT_TRUE(result.failure.isEmpty()) << result.reason.toStdString();
    ASSERT_EQ(result.questions.size(), 1u);
    EXPECT_EQ(result.questions[0].text, "甲");
    EXPECT_EQ(result.questions[0].answered, 2);
    EXPECT_DOUBLE_EQ(*result.questions[0].fullMark, 2);
    EXPECT_DOUBLE_EQ(*result.questions[0].facility, 0.5);
}

TEST_P(BothEngines, HandScoresCountInTotalsDetailsAndTheAnalysis)
{
    db.addQuestion(QuestionType::SingleChoice, {1, "单选题", "A", {}, 2});
    db.addQuestion(QuestionType::FreeAnswer, {1, "简述光合作用", "光能", {}, 4});
    db.addQuestion(QuestionType::FreeAnswer, {2, "第二问", "B", {}, 2});
    const QuestionType single = QuestionType::SingleChoice, free = QuestionType::FreeAnswer;
    ASSERT_TRUE(insertAnswers(store, {{"K1", "一", "甲", 1, single, "A"}, {"K1", "一", "甲", 1, free, "光能"},
                                      {"K1", "一", "甲", 2, free, "x"}, {"K2", "一", "乙", 1, single, "B"},
                                      {"K2", "一", "乙", 1, free, "植物"}, {"K2", "一", "乙", 2, free, "B"},
                                      {"K3", "一", "丙", 1, free, "不知道"}, {"K1", "二", "甲", 1, free, "光能"}}));
    auto answers = freeAnswers(store, "一");
    ASSERT_TRUE(answers) << store.errorString().toStdString();
    QStringList listed;
    for (const FreeAnswer &a : *answers)
        listed << a.number + QString::number(a.questionNumber) + (a.score ? "已阅" : "未阅");
    EXPECT_EQ(listed, (QStringList{"K11未阅", "K12未阅", "K21未阅", "K22未阅", "K31未阅"}));
    EXPECT_EQ((*answers)[2].standardAnswer, "光能");
    EXPECT_EQ((*answers)[2].fullMark, 4);

    // One statement per score; a second score of the same answer replaces the first.
    const QDateTime at(QDate(2026, 12, 2), QTime(10, 0));
    ASSERT_TRUE(storeHandScore(store, (*answers)[2], 2.5, at)) << store.errorString().toStdString();
    ASSERT_TRUE(storeHandScore(store, (*answers)[2], 3.5, at.addSecs(60))) << store.errorString().toStdString();
    ASSERT_TRUE(storeHandScore(store, (*answers)[0], 1, at));
    ASSERT_TRUE(storeHandScore(store, (*answers)[4], 0, at));
    EXPECT_EQ(db.count("阅卷"), 3);
    EXPECT_EQ(db.text("select 阅卷时间 from 阅卷 where 考号='K2'"), "2026-12-02 10:01:00");
    answers = freeAnswers(store, "一");
    ASSERT_TRUE(answers);
    EXPECT_EQ((*answers)[2].score, 3.5);
    EXPECT_FALSE((*answers)[1].score);

    // A hand score counts in place of the comparison, for its own occasion only.
    const TotalsResult totals = gradeTotals(store, {}, {});
    ASSERT_TRUE(totals.failure.isEmpty()) << totals.reason.toStdString();
    QStringList sums;
    for (const TotalsRow &row : totals.rows)
        sums << row.number + row.occasion + "=" + QString::number(row.total);
    EXPECT_EQ(sums, (QStringList{"K1一=3", "K1二=4", "K2一=5.5", "K3一=0"}));
    const auto details = readAnswerDetails(store, "K2", "一");
    ASSERT_TRUE(details);
    ASSERT_EQ(details->size(), 3u);
    EXPECT_FALSE((*details)[0].handScore);
    EXPECT_EQ((*details)[1].handScore, 3.5);

    // The analysis of 一: totals 5.5, 3, 0; the top group K2, the bottom group K3.
    const ResultAnalysis result = analyseResults(store, "一", {});
    ASSERT_TRUE(result.failure.isEmpty()) << result.reason.toStdString();
    EXPECT_DOUBLE_EQ(*result.summary.mean, 8.5 / 3);
    EXPECT_DOUBLE_EQ(*result.summary.highest, 5.5);
    ASSERT_EQ(result.questions.size(), 3u);
    const QuestionAnalysis &marked = result.questions[1];
    EXPECT_EQ(marked.type, "问答");
    EXPECT_EQ(marked.answered, 3);
    EXPECT_DOUBLE_EQ(*marked.facility, 4.5 / 3 / 4);
    EXPECT_DOUBLE_EQ(*marked.discrimination, 3.5 / 4);
    EXPECT_DOUBLE_EQ(*result.questions[2].facility, 0.5); // compared: K2 right, K1 wrong
    EXPECT_FALSE(result.reliability.rightOrWrong);

    // A refused score keeps the one stored.
    db.refuse("阅卷", "update");
    EXPECT_FALSE(storeHandScore(store, (*answers)[2], 4, at));
    EXPECT_EQ(store.errorString(), "拒绝写入");
    EXPECT_EQ(db.text("select 得分 from 阅卷 where 考号='K2'"), "3.5");
}

// Deleting answers deletes their hand scores in the same unit, so that a later
// answer with the same key starts unmarked; a refused delete keeps both.
// Renumbering the bank after a question goes moves neither the answers nor
// their scores: a score stays with the answer it was given to.
TEST_P(BothEngines, AHandScoreGoesWithItsAnswer)
{
    db.addQuestion(QuestionType::FreeAnswer, {1, "第一问", "甲", {}, 4});
    db.addQuestion(QuestionType::FreeAnswer, {2, "第二问", "乙", {}, 4});
    db.addQuestion(QuestionType::FreeAnswer, {3, "第三问", "丙", {}, 4});
    const QuestionType free = QuestionType::FreeAnswer;
    ASSERT_TRUE(insertAnswers(store, {{"K1", "一", "甲", 1, free, "x"}, {"K1", "一", "甲", 2, free, "y"},
                                      {"K2", "一", "乙", 1, free, "z"}}));
    auto answers = freeAnswers(store, "一");
    ASSERT_TRUE(answers && answers->size() == 3);
    const QDateTime at(QDate(2026, 12, 2), QTime(10, 0));
    for (const FreeAnswer &a : *answers)
        ASSERT_TRUE(storeHandScore(store, a, 2.5, at)) << store.errorString().toStdString();
    // The marked answers as 考号/题号, in order.
    const QString listed = GetParam() == TestEngine::File
                               ? "select group_concat(k, ',') from (select 考号||'/'||题号 as k from 阅卷 order by 考号,题号)"
                               : "select string_agg(考号||'/'||题号, ',' order by 考号,题号) from 阅卷";
    auto scores = [&] { return db.text(listed); };
    ASSERT_EQ(scores(), "K1/1,K1/2,K2/1");

    ASSERT_TRUE(deleteAnswers(store, {{1, "问答", "K1", "一"}})) << store.errorString().toStdString();
    EXPECT_EQ(scores(), "K1/2,K2/1");
    // The same answer handed in again is unmarked, and counts by comparison.
    ASSERT_TRUE(insertAnswers(store, {{"K1", "一", "甲", 1, free, "甲"}}));
    answers = freeAnswers(store, "一");
    ASSERT_TRUE(answers && answers->size() == 3);
    EXPECT_FALSE((*answers)[0].score);
    const TotalsResult totals = gradeTotals(store, "K1", "一");
    ASSERT_EQ(totals.rows.size(), 1u);
    EXPECT_EQ(totals.rows[0].total, 4 + 2.5);

    // Question 1 goes; 2 and 3 become 1 and 2. The stored answers keep their
    // numbers, and so do their scores.
    {
        Transaction unit(store);
        ASSERT_TRUE(bank::deleteQuestion(store, free, bank::questionByNumber(store, free, 1)->rowId));
        ASSERT_TRUE(unit.commit());
    }
    EXPECT_EQ(bank::questionNumbers(store, free), (std::vector<qint64>{1, 2}));
    EXPECT_EQ(db.count("评分"), 3);
    EXPECT_EQ(scores(), "K1/2,K2/1");
    const auto details = readAnswerDetails(store, "K1", "一");
    ASSERT_TRUE(details && details->size() == 2);
    EXPECT_EQ((*details)[1].questionNumber, 2);
    EXPECT_EQ((*details)[1].handScore, 2.5);

    // Refused: neither the answers nor their scores go.
    db.refuse("阅卷", "delete");
    EXPECT_FALSE(deleteAnswers(store, {{1, "问答", "K2", "一"}, {2, "问答", "K1", "一"}}));
    EXPECT_EQ(store.errorString(), "拒绝写入");
    EXPECT_EQ(db.count("评分"), 3);
    EXPECT_EQ(scores(), "K1/2,K2/1");
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
