#include "bank/QuestionBank.h"

#include "data/DataStore.h"
#include "data/TextRules.h"

#include <limits>

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

QStringList questionCells(const RowSet &row)
{
    const QString number = row.value(kNumber).toText();
    return {number,
            row.value(QStringLiteral("题目")).toText(),
            row.value(QStringLiteral("标准答案")).toText(),
            row.value(QStringLiteral("解析")).toText(),
            row.value(QStringLiteral("分值")).toText(),
            row.value(QStringLiteral("章节")).toText(),
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

std::vector<qint64> saveNewQuestions(DataStore &store, const QString &type, const std::vector<QuestionTexts> &rows)
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
    Transaction unit(store);
    const std::optional<qint64> highest = bank::maxNumber(store, type);
    if (!unit.isOpen() || !highest)
        return numbers;
    if (*highest > std::numeric_limits<qint64>::max() - qint64(values.size())) {
        store.noteFailure(QStringLiteral("题号已到最大值，不能再添加题目"));
        return numbers;
    }
    // A row that cannot be stored whole abandons the unit: nothing is stored.
    if (!bank::insertQuestions(store, type, *highest + 1, values) || !unit.commit())
        return numbers;
    for (size_t k = 0; k < typed.size(); ++k)
        numbers[typed[k]] = *highest + 1 + qint64(k);
    return numbers;
}

bool clearBank(DataStore &store, const QString &type)
{
    Transaction unit(store);
    return unit.isOpen() && bank::clearBank(store, type) && unit.commit();
}

bool deleteQuestion(DataStore &store, const QString &type, qint64 rowId)
{
    Transaction unit(store);
    return unit.isOpen() && bank::deleteQuestion(store, type, rowId) && unit.commit();
}

int fittedRowCount(int rowCount, int target, const std::function<bool(int)> &rowHasText)
{
    if (target < 1)
        return rowCount;
    if (rowCount <= target)
        return target;
    int kept = rowCount;
    while (kept > target && !rowHasText(kept - 1))
        --kept;
    return kept;
}

} // namespace kaoshi
