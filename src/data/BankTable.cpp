#include "data/BankTable.h"

#include "data/PictureTable.h"
#include "data/Schema.h"
#include "data/TextRules.h"

#include <QRegularExpression>
#include <cmath>

namespace kaoshi::bank {

namespace {

// Rows fetched by identity per statement.
constexpr qsizetype kIdsPerStatement = 500;

// A table name is only ever one of the four banks.
bool checkedBank(DataStore &store, const QString &type)
{
    if (isQuestionType(type))
        return true;
    store.noteFailure(QStringLiteral("“%1”不是题库").arg(type));
    return false;
}

// "%text%" for like, with the wildcards of the typed text taken literally.
QString containsPattern(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('%'), QLatin1String("\\%"));
    escaped.replace(QLatin1Char('_'), QLatin1String("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

std::optional<std::vector<qint64>> readIds(RowSet rows)
{
    std::vector<qint64> ids;
    for (; !rows.atEnd(); rows.next())
        ids.push_back(rows.value(1).toInteger());
    if (rows.failed())
        return std::nullopt;
    return ids;
}

} // namespace

std::optional<FieldValue> numberValue(const QString &typed)
{
    static const QRegularExpression decimal(QStringLiteral(R"(^\s*[+-]?(\d+(\.\d*)?|\.\d+)\s*$)"));
    if (!decimal.match(typed).hasMatch())
        return std::nullopt;
    const QString text = typed.trimmed();
    bool whole = false;
    const qint64 integer = text.toLongLong(&whole);
    if (whole)
        return FieldValue::integer(integer);
    bool ok = false;
    const double real = text.toDouble(&ok);
    if (!ok || !std::isfinite(real))
        return std::nullopt;
    return FieldValue::real(real);
}

bool Bounds::isEmpty() const { return numberIsZero(textToNumber(upper)); }

Bounds readBounds(DataStore &store, const QString &type)
{
    Bounds bounds;
    if (!checkedBank(store, type)) {
        bounds.failed = true;
        bounds.error = store.lastError();
        return bounds;
    }
    RowSet rows = store.query(QStringLiteral("select min(题号) AS 最小值, max(题号) AS 最大值 from ") + type);
    bounds.lower = rows.value(QStringLiteral("最小值")).toText();
    bounds.upper = rows.value(QStringLiteral("最大值")).toText();
    if (rows.failed()) {
        bounds.failed = true;
        bounds.error = rows.error();
    }
    return bounds;
}

std::optional<qint64> maxNumber(DataStore &store, const QString &type)
{
    if (!checkedBank(store, type))
        return std::nullopt;
    RowSet rows = store.query(QStringLiteral("select max(题号) AS 最大值 from ") + type);
    if (rows.failed())
        return std::nullopt;
    const FieldValue highest = rows.value(QStringLiteral("最大值"));
    if (highest.isNull())
        return 0;
    if (highest.type() != FieldValue::Type::Integer) {
        store.noteFailure(QStringLiteral("最大的题号“%1”不是整数").arg(highest.toText()));
        return std::nullopt;
    }
    return highest.toInteger();
}

RecordCursor questionByNumber(DataStore &store, const QString &type, const FieldValue &number)
{
    if (!checkedBank(store, type))
        return {};
    return store.openCursor(QStringLiteral("select * from ") + type + QStringLiteral(" where 题号=?"),
                            CursorKind::Sql, {number});
}

RecordCursor questionByRowId(DataStore &store, const QString &type, qint64 rowId)
{
    if (!checkedBank(store, type))
        return {};
    return store.openCursor(QStringLiteral("select * from ") + type + QStringLiteral(" where rowid=?"),
                            CursorKind::Sql, {rowId});
}

std::optional<qint64> questionCount(DataStore &store, const QString &type)
{
    if (!checkedBank(store, type))
        return std::nullopt;
    RowSet rows = store.query(QStringLiteral("select count(*) from ") + type);
    if (rows.failed() || rows.atEnd())
        return std::nullopt;
    return rows.value(1).toInteger();
}

std::optional<std::vector<qint64>> questionNumbers(DataStore &store, const QString &type)
{
    if (!checkedBank(store, type))
        return std::nullopt;
    return readIds(store.query(QStringLiteral("select distinct 题号 from ") + type +
                               QStringLiteral(" where 题号 is not null order by 题号")));
}

std::optional<std::vector<qint64>> chapterQuestionNumbers(DataStore &store, const QString &type,
                                                          const QString &chapter)
{
    if (!checkedBank(store, type))
        return std::nullopt;
    return readIds(store.query(QStringLiteral("select distinct 题号 from ") + type +
                                   QStringLiteral(" where coalesce(章节,'')=? and 题号 is not null order by 题号"),
                               {chapter}));
}

bool saveAnswer(DataStore &store, const QString &type, const FieldValue &number, const QString &answer)
{
    return checkedBank(store, type) &&
           store.execute(QStringLiteral("update ") + type + QStringLiteral(" set 练习答案=? where 题号=?"),
                         {answer, number});
}

bool clearAnswers(DataStore &store, const QString &type)
{
    return checkedBank(store, type) && store.execute(QStringLiteral("update ") + type + QStringLiteral(" set 练习答案=''"));
}

std::optional<std::vector<qint64>> listRowIds(DataStore &store, const QString &type, const QString &searchText)
{
    if (!checkedBank(store, type))
        return std::nullopt;
    if (searchText.isEmpty())
        return readIds(store.query(QStringLiteral("select rowid from ") + type + QStringLiteral(" order by 题号")));
    const QString pattern = containsPattern(searchText);
    return readIds(store.query(QStringLiteral("select rowid from ") + type +
                                   QStringLiteral(" where 题目 like ?1 escape '\\' or 标准答案 like ?1 escape '\\' "
                                                  "or 解析 like ?1 escape '\\' or 分值 like ?1 escape '\\' "
                                                  "order by 题号"),
                               {pattern}));
}

RowSet rowsById(DataStore &store, const QString &type, std::span<const qint64> rowIds)
{
    if (!checkedBank(store, type) || rowIds.empty())
        return {};
    Values ids;
    ids.reserve(qsizetype(rowIds.size()));
    for (qint64 id : rowIds)
        ids.append(id);
    QString marks(qsizetype(rowIds.size()) * 2 - 1, QLatin1Char('?'));
    for (qsizetype i = 1; i < marks.size(); i += 2)
        marks[i] = QLatin1Char(',');
    return store.query(QStringLiteral("select rowid as 行号, * from ") + type + QStringLiteral(" where rowid in (") +
                           marks + QLatin1Char(')'),
                       ids);
}

std::optional<std::vector<RowKey>> listWrongQuestions(DataStore &store)
{
    std::vector<RowKey> keys;
    const QStringList &types = questionTypes();
    for (int b = 0; b < types.size(); ++b) {
        const auto ids = readIds(store.query(QStringLiteral("select rowid from ") + types[b] +
                                             QStringLiteral(" where 练习答案<>'' and 练习答案<>标准答案 order by 题号")));
        if (!ids)
            return std::nullopt;
        for (qint64 id : *ids)
            keys.push_back({b, id});
    }
    return keys;
}

bool insertQuestions(DataStore &store, const QString &type, qint64 first, std::span<const QuestionValues> questions)
{
    if (!checkedBank(store, type))
        return false;
    Transaction unit(store);
    if (!unit.isOpen())
        return false;
    RecordCursor bank = store.openCursor(type, CursorKind::Table);
    qint64 number = first;
    for (const QuestionValues &q : questions) {
        if (!(bank.addNew() && bank.setInteger(QStringLiteral("题号"), number++) &&
              bank.setText(QStringLiteral("题目"), q.text) && bank.setText(QStringLiteral("标准答案"), q.answer) &&
              bank.setText(QStringLiteral("解析"), q.explanation) && bank.setNumber(QStringLiteral("分值"), q.score) &&
              bank.setText(QStringLiteral("章节"), q.chapter) && bank.update()))
            return false;
    }
    bank.close();
    return unit.commit();
}

bool updateQuestion(DataStore &store, const QString &type, qint64 rowId, const QuestionValues &values)
{
    // As a question stored anew, it starts without a practice answer.
    return checkedBank(store, type) &&
           store.execute(QStringLiteral("update ") + type +
                             QStringLiteral(" set 题目=?, 标准答案=?, 解析=?, 分值=?, 章节=?, 练习答案=NULL where rowid=?"),
                         {values.text, values.answer, values.explanation, values.score, values.chapter, rowId}) &&
           store.changes() == 1;
}

bool deleteQuestion(DataStore &store, const QString &type, qint64 rowId)
{
    if (!checkedBank(store, type))
        return false;
    RowSet row = store.query(QStringLiteral("select 题号 from ") + type + QStringLiteral(" where rowid=?"), {rowId});
    if (row.failed())
        return false;
    if (row.atEnd()) {
        store.noteFailure(QStringLiteral("这道题已不在题库中"));
        return false;
    }
    const FieldValue number = row.value(1);
    row.close();
    if (!store.execute(QStringLiteral("delete * from ") + type + QStringLiteral(" where rowid=?"), {rowId}))
        return false;
    RowSet others = store.query(QStringLiteral("select count(*) from ") + type + QStringLiteral(" where 题号=?"),
                                {number});
    if (others.failed())
        return false;
    // A duplicate number keeps its pictures and the numbering as it is.
    if (others.value(1).toInteger() > 0 || number.type() != FieldValue::Type::Integer)
        return true;
    others.close();
    const qint64 n = number.toInteger();
    return pictures::removeOfQuestion(store, type, n) &&
           store.execute(QStringLiteral("update ") + type + QStringLiteral(" set 题号=题号-1 where 题号>?"), {n}) &&
           pictures::closeGapAfter(store, type, n);
}

bool clearBank(DataStore &store, const QString &type)
{
    if (!checkedBank(store, type))
        return false;
    RecordCursor bank = store.openCursor(type, CursorKind::Table);
    return bank.deleteAll() && pictures::removeOfBank(store, type);
}

bool clearAllBanks(DataStore &store)
{
    Transaction unit(store);
    if (!unit.isOpen())
        return false;
    for (const QString &type : questionTypes())
        if (!clearBank(store, type))
            return false;
    return unit.commit();
}

std::optional<QStringList> duplicateNumbers(DataStore &store, const QString &type)
{
    if (!checkedBank(store, type))
        return std::nullopt;
    return firstColumnTexts(store.query(QStringLiteral("select 题号 from ") + type +
                                 QStringLiteral(" group by 题号 having count(*)>1")));
}

std::optional<QStringList> questionTexts(DataStore &store, const QString &type)
{
    if (!checkedBank(store, type))
        return std::nullopt;
    return firstColumnTexts(store.query(QStringLiteral("select 题目 from ") + type));
}

QStringList chapters(DataStore &store)
{
    return firstColumnTexts(store.query(QStringLiteral(
                         "select distinct(章节) from (select 章节 from 单选 union all select 章节 from 多选 "
                         "union all select 章节 from 判断 union all select 章节 from 问答) order by 章节")))
        .value_or(QStringList());
}

std::optional<std::vector<NumberedQuestion>> questionsByNumber(DataStore &store, const QString &type,
                                                               std::span<const qint64> numbers)
{
    if (!checkedBank(store, type))
        return std::nullopt;
    std::vector<NumberedQuestion> questions;
    questions.reserve(numbers.size());
    const QString sql = QStringLiteral("select 题目,标准答案,解析,分值,章节 from ") + type +
                        QStringLiteral(" where 题号=? order by rowid limit 1");
    for (const qint64 number : numbers) {
        RowSet rows = store.query(sql, {number});
        if (rows.failed())
            return std::nullopt;
        if (rows.atEnd())
            continue;
        questions.push_back({number, {rows.value(1).toText(), rows.value(2).toText(), rows.value(3).toText(),
                                      rows.value(4).toNumber(), rows.value(5).toText()}});
    }
    return questions;
}

} // namespace kaoshi::bank
