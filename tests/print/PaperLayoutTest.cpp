// The pages of a printed exam without a painter: sections and numbering,
// questions kept whole on a page, options in columns, pictures within the
// text width, and keys that follow each variant's order and options.
#include "practice/QuestionLayout.h"
#include "print/PaperLayout.h"

#include <QHash>
#include <gtest/gtest.h>
#include <numeric>
#include <set>

using namespace kaoshi;

namespace {

// Chinese characters one em wide, ASCII half an em.
class FixedMeasure final : public TextMeasure
{
public:
    double advance(const QString &text, const PaperFont &font) const override
    {
        double width = 0;
        for (const QChar c : text)
            width += font.size * (c.unicode() < 0x80 ? 0.5 : 1.0);
        return width;
    }
    QSizeF pictureSize(const QString &file) const override { return pictures.value(file); }
    QHash<QString, QSizeF> pictures;
};

PaperQuestion choice(qint64 number, const QString &text, const QString &answer, double score = 2)
{
    return {QuestionType::SingleChoice, number, text, answer, QStringLiteral("解析") + QString::number(number), score, {}};
}

// Ten 单选, three 多选, four 判断 and two 问答 questions.
PaperQuestions fixtureQuestions()
{
    PaperQuestions questions;
    for (int n = 1; n <= 10; ++n)
        questions.push_back(choice(n, QStringLiteral("单选题%1是哪一个A.甲%1B.乙%1C.丙%1D.丁%1").arg(n), QStringLiteral("B")));
    for (int n = 1; n <= 3; ++n) {
        PaperQuestion q = choice(n, QStringLiteral("多选题%1A.子B.丑C.寅D.卯").arg(n), QStringLiteral("AC"), 3);
        q.type = QuestionType::MultipleChoice;
        questions.push_back(q);
    }
    for (int n = 1; n <= 4; ++n)
        questions.push_back({QuestionType::TrueFalse, n, QStringLiteral("判断题%1说得对").arg(n), QStringLiteral("√"), {}, 1, {}});
    for (int n = 1; n <= 2; ++n)
        questions.push_back({QuestionType::FreeAnswer, n, QStringLiteral("问答题%1请论述").arg(n), QStringLiteral("要点"), {}, 10, {}});
    return questions;
}

QStringList textsOf(const LaidDocument &document)
{
    QStringList texts;
    for (const LaidPage &page : document.pages)
        for (const PlacedText &text : page.texts)
            texts << text.text;
    return texts;
}

// On which pages each question's texts and pictures stand.
std::map<int, std::set<int>> pagesOfQuestions(const LaidDocument &document)
{
    std::map<int, std::set<int>> pages;
    for (int p = 0; p < document.pages.size(); ++p) {
        for (const PlacedText &text : document.pages[p].texts)
            if (text.question > 0)
                pages[text.question].insert(p);
        for (const PlacedPicture &picture : document.pages[p].pictures)
            pages[picture.question].insert(p);
    }
    return pages;
}

const FixedMeasure kMeasure;

} // namespace

TEST(PaperLayout, SectionsHeadedAndQuestionsNumberedThroughThePaper)
{
    const PaperQuestions questions = fixtureQuestions();
    const PrintedVariant variant = makeVariant(questions, 1, 99, true, true);
    PaperPlan plan;
    plan.occasion = QStringLiteral("第一场");
    const LaidDocument paper = layoutPaperDocument(PaperKind::Paper, plan, questions, variant, kMeasure);
    const QStringList texts = textsOf(paper);
    EXPECT_EQ(texts.value(0), QStringLiteral("考试试卷"));
    EXPECT_EQ(texts.value(1), QStringLiteral("B卷　　场次：第一场"));
    for (const char *field : {"考号：", "姓名：", "班级：", "总分："})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(field))) << field;
    QStringList headings;
    for (const QString &text : texts)
        if (text.contains(QStringLiteral("题（")))
            headings << text;
    EXPECT_EQ(headings, QStringList({QStringLiteral("一、单项选择题（每题2分，共20分）"),
                                     QStringLiteral("二、多项选择题（每题3分，共9分）"),
                                     QStringLiteral("三、判断题（每题1分，共4分）"),
                                     QStringLiteral("四、问答题（每题10分，共20分）")}));
    // Numbers 1 … 19 in the order the texts stand, each section's questions together.
    std::vector<int> order;
    for (const LaidPage &page : paper.pages)
        for (const PlacedText &text : page.texts)
            if (text.question > 0 && (order.empty() || order.back() != text.question))
                order.push_back(text.question);
    std::vector<int> expected(19);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(order, expected);
    EXPECT_TRUE(texts.contains(QStringLiteral("第 1 页 共 %1 页").arg(paper.pages.size())));
}

TEST(PaperLayout, MixedScoresAreCountedInTheHeading)
{
    EXPECT_EQ(sectionHeading(1, QuestionType::FreeAnswer, {5, 10}), QStringLiteral("二、问答题（共2题，共15分）"));
    EXPECT_EQ(sectionHeading(0, QuestionType::SingleChoice, {2.5, 2.5}), QStringLiteral("一、单项选择题（每题2.5分，共5分）"));
}

