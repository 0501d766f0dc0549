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

std::optional<NumberedCount> numberedCount(DataStore &store, const QString &type)
{
    if (!checkedBank(store, type))
        return std::nullopt;
    RowSet rows = store.query(QStringLiteral("select (select count(*) from ") + type +
                              QStringLiteral(" where 题号 is not null), (select count(*) from ") + type +
                              QStringLiteral(" where 题号 is null)"));
    if (rows.failed() || rows.atEnd())
        return std::nullopt;
    return NumberedCount{rows.value(1).toInteger(), rows.value(2).toInteger()};
}

RowSet numberedRows(DataStore &store, const QString &type, const std::optional<ListPosition> &from, bool backwards,
                    qint64 offset, qint64 limit)
{
    if (!checkedBank(store, type))
        return {};
    const QString order = backwards ? QStringLiteral(" order by 题号 desc, rowid desc") : QStringLiteral(" order by 题号, rowid");
    const QString select = QStringLiteral("select rowid as 行号, * from ") + type;
    if (!from)
        return store.query(select + QStringLiteral(" where 题号 is not null") + order + QStringLiteral(" limit ? offset ?"),
                           {limit, offset});
    // The index on 题号 holds the rowid too, so the range and the order come from it.
    const QString after = backwards ? QStringLiteral(" where 题号<=?1 and (题号<?1 or rowid<?2)")
                                    : QStringLiteral(" where 题号>=?1 and (题号>?1 or rowid>?2)");
    return store.query(select + after + order + QStringLiteral(" limit ?3 offset ?4"),
                       {from->number, from->rowId, limit, offset});
}

std::optional<QStringList> duplicateNumbersBetween(DataStore &store, const QString &type, const FieldValue &low,
                                                   const FieldValue &high)
{
    if (!checkedBank(store, type))
        return std::nullopt;
    return firstColumnTexts(store.query(QStringLiteral("select 题号 from ") + type +
                                            QStringLiteral(" where 题号 between ? and ? group by 题号 having count(*)>1"),
                                        {low, high}));
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
    // Many rows per statement: a long list is stored at the engine's pace.
    constexpr size_t kRowsPerStatement = 100;
    Transaction unit(store);
    if (!unit.isOpen())
        return false;
    qint64 number = first;
    for (size_t from = 0; from < questions.size(); from += kRowsPerStatement) {
        const size_t count = std::min(kRowsPerStatement, questions.size() - from);
        QString sql = QStringLiteral("insert into ") + type + QStringLiteral(" (题号, 题目, 标准答案, 解析, 分值, 章节) values ");
        Values values;
        values.reserve(qsizetype(count) * 6);
        for (size_t i = from; i < from + count; ++i) {
            const QuestionValues &q = questions[i];
            sql += i == from ? QStringLiteral("(?,?,?,?,?,?)") : QStringLiteral(",(?,?,?,?,?,?)");
            values << number++ << q.text << q.answer << q.explanation << q.score << q.chapter;
        }
        if (!store.execute(sql, values))
            return false;
    }
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

namespace {
// The spaces trimSpaces takes off, for the engine's trim().
const QString kTrimmed = QStringLiteral(" \u3000");
constexpr qsizetype kTextsPerLookup = 500;
} // namespace

QuestionTextIndex::QuestionTextIndex(DataStore &store, QString type) : m_store(store), m_type(std::move(type))
{
    m_made = checkedBank(store, m_type) &&
             store.execute(QStringLiteral("drop table if exists temp.导入对照")) &&
             store.execute(QStringLiteral("create temp table 导入对照 (题目 TEXT PRIMARY KEY) without rowid"));
}

QuestionTextIndex::~QuestionTextIndex()
{
    if (m_made)
        m_store.execute(QStringLiteral("drop table if exists temp.导入对照"));
}

std::optional<bool> QuestionTextIndex::fill(qint64 rows)
{
    if (!m_made)
        return std::nullopt;
    if (m_complete)
        return true;
    // The next stretch of rows by rowid, then its last rowid to go on from.
    RowSet last = m_store.query(QStringLiteral("select max(rowid), count(*) from (select rowid from ") + m_type +
                                    QStringLiteral(" where rowid>? order by rowid limit ?)"),
                                {m_lastRowId, rows});
    if (last.failed())
        return std::nullopt;
    const FieldValue upTo = last.value(1);
    const bool lastStretch = last.value(2).toInteger() < rows;
    last.close();
    if (upTo.isNull()) {
        m_complete = true;
        return true;
    }
    if (!m_store.execute(QStringLiteral("insert or ignore into temp.导入对照 select trim(题目, ?) from ") + m_type +
                             QStringLiteral(" where rowid>? and rowid<=? and 题目 is not null"),
                         {kTrimmed, m_lastRowId, upTo}))
        return std::nullopt;
    m_lastRowId = upTo.toInteger();
    m_complete = lastStretch;
    return m_complete;
}

std::optional<QSet<QString>> QuestionTextIndex::present(const QStringList &texts)
{
    QSet<QString> found;
    for (qsizetype from = 0; from < texts.size(); from += kTextsPerLookup) {
        const qsizetype count = std::min(kTextsPerLookup, texts.size() - from);
        Values values;
        values.reserve(count);
        for (qsizetype i = from; i < from + count; ++i)
            values.append(texts[i]);
        QString marks(count * 2 - 1, QLatin1Char('?'));
        for (qsizetype i = 1; i < marks.size(); i += 2)
            marks[i] = QLatin1Char(',');
        const std::optional<QStringList> hits = firstColumnTexts(
            m_store.query(QStringLiteral("select 题目 from temp.导入对照 where 题目 in (") + marks + u')', values));
        if (!hits)
            return std::nullopt;
        for (const QString &hit : *hits)
            found.insert(hit);
    }
    return found;
}

QStringList chapters(DataStore &store)
{
    return firstColumnTexts(store.query(QStringLiteral(
                         "select distinct(章节) from (select 章节 from 单选 union all select 章节 from 多选 "
                         "union all select 章节 from 判断 union all select 章节 from 问答) order by 章节")))
        .value_or(QStringList());
}

} // namespace kaoshi::bank
