#include "data/BankTable.h"

#include "data/PictureFileTable.h"
#include "data/PictureTable.h"
#include "data/Schema.h"
#include "data/TextRules.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace kaoshi::bank {

namespace {

// Rows fetched by identity per statement.
constexpr qsizetype kIdsPerStatement = 500;

// The bank names are the four fixed words, never user text.
QString from(QuestionType type) { return QStringLiteral(" from ") + tableName(type); }

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

// The columns of a question, in the order readQuestion takes them.
QString questionColumns(DataStore &store)
{
    return QStringLiteral("select ") + store.engine().rowIdColumn() +
           QStringLiteral(", 题号, 题目, 标准答案, 解析, 分值, 章节, 练习答案");
}

Question readQuestion(const RowSet &row, QuestionType type)
{
    return {type,
            row.value(1).toInteger(),
            row.value(2),
            row.value(3).toText(),
            row.value(4).toText(),
            row.value(5).toText(),
            row.value(6),
            row.value(7).toText(),
            row.value(8).toText()};
}

// Every question of the rows; nothing when they could not all be read.
std::optional<std::vector<Question>> readQuestions(RowSet &rows, QuestionType type)
{
    std::vector<Question> questions;
    for (; !rows.atEnd(); rows.next())
        questions.push_back(readQuestion(rows, type));
    if (rows.failed())
        return std::nullopt;
    return questions;
}

// One prepared insert for every question, numbered from first; the values
// of a row are made as it is stored.
bool insertRows(DataStore &store, QuestionType type, qint64 first, std::span<const QuestionValues> questions)
{
    return store.executeEach(QStringLiteral("insert into ") + tableName(type) +
                                 QStringLiteral(" (题号, 题目, 标准答案, 解析, 分值, 章节) values (?, ?, ?, ?, ?, ?)"),
                             qsizetype(questions.size()), [&](qsizetype i) {
                                 const QuestionValues &q = questions[size_t(i)];
                                 return Values{first + i, q.text, q.answer, q.explanation, q.score, q.chapter};
                             });
}

std::optional<Question> firstQuestion(RowSet rows, QuestionType type)
{
    if (rows.atEnd())
        return std::nullopt;
    return readQuestion(rows, type);
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

Bounds readBounds(DataStore &store, QuestionType type)
{
    Bounds bounds;
    RowSet rows = store.query(QStringLiteral("select min(题号), max(题号)") + from(type));
    bounds.lower = rows.value(1).toText();
    bounds.upper = rows.value(2).toText();
    if (rows.failed()) {
        bounds.failed = true;
        bounds.error = rows.error();
    }
    return bounds;
}

std::optional<qint64> maxNumber(DataStore &store, QuestionType type)
{
    RowSet rows = store.query(QStringLiteral("select max(题号)") + from(type));
    if (rows.failed())
        return std::nullopt;
    const FieldValue highest = rows.value(1);
    if (highest.isNull())
        return 0;
    if (highest.type() != FieldValue::Type::Integer) {
        store.noteFailure(QStringLiteral("最大的题号“%1”不是整数").arg(highest.toText()));
        return std::nullopt;
    }
    return highest.toInteger();
}

std::optional<Question> questionByNumber(DataStore &store, QuestionType type, const FieldValue &number)
{
    return firstQuestion(store.query(questionColumns(store) + from(type) + QStringLiteral(" where 题号=?"), {number}),
                         type);
}

std::optional<Question> questionByRowId(DataStore &store, QuestionType type, qint64 rowId)
{
    return firstQuestion(store.query(questionColumns(store) + from(type) + QStringLiteral(" where ") +
                                         store.engine().rowIdColumn() + QStringLiteral("=?"),
                                     {rowId}),
                         type);
}

std::optional<qint64> questionCount(DataStore &store, QuestionType type)
{
    RowSet rows = store.query(QStringLiteral("select count(*)") + from(type));
    if (rows.failed() || rows.atEnd())
        return std::nullopt;
    return rows.value(1).toInteger();
}

std::optional<std::vector<qint64>> questionNumbers(DataStore &store, QuestionType type)
{
    return readIds(store.query(QStringLiteral("select distinct 题号") + from(type) +
                               QStringLiteral(" where 题号 is not null order by 题号")));
}

std::optional<std::vector<qint64>> chapterQuestionNumbers(DataStore &store, QuestionType type,
                                                          const QString &chapter)
{
    return readIds(store.query(QStringLiteral("select distinct 题号") + from(type) +
                                   QStringLiteral(" where coalesce(章节,'')=? and 题号 is not null order by 题号"),
                               {chapter}));
}

bool saveAnswer(DataStore &store, QuestionType type, const FieldValue &number, const QString &answer)
{
    return store.execute(QStringLiteral("update ") + tableName(type) + QStringLiteral(" set 练习答案=? where 题号=?"),
                         {answer, number});
}

bool clearAnswers(DataStore &store, QuestionType type)
{
    return store.execute(QStringLiteral("update ") + tableName(type) + QStringLiteral(" set 练习答案=''"));
}

std::optional<bool> allBanksEmpty(DataStore &store)
{
    for (QuestionType type : allQuestionTypes()) {
        RowSet rows = store.query(QStringLiteral("select 1") + from(type) + QStringLiteral(" limit 1"));
        if (rows.failed())
            return std::nullopt;
        if (!rows.atEnd())
            return false;
    }
    return true;
}

std::optional<std::vector<qint64>> listRowIds(DataStore &store, QuestionType type, const QString &searchText)
{
    const QString select = QStringLiteral("select ") + store.engine().rowIdColumn() + from(type);
    if (searchText.isEmpty())
        return readIds(store.query(select + QStringLiteral(" order by 题号")));
    // Both engines match as a file always did: ASCII letters in either case,
    // and the number column 分值 by its text ("5", "2.5").
    return readIds(store.query(select + QStringLiteral(" where upper(题目) like upper(?) escape '\\' "
                                                       "or upper(标准答案) like upper(?) escape '\\' "
                                                       "or upper(解析) like upper(?) escape '\\' "
                                                       "or cast(分值 as text) like ? escape '\\' order by 题号"),
                               Values(4, containsPattern(searchText))));
}

std::optional<std::vector<Question>> questionsById(DataStore &store, QuestionType type,
                                                   std::span<const qint64> rowIds)
{
    std::vector<Question> questions;
    questions.reserve(rowIds.size());
    for (size_t start = 0; start < rowIds.size(); start += size_t(kIdsPerStatement)) {
        const std::span<const qint64> part = rowIds.subspan(start, std::min(rowIds.size() - start, size_t(kIdsPerStatement)));
        Values ids;
        ids.reserve(qsizetype(part.size()));
        for (qint64 id : part)
            ids.append(id);
        RowSet rows = store.query(questionColumns(store) + from(type) + QStringLiteral(" where ") +
                                      store.engine().rowIdColumn() + QStringLiteral(" in (") +
                                      placeholders(qsizetype(part.size())) + QLatin1Char(')'),
                                  ids);
        for (; !rows.atEnd(); rows.next())
            questions.push_back(readQuestion(rows, type));
        if (rows.failed())
            return std::nullopt;
    }
    return questions;
}

std::optional<std::vector<Question>> questionsOfParts(DataStore &store, const PartNumbers &parts)
{
    std::vector<Question> questions;
    QSet<QPair<int, qint64>> seen;
    // The bank's place comes last, so that the question's columns stay where
    // readQuestion takes them.
    const auto selectOf = [&store](const PartPiece &piece, Values &) {
        return questionColumns(store) + QStringLiteral(", %1").arg(typeIndex(piece.type)) + from(piece.type) +
               QStringLiteral(" where 题号 in (") + placeholders(qsizetype(piece.numbers.size())) + QLatin1Char(')');
    };
    const auto readRow = [&](const RowSet &row) {
        const QuestionType type = typeAt(int(row.value(9).toInteger())).value_or(QuestionType::SingleChoice);
        Question question = readQuestion(row, type);
        if (!seen.contains({typeIndex(type), question.number.toInteger()})) {
            seen.insert({typeIndex(type), question.number.toInteger()});
            questions.push_back(std::move(question));
        }
    };
    if (!readPartRows(store, parts, selectOf, QStringLiteral("9, 1"), readRow))
        return std::nullopt;
    return questions;
}

std::optional<NumberedCount> numberedCount(DataStore &store, QuestionType type)
{
    const QString table = tableName(type);
    RowSet rows = store.query(QStringLiteral("select (select count(*) from ") + table +
                              QStringLiteral(" where 题号 is not null), (select count(*) from ") + table +
                              QStringLiteral(" where 题号 is null)"));
    if (rows.failed() || rows.atEnd())
        return std::nullopt;
    return NumberedCount{rows.value(1).toInteger(), rows.value(2).toInteger()};
}

std::optional<std::vector<Question>> numberedRows(DataStore &store, QuestionType type,
                                                  const std::optional<ListPosition> &from, bool backwards,
                                                  qint64 offset, qint64 limit)
{
    const QString rowId = store.engine().rowIdColumn();
    const QString order = backwards ? QStringLiteral(" order by 题号 desc, %1 desc").arg(rowId)
                                    : QStringLiteral(" order by 题号, %1").arg(rowId);
    const QString select = questionColumns(store) + bank::from(type);
    RowSet rows;
    if (!from) {
        rows = store.query(select + QStringLiteral(" where 题号 is not null") + order + QStringLiteral(" limit ? offset ?"),
                           {limit, offset});
    } else {
        // The index on 题号 holds the rowid too, so the range and the order come from it.
        const QString after = backwards ? QStringLiteral(" where 题号<=?1 and (题号<?1 or %1<?2)").arg(rowId)
                                        : QStringLiteral(" where 题号>=?1 and (题号>?1 or %1>?2)").arg(rowId);
        rows = store.query(select + after + order + QStringLiteral(" limit ?3 offset ?4"),
                           {from->number, from->rowId, limit, offset});
    }
    return readQuestions(rows, type);
}

std::optional<QStringList> duplicateNumbersBetween(DataStore &store, QuestionType type, const FieldValue &low,
                                                   const FieldValue &high)
{
    return firstColumnTexts(store.query(QStringLiteral("select 题号") + bank::from(type) +
                                            QStringLiteral(" where 题号 between ? and ? group by 题号 having count(*)>1"),
                                        {low, high}));
}

std::optional<std::vector<RowKey>> listWrongQuestions(DataStore &store)
{
    std::vector<RowKey> keys;
    for (QuestionType type : allQuestionTypes()) {
        const auto ids = readIds(store.query(QStringLiteral("select ") + store.engine().rowIdColumn() + from(type) +
                                             QStringLiteral(" where 练习答案<>'' and 练习答案<>标准答案 order by 题号")));
        if (!ids)
            return std::nullopt;
        for (qint64 id : *ids)
            keys.push_back({type, id});
    }
    return keys;
}

namespace {

KeysetQuery wrongQuestionQuery(DataStore &store, QuestionType type, bool numbered)
{
    KeysetQuery query;
    query.columns = questionColumns(store).mid(7); // without "select "
    query.from = tableName(type);
    query.where = (numbered ? QStringLiteral("题号 is not null and ") : QStringLiteral("题号 is null and ")) + kWrongAnswerCondition;
    query.key = numbered ? QStringLiteral("题号") : QString();
    query.rowId = store.engine().rowIdColumn();
    return query;
}

// The match of a search as a column: 1 when the row contains the text.
QString matchColumn(const QString &searchText, Values &values)
{
    if (searchText.isEmpty())
        return QStringLiteral("1");
    values << Values(4, containsPattern(searchText));
    // Both engines match as a file always did: ASCII letters in either case,
    // and the number column 分值 by its text ("5", "2.5").
    return QStringLiteral("case when upper(题目) like upper(?) escape '\\' or upper(标准答案) like upper(?) escape '\\' "
                          "or upper(解析) like upper(?) escape '\\' or cast(分值 as text) like ? escape '\\' "
                          "then 1 else 0 end");
}

} // namespace

std::optional<qint64> wrongQuestionCount(DataStore &store, QuestionType type, bool numbered)
{
    return countKeysetRows(store, wrongQuestionQuery(store, type, numbered));
}

std::optional<std::vector<Question>> wrongQuestionRows(DataStore &store, QuestionType type, bool numbered,
                                                       const std::optional<ListPosition> &from, bool backwards,
                                                       qint64 offset, qint64 limit)
{
    RowSet rows = readKeysetWindow(store, wrongQuestionQuery(store, type, numbered), from, backwards, offset, limit);
    return readQuestions(rows, type);
}

std::optional<std::vector<ScannedRow>> scanForText(DataStore &store, QuestionType type, const QString &searchText,
                                                   bool numbered, const std::optional<ListPosition> &from,
                                                   qint64 limit)
{
    KeysetQuery query;
    query.rowId = store.engine().rowIdColumn();
    query.columns = query.rowId + QStringLiteral(", 题号, ") + matchColumn(searchText, query.columnValues);
    query.from = tableName(type);
    query.where = numbered ? QStringLiteral("题号 is not null") : QStringLiteral("题号 is null");
    query.key = numbered ? QStringLiteral("题号") : QString();
    RowSet rows = readKeysetWindow(store, query, from, false, 0, limit);
    std::vector<ScannedRow> scanned;
    for (; !rows.atEnd(); rows.next())
        scanned.push_back({{rows.value(2), rows.value(1).toInteger()}, rows.value(3).toInteger() == 1});
    if (rows.failed())
        return std::nullopt;
    return scanned;
}

std::optional<qint64> appendQuestions(DataStore &store, QuestionType type, std::span<const QuestionValues> questions)
{
    // The highest number is read inside the unit, so the new numbers follow it.
    Transaction unit(store);
    if (!unit.isOpen())
        return std::nullopt;
    const std::optional<qint64> highest = maxNumber(store, type);
    if (!highest)
        return std::nullopt;
    if (*highest > std::numeric_limits<qint64>::max() - qint64(questions.size())) {
        store.noteFailure(QStringLiteral("题号已到最大值，不能再添加题目"));
        return std::nullopt;
    }
    if (!insertRows(store, type, *highest + 1, questions) || !unit.commit())
        return std::nullopt;
    return *highest + 1;
}

bool insertQuestions(DataStore &store, QuestionType type, qint64 first, std::span<const QuestionValues> questions)
{
    if (!questions.empty() && first > std::numeric_limits<qint64>::max() - qint64(questions.size() - 1)) {
        store.noteFailure(QStringLiteral("题号已到最大值，不能再添加题目"));
        return false;
    }
    Transaction unit(store);
    return unit.isOpen() && insertRows(store, type, first, questions) && unit.commit();
}

bool updateQuestion(DataStore &store, QuestionType type, qint64 rowId, const QuestionValues &values)
{
    // As a question stored anew, it starts without a practice answer.
    return store.execute(QStringLiteral("update ") + tableName(type) +
                             QStringLiteral(" set 题目=?, 标准答案=?, 解析=?, 分值=?, 章节=?, 练习答案=NULL where ") +
                             store.engine().rowIdColumn() + QStringLiteral("=?"),
                         {values.text, values.answer, values.explanation, values.score, values.chapter, rowId}) &&
           store.changes() == 1;
}

bool deleteQuestion(DataStore &store, QuestionType type, qint64 rowId)
{
    const QString byRow = QStringLiteral(" where ") + store.engine().rowIdColumn() + QStringLiteral("=?");
    RowSet row = store.query(QStringLiteral("select 题号") + from(type) + byRow, {rowId});
    if (row.failed())
        return false;
    if (row.atEnd()) {
        store.noteFailure(QStringLiteral("这道题已不在题库中"));
        return false;
    }
    const FieldValue number = row.value(1);
    row.close();
    if (!store.execute(QStringLiteral("delete") + from(type) + byRow, {rowId}))
        return false;
    RowSet others = store.query(QStringLiteral("select count(*)") + from(type) + QStringLiteral(" where 题号=?"), {number});
    if (others.failed())
        return false;
    // A duplicate number keeps its pictures and the numbering as it is.
    if (others.value(1).toInteger() > 0 || number.type() != FieldValue::Type::Integer)
        return true;
    others.close();
    const qint64 n = number.toInteger();
    return pictures::removeOfQuestion(store, type, n) &&
           store.execute(QStringLiteral("update ") + tableName(type) + QStringLiteral(" set 题号=题号-1 where 题号>?"), {n}) &&
           pictures::closeGapAfter(store, type, n) && pictureFiles::dropUnused(store);
}

bool clearBank(DataStore &store, QuestionType type)
{
    return store.execute(QStringLiteral("delete") + from(type)) && pictures::removeOfBank(store, type) &&
           pictureFiles::dropUnused(store);
}

bool clearAllBanks(DataStore &store)
{
    Transaction unit(store);
    if (!unit.isOpen())
        return false;
    for (QuestionType type : allQuestionTypes())
        if (!clearBank(store, type))
            return false;
    return unit.commit();
}

std::optional<QStringList> duplicateNumbers(DataStore &store, QuestionType type)
{
    return firstColumnTexts(store.query(QStringLiteral("select 题号") + from(type) +
                                        QStringLiteral(" group by 题号 having count(*)>1")));
}

std::optional<QStringList> questionTexts(DataStore &store, QuestionType type)
{
    return firstColumnTexts(store.query(QStringLiteral("select 题目") + from(type)));
}

namespace {
// The spaces trimSpaces takes off, for the engine's trim().
const QString kTrimmed = QStringLiteral(" \u3000");
constexpr qsizetype kTextsPerLookup = 500;
} // namespace

QuestionTextIndex::QuestionTextIndex(DataStore &store, QuestionType type)
    : m_store(store), m_type(tableName(type)), m_table(QStringLiteral("导入对照") + m_type)
{
    // A plain table and an index that both engines make the same way; the
    // names are left to the engine to find among its temporary tables.
    Engine &engine = store.engine();
    m_made = store.execute(QStringLiteral("drop table if exists ") + m_table) &&
             store.execute(QStringLiteral("create temporary table %1 (题目 %2)").arg(m_table, engine.textType())) &&
             store.execute(engine.equalityIndexStatement(m_table + QStringLiteral("题目"), m_table, QStringLiteral("题目")));
}

QuestionTextIndex::~QuestionTextIndex()
{
    if (m_made)
        m_store.execute(QStringLiteral("drop table if exists ") + m_table);
}

std::optional<bool> QuestionTextIndex::fill(qint64 rows)
{
    if (!m_made)
        return std::nullopt;
    if (m_complete)
        return true;
    // The next stretch of rows by rowid, then its last rowid to go on from.
    RowSet last = m_store.query(QStringLiteral("select max(rowid), count(*) from (select rowid from ") + m_type +
                                    QStringLiteral(" where rowid>? order by rowid limit ?) as 一段"),
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
    if (!m_store.execute(QStringLiteral("insert into ") + m_table + QStringLiteral(" select trim(题目, ?) from ") +
                             m_type + QStringLiteral(" where rowid>? and rowid<=? and 题目 is not null"),
                         {kTrimmed, m_lastRowId, upTo}))
        return std::nullopt;
    m_copied += m_store.changes();
    m_lastRowId = upTo.toInteger();
    m_complete = lastStretch;
    return m_complete;
}

std::optional<QSet<QString>> QuestionTextIndex::present(const QStringList &texts)
{
    QSet<QString> found;
    if (m_complete && m_copied == 0)
        return found; // an empty bank holds none of them
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
            m_store.query(QStringLiteral("select distinct 题目 from ") + m_table + QStringLiteral(" where 题目 in (") + marks + u')', values));
        if (!hits)
            return std::nullopt;
        for (const QString &hit : *hits)
            found.insert(hit);
    }
    return found;
}

QStringList chapters(DataStore &store)
{
    QStringList parts;
    for (QuestionType type : allQuestionTypes())
        parts << QStringLiteral("select 章节") + from(type);
    return firstColumnTexts(store.query(QStringLiteral("select distinct(章节) from (") +
                                        parts.join(QStringLiteral(" union all ")) + QStringLiteral(") as 章节表 order by 章节")))
        .value_or(QStringList());
}

std::optional<std::vector<NumberedQuestion>> questionsByNumber(DataStore &store, QuestionType type,
                                                               std::span<const qint64> numbers)
{
    std::vector<NumberedQuestion> questions;
    questions.reserve(numbers.size());
    const QString sql = QStringLiteral("select 题目,标准答案,解析,分值,章节") + from(type) +
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
