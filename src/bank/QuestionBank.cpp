#include "bank/QuestionBank.h"

#include "data/DataStore.h"
#include "data/SqlText.h"
#include "data/TextRules.h"

namespace kaoshi {

namespace {

const QString kNumber = QStringLiteral("题号");

QString containsClause(const QString &column, const QString &quoted)
{
    return column + QStringLiteral(" like '%") + quoted + QStringLiteral("%'");
}

// Moves every row of `select` (ascending 题号 > n) down by one with `update`,
// which receives the old and the new number.
bool closeGap(DataStore &store, const QString &select, const std::function<QString(qint64, qint64)> &update)
{
    RecordCursor later = store.openCursor(select, CursorKind::Sql);
    qint64 previous = -1;
    for (bool more = later.first(); more; more = later.next()) {
        qint64 k = 0;
        if (!later.readInteger(kNumber, k))
            return false;
        // Several picture rows share one number; the first statement moves all.
        if (k == previous)
            continue;
        previous = k;
        if (!store.execute(update(k, k - 1)))
            return false;
    }
    return true;
}

} // namespace

const QStringList &bankColumnTitles()
{
    static const QStringList titles{kNumber,           QStringLiteral("题目"), QStringLiteral("标准答案"),
                                    QStringLiteral("解析"), QStringLiteral("分值"), QStringLiteral("章节"),
                                    kNumber};
    return titles;
}

QString searchStatement(const QString &type, const QString &searchText)
{
    if (searchText.isEmpty())
        return QStringLiteral("select * from ") + type + QStringLiteral(" order by 题号");
    const QString q = sqlText(searchText);
    return QStringLiteral("select * from ") + type + QStringLiteral(" where ") +
           containsClause(QStringLiteral("题目"), q) + QStringLiteral("or ") +
           containsClause(QStringLiteral("标准答案"), q) + QStringLiteral("or ") +
           containsClause(QStringLiteral("解析"), q) + QStringLiteral("or ") +
           containsClause(QStringLiteral("分值"), q) + QStringLiteral(" order by 题号");
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

qint64 maxQuestionNumber(DataStore &store, const QString &type)
{
    RowSet rows = store.query(QStringLiteral("select max(题号) AS 最大值 from ") + type);
    return qint64(rows.value(QStringLiteral("最大值")).toNumber());
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

bool insertQuestion(RecordCursor &bank, qint64 number, const QuestionValues &values)
{
    return bank.addNew() && bank.setInteger(kNumber, number) &&
           bank.setText(QStringLiteral("题目"), values.text) &&
           bank.setText(QStringLiteral("标准答案"), values.answer) &&
           bank.setText(QStringLiteral("解析"), values.explanation) &&
           bank.setNumber(QStringLiteral("分值"), values.score) &&
           bank.setText(QStringLiteral("章节"), values.chapter) && bank.update();
}

std::vector<qint64> saveNewQuestions(DataStore &store, const QString &type,
                                     const std::vector<QuestionTexts> &rows)
{
    std::vector<qint64> numbers(rows.size(), 0);
    DataStore::Transaction unit(store);
    RecordCursor bank = store.openCursor(type, CursorKind::Table);
    qint64 m = maxQuestionNumber(store, type);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].number.isEmpty())
            continue;
        // A row that cannot be stored whole abandons the unit: nothing is
        // stored, and no half-built row is left to take a number.
        if (!insertQuestion(bank, m + 1, typedRowValues(rows[i])))
            return std::vector<qint64>(rows.size(), 0);
        numbers[i] = ++m;
    }
    bank.close();
    if (!unit.commit())
        std::fill(numbers.begin(), numbers.end(), 0);
    return numbers;
}

bool clearBank(DataStore &store, const QString &type)
{
    DataStore::Transaction unit(store);
    RecordCursor bank = store.openCursor(type, CursorKind::Table);
    if (!bank.deleteAll())
        return false;
    bank.close();
    if (!store.execute(QStringLiteral("delete * from 图片 where 题型='") + sqlText(type) + QStringLiteral("'")))
        return false;
    return unit.commit();
}

bool deleteQuestion(DataStore &store, const QString &type, qint64 number)
{
    const QString n = sqlNumber(number);
    const QString ofType = QStringLiteral("题型='") + sqlText(type) + QStringLiteral("'");
    DataStore::Transaction unit(store);
    if (!store.execute(QStringLiteral("delete * from ") + type + QStringLiteral(" where 题号=") + n) ||
        !store.execute(QStringLiteral("delete * from 图片 where ") + ofType + QStringLiteral(" and 题号=") + n))
        return false;
    const bool renumbered =
        closeGap(store,
                 QStringLiteral("select * from ") + type + QStringLiteral(" where 题号>") + n +
                     QStringLiteral(" order by 题号"),
                 [&](qint64 k, qint64 to) {
                     return QStringLiteral("update ") + type + QStringLiteral(" set 题号=") + sqlNumber(to) +
                            QStringLiteral(" where 题号=") + sqlNumber(k);
                 }) &&
        closeGap(store,
                 QStringLiteral("select * from 图片 where ") + ofType + QStringLiteral(" and 题号>") + n +
                     QStringLiteral(" order by 题号"),
                 [&](qint64 k, qint64 to) {
                     return QStringLiteral("update 图片 set 题号=") + sqlNumber(to) + QStringLiteral(" where ") +
                            ofType + QStringLiteral(" and 题号=") + sqlNumber(k);
                 });
    return renumbered && unit.commit();
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
