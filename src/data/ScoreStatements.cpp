#include "data/ScoreStatements.h"

#include "data/QuestionType.h"

#include <QStringList>
#include <algorithm>
#include <iterator>
#include <limits>
#include <thread>

namespace kaoshi {

namespace {

const QString kHandBank = QStringLiteral("问答");

// The hand score of the 评分 row in scope; NULL when it has none.
QString handScoreLookup()
{
    return QStringLiteral("(select 阅卷.得分 from 阅卷 where 阅卷.考号=评分.考号 and 阅卷.场次=评分.场次 and "
                          "阅卷.题型=评分.题型 and 阅卷.题号=评分.题号)");
}

// One value per bank, chosen by the answer's 题型: each branch looks its
// question up by 题号 in its own bank only. `value` names the bank as %1.
QString perBank(const QString &value, bool withHandScores)
{
    QString expression = QStringLiteral("case 评分.题型");
    for (QuestionType kind : allQuestionTypes()) {
        // The bank names are the four fixed words, never user text.
        const QString type = tableName(kind);
        QString lookup = QStringLiteral("(select %1 from %2 where %2.题号=评分.题号)").arg(value.arg(type), type);
        if (withHandScores && type == kHandBank)
            lookup = QStringLiteral("coalesce(%1,%2)").arg(handScoreLookup(), lookup);
        expression += QStringLiteral(" when '%1' then %2").arg(type, lookup);
    }
    return expression + QStringLiteral(" end");
}

QString fullMarkExpression() { return perBank(QStringLiteral("%1.分值"), false); }

// The table of the session that holds one row per question of the four
// banks: a statement that needs both the standard answer and the 分值 of
// every answer's question finds them with one lookup there, and a server
// joins it once rather than each bank.
const QString kQuestionKey = QStringLiteral("分析题");

// What a statement over the rows of 评分 adds to its FROM clause (joins)
// to score each answer (score) and to name its question's 分值 (fullMark),
// and whether it reads the session's table of questions.
struct AnswerScoring {
    QString score;
    QString fullMark;
    QString joins;
    bool readsQuestionKey = false;
};

// Each value looked up in the answer's own bank: in a file the cheapest
// way to one value per answer.
AnswerScoring perBankScoring(bool withHandScores)
{
    return {answerScoreExpression(withHandScores), fullMarkExpression(), QString(), false};
}

// The answer's question found in the session's table of questions. A
// server joins the hand scores (it hashes 阅卷 once); a file looks a 问答
// answer's up in the index of 阅卷 and the others not at all.
AnswerScoring keyedScoring(bool joinHandScores, bool withHandScores)
{
    AnswerScoring scoring;
    scoring.readsQuestionKey = true;
    scoring.fullMark = kQuestionKey + QStringLiteral(".分值");
    scoring.score = QStringLiteral("case when %1.标准答案=评分.考生答案 then %1.分值 else 0 end").arg(kQuestionKey);
    scoring.joins = QStringLiteral(" left join %1 on %1.题型=评分.题型 and %1.题号=评分.题号").arg(kQuestionKey);
    if (withHandScores && joinHandScores) {
        scoring.score = QStringLiteral("coalesce(阅卷.得分,%1)").arg(scoring.score);
        scoring.joins += QStringLiteral(" left join 阅卷 on 评分.题型='%1' and 阅卷.考号=评分.考号 and 阅卷.场次=评分.场次 "
                                        "and 阅卷.题型=评分.题型 and 阅卷.题号=评分.题号")
                             .arg(kHandBank);
    } else if (withHandScores) {
        scoring.score =
            QStringLiteral("coalesce(case when 评分.题型='%1' then %2 end,%3)").arg(kHandBank, handScoreLookup(), scoring.score);
    }
    return scoring;
}

// The grading totals' way: a server joins, a file looks up per bank.
AnswerScoring totalsScoring(const Engine &engine, bool withHandScores)
{
    return engine.joinsAnswersToBanks() ? keyedScoring(true, withHandScores) : perBankScoring(withHandScores);
}

QuestionSums readQuestionSums(const RowSet &rows)
{
    auto v = [&](const QString &column) { return rows.value(column).toNumber(); };
    QuestionSums s;
    s.type = rows.value(QStringLiteral("题型")).toText();
    s.number = rows.value(QStringLiteral("题号")).toInteger();
    s.text = rows.value(QStringLiteral("题目")).toText();
    s.standardAnswer = rows.value(QStringLiteral("标准答案")).toText();
    if (const FieldValue full = rows.value(QStringLiteral("分值")); !full.isNull())
        s.fullMark = full.toNumber();
    s.n = v(QStringLiteral("作答"));
    s.x = v(QStringLiteral("和"));
    s.xx = v(QStringLiteral("平方和"));
    s.xt = v(QStringLiteral("积和"));
    s.t = v(QStringLiteral("总和"));
    s.tt = v(QStringLiteral("总平方和"));
    s.top = v(QStringLiteral("高组"));
    s.bottom = v(QStringLiteral("低组"));
    s.topX = v(QStringLiteral("高组和"));
    s.bottomX = v(QStringLiteral("低组和"));
    for (int i = 0; i < kOptionLetters; ++i) {
        const QChar letter(u'A' + i);
        s.topLetter[i] = v(QStringLiteral("高") + letter);
        s.bottomLetter[i] = v(QStringLiteral("低") + letter);
    }
    return s;
}

} // namespace

bool hasHandScoreTable(DataStore &store)
{
    return !store.query(QStringLiteral("select 1 from 阅卷 where 1=0")).failed();
}

QString answerScoreExpression(bool withHandScores)
{
    return perBank(QStringLiteral("case when %1.标准答案=评分.考生答案 then %1.分值 else 0 end"), withHandScores);
}

BankLookup bankLookup(const QString &table)
{
    QStringList text, answer, fullMark;
    BankLookup lookup;
    for (QuestionType kind : allQuestionTypes()) {
        // The bank names are the four fixed words, never user text.
        const QString type = tableName(kind);
        lookup.joins += QStringLiteral(" left join %1 on %2.题型='%1' and %1.题号=%2.题号").arg(type, table);
        text << type + QStringLiteral(".题目");
        answer << type + QStringLiteral(".标准答案");
        fullMark << type + QStringLiteral(".分值");
    }
    lookup.columns = QStringLiteral("coalesce(%1) as 题目,coalesce(%2) as 标准答案,coalesce(%3) as 分值")
                         .arg(text.join(u','), answer.join(u','), fullMark.join(u','));
    return lookup;
}

QString bankOrderExpression(const QString &typeColumn)
{
    QString order = QStringLiteral("case ") + typeColumn;
    int rank = 0;
    for (QuestionType kind : allQuestionTypes())
        order += QStringLiteral(" when '%1' then %2").arg(typeValue(kind)).arg(++rank);
    return order + QStringLiteral(" else %1 end").arg(rank + 1);
}

QStringList questionKeyStatements(const Engine &engine)
{
    QStringList statements{QStringLiteral("create temporary table %1 (题型 %2, 题号 %3, 标准答案 %2, 分值 %3)")
                               .arg(kQuestionKey, engine.textType(), engine.integerType())};
    // Where a bank holds a 题号 twice, the row that comes first in the order
    // of its index (题号, 标准答案, 分值) counts, as a lookup in that index finds.
    for (QuestionType kind : allQuestionTypes())
        statements << QStringLiteral("insert into %1 (题型, 题号, 标准答案, 分值) select '%2', 题号, 标准答案, 分值 from "
                                     "(select 题号, 标准答案, 分值, row_number() over (partition by 题号 order by 标准答案, 分值) "
                                     "as 次 from %3 where 题号 is not null) as 题 where 次=1")
                          .arg(kQuestionKey, typeValue(kind), tableName(kind));
    // Every lookup is answered from this index alone.
    statements << QStringLiteral("create index %1_评分 on %1 (题型, 题号, 标准答案, 分值)").arg(kQuestionKey);
    return statements;
}

namespace {

// A table of the connection's own (it vanishes with the connection and never
// touches the database) for as long as one reading needs it: made by its
// statements, dropped when this ends, also when a statement failed half-way.
class SessionTable
{
public:
    SessionTable(DataStore &store, const QString &name, const std::vector<Statement> &statements)
        : m_store(store), m_name(name)
    {
        for (const Statement &statement : statements) {
            if (!m_store.execute(statement.sql, statement.values)) {
                m_error = m_store.lastError();
                return;
            }
            m_exists = true;
        }
    }
    ~SessionTable()
    {
        if (m_exists)
            m_store.execute(QStringLiteral("drop table ") + m_name);
    }
    SessionTable(const SessionTable &) = delete;
    SessionTable &operator=(const SessionTable &) = delete;

