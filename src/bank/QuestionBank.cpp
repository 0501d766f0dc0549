#include "bank/QuestionBank.h"

#include "data/DataStore.h"
#include "data/TextRules.h"


namespace kaoshi {

namespace {
const QString kNumber = QStringLiteral("题号");
} // namespace

const QStringList &bankColumnTitles()
{
    static const QStringList titles{kNumber,           QStringLiteral("题目"), QStringLiteral("标准答案"),
                                    QStringLiteral("解析"), QStringLiteral("分值"), QStringLiteral("章节"),
                                    kNumber};
    return titles;
}

QStringList questionCells(const Question &question)
{
    const QString number = question.number.toText();
    return {number, question.text, question.answer, question.explanation, question.score.toText(), question.chapter,
            number};
}

QuestionValues trimmedValues(const QuestionTexts &texts)
{
    return {trimSpaces(texts.text), trimSpaces(texts.answer), trimSpaces(texts.explanation),
            textToNumber(trimSpaces(texts.score)), trimSpaces(texts.chapter)};
}

QuestionValues typedRowValues(const QuestionTexts &texts)
{
    QuestionValues values = trimmedValues(texts);
    values.text = upperAscii(values.text);
    values.answer = upperAscii(values.answer);
    return values;
}

std::vector<qint64> saveNewQuestions(DataStore &store, QuestionType type, const std::vector<QuestionTexts> &rows)
{
    std::vector<qint64> numbers(rows.size(), 0);
    std::vector<QuestionValues> values;
    std::vector<size_t> typed;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].number.isEmpty()) {
            values.push_back(typedRowValues(rows[i]));
            typed.push_back(i);
        }
    }
    if (values.empty())
        return numbers;
    // A row that cannot be stored whole abandons the unit: nothing is stored.
    const std::optional<qint64> first = bank::appendQuestions(store, type, values);
    if (!first)
        return numbers;
    for (size_t k = 0; k < typed.size(); ++k)
        numbers[typed[k]] = *first + qint64(k);
    return numbers;
}

bool clearBank(DataStore &store, QuestionType type)
{
    Transaction unit(store);
    return unit.isOpen() && bank::clearBank(store, type) && unit.commit();
}

bool deleteQuestion(DataStore &store, QuestionType type, qint64 rowId)
{
    Transaction unit(store);
    return unit.isOpen() && bank::deleteQuestion(store, type, rowId) && unit.commit();
}

} // namespace kaoshi
