#include "exam/PrintedPaper.h"

#include "bank/PictureFiles.h"
#include "data/BankTable.h"
#include "data/PictureLocation.h"
#include "data/PictureTable.h"
#include "data/TextRules.h"
#include "exam/ExamPaper.h"
#include "exam/OptionOrder.h"
#include "practice/QuestionLayout.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cmath>

namespace kaoshi {

namespace {

// A small generator whose sequence is fixed by its seed alone (SplitMix64),
// so a stored seed gives the same variant on any machine and any Qt.
class SeededOrder
{
public:
    explicit SeededOrder(qint64 seed) : m_state(quint64(seed)) {}

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 … n − 1.
    size_t below(size_t n) { return size_t((unsigned __int128)next() * n >> 64); }

    template <typename T>
    void shuffle(T &items)
    {
        for (size_t i = items.size(); i > 1; --i)
            std::swap(items[i - 1], items[below(i)]);
    }

private:
    quint64 m_state;
};

// One file per stored picture inside the folder image; "" for one that the
// server does not hold, which the paper prints as a picture that could not
// be read.
QStringList pictureFilesOf(DataStore &store, const QString &programDir, QuestionType type, qint64 number)
{
    QStringList files;
    const std::unique_ptr<PictureFiles> shown = pictureFilesFor(store, programDir);
    if (const auto records = pictures::load(store, type, number))
        for (const PictureRecord &record : *records)
            if (!pictureFile(programDir, record.location).isEmpty())
                files << shown->fileToShow(record.location);
    return files;
}

// The questions of one bank with these 题号, as the paper prints them.
bool appendQuestions(DataStore &store, const QString &programDir, QuestionType type,
                     const std::vector<qint64> &numbers, PaperQuestions &into)
{
    const auto read = bank::questionsByNumber(store, type, numbers);
    if (!read)
        return false;
    for (const bank::NumberedQuestion &question : *read)
        into.push_back({type, question.number, question.values.text, question.values.answer,
                        question.values.explanation, question.values.score,
                        pictureFilesOf(store, programDir, type, question.number)});
    return true;
}

} // namespace

qint64 variantSeed(qint64 runSeed, int index)
{
    SeededOrder order(runSeed + index);
    return qint64(order.next() >> 1);
}

bool optionsMayMove(const PaperQuestion &question)
{
    return optionsMayMove(question.type, question.text, question.answer);
}

PrintedVariant makeVariant(const PaperQuestions &questions, int index, qint64 seed, bool shuffleQuestions,
                           bool shuffleOptions)
{
    SeededOrder order(seed);
    PrintedVariant variant{index, seed, {}};
    variant.items.reserve(questions.size());
    for (const QuestionType type : allQuestionTypes()) {
        std::vector<const PaperQuestion *> section;
        for (const PaperQuestion &question : questions)
            if (question.type == type)
                section.push_back(&question);
        if (shuffleQuestions)
            order.shuffle(section);
        for (const PaperQuestion *question : section) {
            PrintedItem item{type, question->number, {}};
            if (shuffleOptions && optionsMayMove(*question)) {
                for (int i = 0; i < splitQuestionText(question->text).options.size(); ++i)
                    item.optionOrder << i;
                order.shuffle(item.optionOrder);
            }
            variant.items.push_back(std::move(item));
        }
    }
    return variant;
}

PresentedQuestion presentQuestion(const PaperQuestion &question, const PrintedItem &item)
{
    PresentedQuestion shown;
    shown.answer = trimSpaces(question.answer);
    if (!hasOptions(question.type)) {
        shown.stem = question.text;
        return shown;
    }
    const QuestionParts parts = splitQuestionText(question.text);
    shown.stem = parts.stem;
    shown.options = parts.options;
    if (!orderFits(item.optionOrder, int(parts.options.size())))
        return shown;
    shown.options = optionsInOrder(parts.options, item.optionOrder);
    shown.answer = shownLettersOf(item.optionOrder, shown.answer);
    return shown;
}

QString bankAnswerOf(const PrintedItem &item, const QString &printedAnswer)
{
    // A letter the paper did not print stays as typed, and counts wrong.
    return hasOptions(item.type) ? ownLettersOf(item.optionOrder, printedAnswer) : printedAnswer;
}

const PaperQuestion *findQuestion(const PaperQuestions &questions, const PrintedItem &item)
{
    for (const PaperQuestion &question : questions)
        if (question.type == item.type && question.number == item.number)
            return &question;
    return nullptr;
}

std::vector<KeyEntry> variantKey(const PaperQuestions &questions, const PrintedVariant &variant)
{
    std::vector<KeyEntry> key;
    for (const PrintedItem &item : variant.items) {
        const PaperQuestion *question = findQuestion(questions, item);
        if (!question)
            continue;
        key.push_back({int(key.size()) + 1, item.type, presentQuestion(*question, item).answer, question->score,
                       question->explanation});
    }
    return key;
}

QString sectionHeading(int ordinal, QuestionType type, const std::vector<double> &scores)
{
    static const QStringList names{QStringLiteral("单项选择题"), QStringLiteral("多项选择题"),
                                   QStringLiteral("判断题"), QStringLiteral("问答题")};
    static const QString numerals = QStringLiteral("一二三四五六七八九十");
    double total = 0;
    for (const double score : scores)
        total += score;
    const bool same = !scores.empty() && std::all_of(scores.begin(), scores.end(), [&](double s) {
        return numberIsZero(s - scores.front());
    });
    const QString counted = same ? QStringLiteral("每题%1分").arg(numberToText(scores.front()))
                                 : QStringLiteral("共%1题").arg(scores.size());
    return numerals.mid(ordinal % numerals.size(), 1) + QStringLiteral("、") + names[typeIndex(type)] +
           QStringLiteral("（%1，共%2分）").arg(counted, numberToText(total));
}

int answerLineCount(double score)
{
    return std::clamp(int(std::ceil(score * 1.5)), 3, 30);
}

PaperQuestionDraw drawPaperQuestions(DataStore &store, const QString &programDir, const std::array<qint64, 4> &counts,
                                     QRandomGenerator &generator)
{
    PaperQuestionDraw draw;
    draw.wanted = counts;
    for (const QuestionType type : allQuestionTypes()) {
        const qint64 count = counts[size_t(typeIndex(type))];
        if (count <= 0)
            continue;
        const auto numbers = bank::questionNumbers(store, type);
        if (!numbers) {
            draw.failed = true;
            return draw;
        }
        std::vector<qint64> chosen = drawDistinct(*numbers, count, generator);
        std::sort(chosen.begin(), chosen.end());
        if (!appendQuestions(store, programDir, type, chosen, draw.questions)) {
            draw.failed = true;
            return draw;
        }
    }
    return draw;
}

PaperRunDraw drawPaperRun(DataStore &store, const QString &programDir, const PaperPlan &plan, qint64 runSeed,
                          const QString &printedAt)
{
    PaperRunDraw draw;
    const quint32 seedWords[2] = {quint32(runSeed), quint32(quint64(runSeed) >> 32)};
    QRandomGenerator generator(seedWords, 2);
    PaperQuestionDraw drawn = drawPaperQuestions(store, programDir, plan.counts, generator);
    if (drawn.failed) {
        draw.failed = true;
        return draw;
    }
    draw.questions = std::move(drawn.questions);
    draw.run.title = plan.title.trimmed();
    draw.run.occasion = plan.occasion.trimmed();
    draw.run.printedAt = printedAt;
    for (int index = 0; index < std::clamp(plan.variants, 1, kMaxVariants); ++index)
        draw.run.variants.push_back(makeVariant(draw.questions, index, variantSeed(runSeed, index),
                                                plan.shuffleQuestions, plan.shuffleOptions));
    return draw;
}

std::optional<PaperQuestions> questionsOfRun(DataStore &store, const QString &programDir, const PrintedRun &run)
{
    std::array<std::vector<qint64>, 4> numbers;
    if (!run.variants.empty())
        for (const PrintedItem &item : run.variants.front().items)
            numbers[size_t(typeIndex(item.type))].push_back(item.number);
    PaperQuestions questions;
    for (const QuestionType type : allQuestionTypes()) {
        std::vector<qint64> &ofType = numbers[size_t(typeIndex(type))];
        std::sort(ofType.begin(), ofType.end());
        if (!ofType.empty() && !appendQuestions(store, programDir, type, ofType, questions))
            return std::nullopt;
    }
    return questions;
}

} // namespace kaoshi