    bool isMade() const { return !m_error.isError(); }
    DataError error() const { return m_error; }

private:
    DataStore &m_store;
    QString m_name;
    bool m_exists = false;
    DataError m_error;
};

// The session's table of questions, as of the state the connection reads.
class QuestionKey : public SessionTable
{
public:
    explicit QuestionKey(DataStore &store) : SessionTable(store, kQuestionKey, plain(questionKeyStatements(store.engine()))) {}

private:
    static std::vector<Statement> plain(const QStringList &statements)
    {
        std::vector<Statement> list;
        for (const QString &sql : statements)
            list.push_back({sql, {}});
        return list;
    }
};

// The totals statement over the answers that meet every condition of where,
// with the sum of the 分值 of the questions answered (满分) when asked.
Statement totalsWhere(const QStringList &where, const Values &values, const AnswerScoring &scoring,
                      bool withFullMark = false)
{
    return {QStringLiteral("select 评分.考号 as 考号,评分.场次 as 场次,评分.姓名 as 姓名,coalesce(sum(") + scoring.score +
                QStringLiteral("),0) as 总分") +
                (withFullMark ? QStringLiteral(",coalesce(sum(%1),0) as 满分").arg(scoring.fullMark) : QString()) +
                QStringLiteral(" from 评分") + scoring.joins +
                (where.isEmpty() ? QString() : QStringLiteral(" where ") + where.join(QStringLiteral(" and "))) +
                QStringLiteral(" group by 评分.考号,评分.场次,评分.姓名 order by 评分.考号,评分.场次,评分.姓名"),
            values};
}

struct Filters {
    QStringList where;
    Values values;
};

Filters totalsFilters(const QString &number, const QString &occasion)
{
    Filters filters;
    if (!number.isEmpty()) {
        filters.where << QStringLiteral("评分.考号=?");
        filters.values << number;
    }
    if (!occasion.isEmpty()) {
        filters.where << QStringLiteral("评分.场次=?");
        filters.values << occasion;
    }
    return filters;
}

// The totals of the candidates whose 考号 is before `secondFrom` (or
// missing), or from it on: ordered like the whole, so the two ranges read
// one after the other are the whole.
Statement totalsRange(const QString &number, const QString &occasion, const AnswerScoring &scoring, bool secondRange,
                      const FieldValue &secondFrom)
{
    Filters filters = totalsFilters(number, occasion);
    filters.where << (secondRange ? QStringLiteral("评分.考号>=?") : QStringLiteral("(评分.考号 is null or 评分.考号<?)"));
    filters.values << secondFrom;
    return totalsWhere(filters.where, filters.values, scoring);
}

// The rows of statement, read to their end (with the session's table of
// questions made for them where they read it); error set (and no rows)
// when they could not.
CandidateTotals readTotalRows(DataStore &store, const Statement &statement, const AnswerScoring &scoring)
{
    std::optional<QuestionKey> key;
    if (scoring.readsQuestionKey && !key.emplace(store).isMade())
        return {{}, key->error()};
    CandidateTotals totals;
    RowSet rows = store.query(statement.sql, statement.values);
    for (; !rows.atEnd(); rows.next())
        totals.rows.push_back({rows.value(1).toText(), rows.value(2).toText(), rows.value(3).toText(),
                               rows.value(4).toNumber()});
    if (rows.failed())
        totals = {{}, rows.error()};
    return totals;
}

// A 考号 near the middle of the answers: the middle one of a few answers
// taken at even steps of the row identity. Any 考号 gives the same totals;
// one near the middle gives the two threads about equal shares.
FieldValue middleNumber(DataStore &store)
{
    constexpr int kSamples = 63;
    const QString id = store.engine().rowIdColumn();
    RowSet samples = store.query(
        QStringLiteral("with recursive 点(i) as (select 0 union all select i+1 from 点 where i<?-1), "
                       "界(低,高) as (select min(%1),max(%1) from 评分) "
                       "select (select 考号 from 评分 where %1>=低+(高-低)*i/? order by %1 limit 1) as 考号 "
                       "from 点 cross join 界 where 低 is not null")
            .arg(id),
        {kSamples, kSamples});
    std::vector<FieldValue> numbers;
    for (; !samples.atEnd(); samples.next())
        if (const FieldValue number = samples.value(1); !number.isNull())
            numbers.push_back(number);
    if (samples.failed() || numbers.empty())
        return FieldValue();
    // The database orders them, as its ranges will.
    QStringList placeholders;
    Values values;
    for (const FieldValue &number : numbers) {
        placeholders << QStringLiteral("select ? as k");
        values << number;
    }
    values << qint64(numbers.size() / 2);
    RowSet middle = store.query(QStringLiteral("select k from (") + placeholders.join(QStringLiteral(" union all ")) +
                                    QStringLiteral(") as 样 order by k limit 1 offset ?"),
                                values);
    return middle.failed() || middle.atEnd() ? FieldValue() : middle.value(1);
}

// Starts a read on the store: from then on it sees one state of the file
// until the unit ends, and holds its read lock, so that no change can be
// committed before a second connection has started its own read too.
bool startRead(DataStore &store)
{
    if (!store.engine().begin())
        return false;
    RowSet first = store.query(QStringLiteral("select 1 from 评分 limit 1"));
    if (first.failed()) {
        store.engine().rollback();
        return false;
    }
    return true;
}

} // namespace

Statement totalsStatement(const QString &number, const QString &occasion, bool withHandScores, bool byJoin)
{
    const Filters filters = totalsFilters(number, occasion);
    return totalsWhere(filters.where, filters.values,
                       byJoin ? keyedScoring(true, withHandScores) : perBankScoring(withHandScores));
}

std::unique_ptr<DataStore> openLightReader(DataStore &store)
{
    std::unique_ptr<Engine> reader = store.engine().openReader();
    if (!reader)
        return nullptr;
    auto light = std::make_unique<DataStore>(std::move(reader));
    // Only a file gives a second reader; its cache of pages is held to 2 MB.
    light->execute(QStringLiteral("pragma cache_size=-2048"));
    return light;
}

ScoreSlice sumScoreSlice(DataStore &store, const QString &number, const QString &occasion, QuestionType bank,
                         const FieldValue &after, qint64 limit)
{
    // Read through the index 评分_答题 (考号, 场次, 题型, 题号).
    QString where = QStringLiteral(" from 评分 where 评分.考号=? and 评分.场次=? and 评分.题型=? and 评分.题号 is not null");
    Values values{number, occasion, typeValue(bank)};
    if (!after.isNull()) {
        where += QStringLiteral(" and 评分.题号>?");
        values << after;
    }
    ScoreSlice slice;
    RowSet end = store.query(QStringLiteral("select 评分.题号") + where +
                                 QStringLiteral(" order by 评分.题号 limit 1 offset ?"),
                             Values(values) << std::max<qint64>(0, limit - 1));
    if (end.failed())
        return {0, {}, end.error()};
    if (!end.atEnd()) {
        slice.last = end.value(1);
        where += QStringLiteral(" and 评分.题号<=?");
        values << slice.last;
    }
    RowSet sum = store.query(QStringLiteral("select coalesce(sum(") + answerScoreExpression(hasHandScoreTable(store)) +
                                 QStringLiteral("),0)") + where,
                             values);
    if (sum.failed() || sum.atEnd())
        return {0, {}, sum.error()};
    slice.sum = sum.value(1).toNumber();
    return slice;
}

namespace {

// The two ranges read at once, the first on the store, the second on reader;
// either failure is the result's.
CandidateTotals readBothRanges(DataStore &store, std::unique_ptr<Engine> reader, const QString &number,
                               const QString &occasion, const FieldValue &secondFrom)
{
    const AnswerScoring scoring = totalsScoring(store.engine(), hasHandScoreTable(store));
    DataStore second(std::move(reader));
    if (!startRead(store))
        return {{}, store.lastError()};
    if (!startRead(second)) {
        store.engine().commit();
        return {{}, second.lastError()};
    }
    CandidateTotals later;
    std::thread thread([&] {
        later = readTotalRows(second, totalsRange(number, occasion, scoring, true, secondFrom), scoring);
        second.engine().commit();
    });
    CandidateTotals totals = readTotalRows(store, totalsRange(number, occasion, scoring, false, secondFrom), scoring);
    thread.join();
    store.engine().commit();
    if (totals.error.isError())
        return totals;
    if (later.error.isError())
        return {{}, later.error};
    totals.rows.insert(totals.rows.end(), std::make_move_iterator(later.rows.begin()),
                       std::make_move_iterator(later.rows.end()));
    return totals;
}

CandidateTotals readOneStatement(DataStore &store, const QString &number, const QString &occasion)
{
    const AnswerScoring scoring = totalsScoring(store.engine(), hasHandScoreTable(store));
    const Filters filters = totalsFilters(number, occasion);
    return readTotalRows(store, totalsWhere(filters.where, filters.values, scoring), scoring);
}

} // namespace

CandidateTotals readCandidateTotalsSplitAt(DataStore &store, const QString &number, const QString &occasion,
                                           const FieldValue &secondFrom)
{
    std::unique_ptr<Engine> reader = secondFrom.isNull() ? nullptr : store.engine().openReader();
    if (!reader)
        return readOneStatement(store, number, occasion);
    return readBothRanges(store, std::move(reader), number, occasion, secondFrom);
}

CandidateTotals readCandidateTotals(DataStore &store, const QString &number, const QString &occasion)
{
    // One candidate's rows are few: one statement reads them.
    std::unique_ptr<Engine> reader = number.isEmpty() ? store.engine().openReader() : nullptr;
    const FieldValue secondFrom = reader ? middleNumber(store) : FieldValue();
    if (secondFrom.isNull())
        return readOneStatement(store, number, occasion);
    return readBothRanges(store, std::move(reader), number, occasion, secondFrom);
}

namespace {

// The candidates' totals of one analysis (考号, 场次, 总分, 满分), kept in a
// table of the session while the per-question sums are read: both then use
// the same totals, and every answer is scored for the totals once.
const QString kSessionTotals = QStringLiteral("分析成绩");

// The totals per 考号 and 场次 with 满分, each answer's question looked up
// once. A file sums them per 姓名 as well, in the order of the index that
// holds every answer's text, and adds those up; a server groups by 考号
// and 场次 at once.
std::vector<Statement> sessionTotalsStatements(const Engine &engine, const QString &occasion, bool withHandScores)
{
    const bool server = engine.joinsAnswersToBanks();
    const AnswerScoring scoring = keyedScoring(server, withHandScores);
    const Filters filters = totalsFilters(QString(), occasion);
    const QString where =
        filters.where.isEmpty() ? QString() : QStringLiteral(" where ") + filters.where.join(QStringLiteral(" and "));
    const QString select =
        server ? QStringLiteral("select 评分.考号 as 考号,评分.场次 as 场次,coalesce(sum(%1),0) as 总分,coalesce(sum(%2),0) "
                                "as 满分 from 评分%3%4 group by 评分.考号,评分.场次")
                     .arg(scoring.score, scoring.fullMark, scoring.joins, where)
               : QStringLiteral("select 考号,场次,sum(总分) as 总分,sum(满分) as 满分 from (%1) as 各名 group by 考号,场次")
                     .arg(totalsWhere(filters.where, filters.values, scoring, true).sql);
    return {{QStringLiteral("create temporary table %1 as %2").arg(kSessionTotals, select), filters.values}};
}

CandidateScores readSessionTotals(DataStore &store)
{
    CandidateScores result;
    RowSet rows = store.query(
        QStringLiteral("select 考号,场次,总分,满分 from %1 order by 考号,场次").arg(kSessionTotals));
    for (; !rows.atEnd(); rows.next())
        result.rows.push_back({rows.value(1).toText(), rows.value(2).toText(), rows.value(3).toNumber(),
                               rows.value(4).toNumber()});
    if (rows.failed())
        result = {{}, rows.error()};
    return result;
}

// The candidates of the kept totals with what the per-question sums take
// of each: T (the total), TT (its square), and whether it is in the top
// group (高) or the bottom group (低) of `groupSize` by total (highest
// first, ties by 考号 and 场次), 1 or 0. Looked up by 考号 and 场次 from one
// index alone.
const QString kCandidateGroups = QStringLiteral("分析组别");

std::vector<Statement> candidateGroupStatements(const Engine &engine, int groupSize)
{
    const QString groups =
        QStringLiteral("create temporary table %1 as select 考号,场次,T,T*T as TT,case when 名次<=? then 1 else 0 end as 高,"
                       "case when 名次<=? then 0 when 名次>人数-? then 1 else 0 end as 低 from "
                       "(select 考号,场次,总分 as T,row_number() over (order by 总分 desc,考号,场次) as 名次,"
                       "count(*) over () as 人数 from %2) as 排名")
            .arg(kCandidateGroups, kSessionTotals);
    std::vector<Statement> statements{
        {groups, {groupSize, groupSize, groupSize}},
        {QStringLiteral("create index %1_考生 on %1 (考号,场次,T,TT,高,低)").arg(kCandidateGroups), {}}};
    // A server plans the join to a million answers well (hashing the hand
    // scores, not sorting them) only when it knows the table's size; a file
    // takes the index at once, and with the statistics chose a slower order.
    if (engine.joinsAnswersToBanks())
        statements.push_back({QStringLiteral("analyze ") + kCandidateGroups, {}});
    return statements;
}

// " and 答.场次=?" when one occasion is analysed: the answers of other
// occasions are passed over before their candidate is looked for.
QString occasionCondition(bool oneOccasion)
{
    return oneOccasion ? QStringLiteral(" and 答.场次=?") : QString();
}

// The answers alike (the same question and answer text), read in the order
// of the question index 评分_题目 with no sorting; each answer is joined to
// its candidate's total and group.
QString answersAlike(bool oneOccasion)
{
    return QStringLiteral("(select 答.题型 as 题型,答.题号 as 题号,答.考生答案 as 考生答案,count(*) as n,"
                          "sum(组别.T) as st,sum(组别.TT) as stt,sum(组别.高) as top,sum(组别.低) as bottom "
                          "from 评分 as 答 cross join %1 as 组别 where 组别.考号=答.考号 and 组别.场次=答.场次")
               .arg(kCandidateGroups) +
           occasionCondition(oneOccasion) + QStringLiteral(" group by 答.题型,答.题号,答.考生答案)");
}

// The same for the answers that carry a hand score: how many, the sums of
// their candidates' totals and groups, and of the hand score h (Σh, Σh²,
// Σh·T, Σh of each group). Only 问答 answers are looked at.
QString handScoredAlike(bool oneOccasion)
{
    return QStringLiteral("(select 答.题型 as 题型,答.题号 as 题号,答.考生答案 as 考生答案,count(*) as hn,"
                          "sum(组别.T) as ht,sum(组别.高) as htop,sum(组别.低) as hbottom,sum(阅卷.得分) as hx,"
                          "sum(阅卷.得分*阅卷.得分) as hxx,sum(阅卷.得分*组别.T) as hxt,"
                          "sum(case when 组别.高=1 then 阅卷.得分 else 0 end) as htopx,"
                          "sum(case when 组别.低=1 then 阅卷.得分 else 0 end) as hbottomx "
                          "from 评分 as 答 cross join 阅卷 cross join %1 as 组别 "
                          "where 答.题型='%2' and 阅卷.考号=答.考号 and 阅卷.场次=答.场次 and 阅卷.题型=答.题型 and "
                          "阅卷.题号=答.题号 and 组别.考号=答.考号 and 组别.场次=答.场次")
               .arg(kCandidateGroups, kHandBank) +
           occasionCondition(oneOccasion) + QStringLiteral(" group by 答.题型,答.题号,答.考生答案)");
}

// One row per answer alike with a, the score of the answer by comparison
// (NULL when its question is missing), its hand-scored part (zeros when
// none) and whether its text holds each option letter. The limit (bound to
// the largest integer) keeps this a query of its own, so that a is looked
// up once per row although the sums name it several times.
QString scoredAlike(bool withHandScores, bool oneOccasion)
{
    QStringList hand;
    for (const QString &column : {QStringLiteral("hn"), QStringLiteral("ht"), QStringLiteral("htop"),
                                  QStringLiteral("hbottom"), QStringLiteral("hx"), QStringLiteral("hxx"),
                                  QStringLiteral("hxt"), QStringLiteral("htopx"), QStringLiteral("hbottomx")})
        hand << (withHandScores ? QStringLiteral("coalesce(手.%1,0) as %1") : QStringLiteral("0 as %1")).arg(column);
    QStringList letters;
    for (int i = 0; i < kOptionLetters; ++i)
        letters << QStringLiteral("case when replace(同.考生答案,'%1','')<>同.考生答案 then 1 else 0 end as 含%1")
                       .arg(QChar(u'A' + i));
    // The question is looked up in the session's table of questions, which
    // holds one row per question even where a bank holds its 题号 twice (a
    // lookup in the bank itself would then find two rows).
    const QString answerScore =
        QStringLiteral("(select case when 键.标准答案=同.考生答案 then 键.分值 else 0 end from %1 as 键 "
                       "where 键.题型=同.题型 and 键.题号=同.题号)")
            .arg(kQuestionKey);
    return QStringLiteral("(select 同.*,") + answerScore + QStringLiteral(" as a,") + hand.join(u',') + u',' +
           letters.join(u',') + QStringLiteral(" from ") + answersAlike(oneOccasion) + QStringLiteral(" as 同") +
           (withHandScores ? QStringLiteral(" left join ") + handScoredAlike(oneOccasion) +
                                 QStringLiteral(" as 手 on 手.题型=同.题型 and 手.题号=同.题号 and 手.考生答案=同.考生答案")
                           : QString()) +
           QStringLiteral(" limit ?) as 级");
}

// The per-question sums over the kept totals. x is an answer's score: its
// hand score h where it has one, else a; so Σx = a·(n − hn) + Σh, and alike
// for Σx², Σx·T and the groups' Σx.
QString questionSumsStatement(bool withHandScores, bool oneOccasion)
{
    QStringList sums{QStringLiteral("sum(n) as 作答"), QStringLiteral("sum(coalesce(a*(n-hn),0)+hx) as 和"),
                     QStringLiteral("sum(coalesce(a*a*(n-hn),0)+hxx) as 平方和"),
                     QStringLiteral("sum(coalesce(a*(st-ht),0)+hxt) as 积和"), QStringLiteral("sum(st) as 总和"),
                     QStringLiteral("sum(stt) as 总平方和"), QStringLiteral("sum(top) as 高组"),
                     QStringLiteral("sum(bottom) as 低组"),
                     QStringLiteral("sum(coalesce(a*(top-htop),0)+htopx) as 高组和"),
                     QStringLiteral("sum(coalesce(a*(bottom-hbottom),0)+hbottomx) as 低组和")};
    for (int i = 0; i < kOptionLetters; ++i) {
        const QChar letter(u'A' + i);
        sums << QStringLiteral("sum(含%1*top) as 高%1").arg(letter) << QStringLiteral("sum(含%1*bottom) as 低%1").arg(letter);
    }
    // The question's answer and score from the session's table of questions,
    // its text from the same row of its bank (the first in the order of the
    // bank's index): one row per question, also where a bank holds its 题号
    // twice.
    QStringList texts;
    for (QuestionType kind : allQuestionTypes())
        texts << QStringLiteral("when '%1' then (select %2.题目 from %2 where %2.题号=题.题号 order by %2.标准答案,%2.分值 "
                                "limit 1)")
                     .arg(typeValue(kind), tableName(kind));
    return QStringLiteral("select 题.*,case 题.题型 ") + texts.join(u' ') +
           QStringLiteral(" end as 题目,%1.标准答案 as 标准答案,%1.分值 as 分值 from (select 级.题型 as 题型,级.题号 as 题号,")
               .arg(kQuestionKey) +
           sums.join(u',') + QStringLiteral(" from ") + scoredAlike(withHandScores, oneOccasion) +
           QStringLiteral(" group by 级.题型,级.题号) as 题 left join %1 on %1.题型=题.题型 and %1.题号=题.题号").arg(kQuestionKey) +
           QStringLiteral(" order by ") +
           bankOrderExpression(QStringLiteral("题.题型")) + QStringLiteral(",题.题型,题.题号");
}

QuestionSumsList readQuestionSumsList(DataStore &store, const QString &occasion, bool withHandScores)
{
    const bool oneOccasion = !occasion.isEmpty();
    Values values;
    for (int part = 0; oneOccasion && part < (withHandScores ? 2 : 1); ++part)
        values << occasion;
    values << std::numeric_limits<qint64>::max();
    QuestionSumsList result;
    RowSet rows = store.query(questionSumsStatement(withHandScores, oneOccasion), values);
    for (; !rows.atEnd(); rows.next())
        result.rows.push_back(readQuestionSums(rows));
    if (rows.failed())
        result = {{}, rows.error()};
    return result;
}

} // namespace

AnalysisSums analysisSums(DataStore &store, const QString &occasion, const std::function<int(int)> &groupSize)
{
    AnalysisSums sums;
    const bool withHandScores = hasHandScoreTable(store);
    const QuestionKey key(store);
    if (!key.isMade()) {
        sums.candidates.error = key.error();
        return sums;
    }
    const SessionTable totals(store, kSessionTotals, sessionTotalsStatements(store.engine(), occasion, withHandScores));
    if (!totals.isMade()) {
        sums.candidates.error = totals.error();
        return sums;
    }
    sums.candidates = readSessionTotals(store);
    if (sums.candidates.error.isError())
        return sums;
    const SessionTable groups(store, kCandidateGroups,
                              candidateGroupStatements(store.engine(), groupSize(int(sums.candidates.rows.size()))));
    if (!groups.isMade())
        sums.questions.error = groups.error();
    else
        sums.questions = readQuestionSumsList(store, occasion, withHandScores);
    return sums;
}

} // namespace kaoshi