TEST(PaperLayout, NoQuestionThatFitsOnAPageRunsAcrossABreak)
{
    PaperQuestions questions;
    // Questions of one to eighteen lines and up to nine answer lines, many pages of them.
    for (int n = 1; n <= 60; ++n)
        questions.push_back({QuestionType::FreeAnswer, n, QString(n % 20 * 40 + 1, QChar(u'问')), QStringLiteral("答"), {}, double(n % 7), {}});
    // And one that is taller than a page: it runs on over the break.
    questions.push_back({QuestionType::FreeAnswer, 61, QString(6000, QChar(u'长')), QStringLiteral("答"), {}, 1, {}});
    const PrintedVariant variant = makeVariant(questions, 0, 5, false, false);
    const PaperPageGeometry geometry;
    const LaidDocument paper = layoutPaperDocument(PaperKind::Paper, PaperPlan(), questions, variant, kMeasure, geometry);
    ASSERT_GT(paper.pages.size(), 5);
    for (const auto &[question, pages] : pagesOfQuestions(paper))
        EXPECT_EQ(pages.size() > 1, question == 61) << question;
    // Nothing runs into the bottom margin.
    for (const LaidPage &page : paper.pages) {
        for (int i = 0; i + 1 < page.texts.size(); ++i) // the page number stands last, in the margin
            EXPECT_LE(page.texts[i].rect.bottom(), geometry.body().bottom() + 0.01);
        for (const QLineF &line : page.lines)
            EXPECT_LE(line.y2(), geometry.body().bottom() + 0.01);
    }
}

TEST(PaperLayout, ShortOptionsStandInColumnsLongOnesOnLines)
{
    const PaperQuestions questions{
        choice(1, QStringLiteral("短A.一B.二C.三D.四"), QStringLiteral("A")),
        choice(2, QStringLiteral("长A.") + QString(30, QChar(u'甲')) + QStringLiteral("B.乙C.丙D.丁"), QStringLiteral("A")),
    };
    const LaidDocument paper = layoutPaperDocument(PaperKind::Paper, PaperPlan(), questions,
                                                   makeVariant(questions, 0, 1, false, false), kMeasure);
    std::map<int, std::set<double>> optionRows; // question → tops of its option lines
    for (const PlacedText &text : paper.pages[0].texts)
        if (text.question > 0 && text.text.size() > 1 && QStringLiteral("ABCD").contains(text.text[0]) &&
            text.text[1] == QLatin1Char('.'))
            optionRows[text.question].insert(text.rect.top());
    EXPECT_EQ(optionRows[1].size(), 1u); // four in one line
    EXPECT_EQ(optionRows[2].size(), 4u); // one to a line
}

TEST(PaperLayout, PicturesScaledToTheTextWidthAndAnswerLinesByScore)
{
    FixedMeasure measure;
    measure.pictures.insert(QStringLiteral("wide.png"), QSizeF(5000, 1000));
    measure.pictures.insert(QStringLiteral("small.png"), QSizeF(300, 200));
    PaperQuestions questions{{QuestionType::FreeAnswer, 1, QStringLiteral("看图作答"), QStringLiteral("答"), {}, 4,
                              {QStringLiteral("wide.png"), QStringLiteral("small.png"), QStringLiteral("missing.png")}}};
    const PaperPageGeometry geometry;
    const LaidDocument paper = layoutPaperDocument(PaperKind::Paper, PaperPlan(), questions,
                                                   makeVariant(questions, 0, 1, false, false), measure, geometry);
    const LaidPage &page = paper.pages[0];
    ASSERT_EQ(page.pictures.size(), 2);
    EXPECT_LE(page.pictures[0].rect.right(), geometry.body().right() + 0.01);
    EXPECT_NEAR(page.pictures[0].rect.width() / page.pictures[0].rect.height(), 5.0, 0.01);
    EXPECT_EQ(page.pictures[1].rect.size(), QSizeF(300, 200)); // small pictures keep their size
    EXPECT_TRUE(textsOf(paper).contains(QStringLiteral("（图片无法读取）")));
    // The answer lines below the question: more points, more lines.
    EXPECT_EQ(page.lines.size() - 5, answerLineCount(4)); // less the header's four field lines and rule
    EXPECT_LT(answerLineCount(2), answerLineCount(10));
}

TEST(PaperLayout, KeyAndSheetFollowTheVariant)
{
    const PaperQuestions questions = fixtureQuestions();
    PaperPlan plan;
    const PrintedVariant variant = makeVariant(questions, 2, 1234, true, true);
    const std::vector<KeyEntry> key = variantKey(questions, variant);
    ASSERT_EQ(key.size(), questions.size());
    bool moved = false;
    for (size_t i = 0; i < variant.items.size(); ++i) {
        const PrintedItem &item = variant.items[i];
        const PaperQuestion *question = findQuestion(questions, item);
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(key[i].number, int(i) + 1);
        EXPECT_EQ(key[i].score, question->score);
        if (!hasOptions(item.type)) {
            EXPECT_EQ(key[i].answer, question->answer);
            continue;
        }
        // Every printed answer letter shows an option that was right in the bank.
        const PresentedQuestion shown = presentQuestion(*question, item);
        const QuestionParts original = splitQuestionText(question->text);
        QStringList rightBodies, printedBodies;
        for (const QChar letter : question->answer)
            rightBodies << original.optionBody(letter.unicode() - u'A');
        for (const QChar letter : key[i].answer)
            printedBodies << shown.options[letter.unicode() - u'A'].mid(2);
        std::sort(rightBodies.begin(), rightBodies.end());
        std::sort(printedBodies.begin(), printedBodies.end());
        EXPECT_EQ(printedBodies, rightBodies) << question->text.toStdString();
        moved = moved || key[i].answer != question->answer;
        // A typed answer with the printed letters grades as the bank's answer.
        EXPECT_EQ(bankAnswerOf(item, key[i].answer), question->answer);
    }
    EXPECT_TRUE(moved);

    const LaidDocument keyPages = layoutPaperDocument(PaperKind::Key, plan, questions, variant, kMeasure);
    const QStringList keyTexts = textsOf(keyPages);
    EXPECT_EQ(keyTexts.value(0), QStringLiteral("考试试卷 答案"));
    EXPECT_TRUE(keyTexts.contains(QStringLiteral("1. %1（2分）").arg(key[0].answer)));
    EXPECT_TRUE(keyTexts.contains(QStringLiteral("19. （10分）要点")));

    // The sheet: a box per option of each choice question, √ and × for 判断.
    const LaidDocument sheet = layoutPaperDocument(PaperKind::AnswerSheet, plan, questions, variant, kMeasure);
    qsizetype boxes = 0;
    for (const LaidPage &page : sheet.pages)
        boxes += page.boxes.size();
    EXPECT_EQ(boxes, 13 * 4 + 4 * 2);
    EXPECT_TRUE(textsOf(sheet).contains(QStringLiteral("√")));

    // The teacher's copy: each answer below its question, 解析 when asked.
    plan.explanations = true;
    const QStringList copy = textsOf(layoutPaperDocument(PaperKind::TeacherCopy, plan, questions, variant, kMeasure));
    EXPECT_TRUE(copy.contains(QStringLiteral("【答案】%1（2分）").arg(key[0].answer)));
    EXPECT_TRUE(copy.contains(QStringLiteral("【解析】解析%1").arg(variant.items[0].number)));
}

TEST(PaperVariants, TheSeedAloneDecidesTheVariant)
{
    const PaperQuestions questions = fixtureQuestions();
    const PrintedVariant a = makeVariant(questions, 0, 42, true, true);
    EXPECT_EQ(a, makeVariant(questions, 0, 42, true, true));
    EXPECT_NE(a.items, makeVariant(questions, 0, 43, true, true).items);
    EXPECT_NE(variantSeed(7, 0), variantSeed(7, 1));
    // Sections keep their bank; without shuffling the order is the bank's.
    for (size_t i = 1; i < a.items.size(); ++i)
        EXPECT_LE(typeIndex(a.items[i - 1].type), typeIndex(a.items[i].type));
    const PrintedVariant plain = makeVariant(questions, 0, 42, false, false);
    for (size_t i = 0; i < plain.items.size(); ++i) {
        EXPECT_EQ(plain.items[i].number, questions[i].number);
        EXPECT_TRUE(plain.items[i].optionOrder.isEmpty());
    }
}

TEST(PaperVariants, OptionsMoveOnlyWhenTheySplitCleanly)
{
    const struct {
        PaperQuestion question;
        bool moves;
    } cases[] = {
        {choice(1, QStringLiteral("问A.一B.二C.三"), QStringLiteral("B")), true},
        {choice(2, QStringLiteral("问A一B二C三"), QStringLiteral("B")), false},          // bare letters
        {choice(3, QStringLiteral("问A.一B.二D.四"), QStringLiteral("B")), false},       // a gap
        {choice(4, QStringLiteral("问A.一B.二C.三"), QStringLiteral("E")), false},       // an answer it does not print
        {choice(5, QStringLiteral("问A.一B.二C.三"), QString()), false},
        {{QuestionType::TrueFalse, 6, QStringLiteral("判断A.一B.二"), QStringLiteral("√"), {}, 1, {}}, false}, // not a choice bank
    };
    for (const auto &c : cases)
        EXPECT_EQ(optionsMayMove(c.question), c.moves) << c.question.text.toStdString();
}

TEST(PaperLayout, LinesBreakBetweenCharactersAndLatinWords)
{
    const PaperFont font; // size 37: a Chinese character 37 wide, ASCII 18.5
    const struct {
        const char *text;
        double width;
        QStringList lines;
    } cases[] = {
        {"一二三四五", 37 * 2, {"一二", "三四", "五"}},
        {"ab cd", 18.5 * 4, {"ab", "cd"}},
        {"甲\n乙", 1000, {"甲", "乙"}},
        {"一二。三", 37 * 2, {"一二。", "三"}}, // closing punctuation stays on its line
        {"", 100, {""}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(breakLines(QString::fromUtf8(c.text), font, c.width, c.width, kMeasure), c.lines) << c.text;
}
