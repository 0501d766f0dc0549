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

// What a statement over the rows of 评分 adds to its FROM clause (joins)
// to score each answer (score) and to name its question's 分值 (fullMark):
// a lookup per answer, or the banks (and the hand scores) joined.
struct AnswerScoring {
    QString score;
    QString fullMark;
    QString joins;
};

AnswerScoring answerScoring(bool byJoin, bool withHandScores)
{
    if (!byJoin)
        return {answerScoreExpression(withHandScores), fullMarkExpression(), QString()};
    QStringList answer, fullMark;
    for (QuestionType kind : allQuestionTypes()) {
        answer << tableName(kind) + QStringLiteral(".标准答案");
        fullMark << tableName(kind) + QStringLiteral(".分值");
    }
    AnswerScoring scoring;
    scoring.fullMark = QStringLiteral("coalesce(%1)").arg(fullMark.join(u','));
    scoring.score = QStringLiteral("case when %1 is null then null when coalesce(%2)=评分.考生答案 then %1 else 0 end")
                        .arg(scoring.fullMark, answer.join(u','));
    scoring.joins = bankLookup(QStringLiteral("评分")).joins;
    if (withHandScores) {
        scoring.score = QStringLiteral("coalesce(阅卷.得分,%1)").arg(scoring.score);
        scoring.joins += QStringLiteral(" left join 阅卷 on 评分.题型='%1' and 阅卷.考号=评分.考号 and 阅卷.场次=评分.场次 "
                                        "and 阅卷.题型=评分.题型 and 阅卷.题号=评分.题号")
                             .arg(kHandBank);
    }
    return scoring;
}

// "评分.场次=?" when an occasion is chosen.
QString occasionFilter(const QString &occasion, Values &values)
{
    if (occasion.isEmpty())
        return QString();
    values << occasion;
    return QStringLiteral(" where 评分.场次=?");
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

namespace {

// The totals statement over the answers that meet every condition of where.
Statement totalsWhere(const QStringList &where, const Values &values, bool withHandScores, bool byJoin)
{
    const AnswerScoring scoring = answerScoring(byJoin, withHandScores);
    return {QStringLiteral("select 评分.考号 as 考号,评分.场次 as 场次,评分.姓名 as 姓名,coalesce(sum(") + scoring.score +
                QStringLiteral("),0) as 总分 from 评分") + scoring.joins +
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
Statement totalsRange(const QString &number, const QString &occasion, bool withHandScores, bool secondRange,
                      const FieldValue &secondFrom)
{
    Filters filters = totalsFilters(number, occasion);
    filters.where << (secondRange ? QStringLiteral("评分.考号>=?") : QStringLiteral("(评分.考号 is null or 评分.考号<?)"));
    filters.values << secondFrom;
    return totalsWhere(filters.where, filters.values, withHandScores, false);
}

CandidateTotals readTotalRows(DataStore &store, const Statement &statement)
{
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
    return totalsWhere(filters.where, filters.values, withHandScores, byJoin);
}

RowSet queryTotals(DataStore &store, const QString &number, const QString &occasion)
{
    const Statement statement =
        totalsStatement(number, occasion, hasHandScoreTable(store), store.engine().joinsAnswersToBanks());
    return store.query(statement.sql, statement.values);
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
    const bool withHandScores = hasHandScoreTable(store);
    DataStore second(std::move(reader));
    if (!startRead(store))
        return {{}, store.lastError()};
    if (!startRead(second)) {
        store.engine().commit();
        return {{}, second.lastError()};
    }
    CandidateTotals later;
    std::thread thread([&] {
        later = readTotalRows(second, totalsRange(number, occasion, withHandScores, true, secondFrom));
        second.engine().commit();
    });
    CandidateTotals totals = readTotalRows(store, totalsRange(number, occasion, withHandScores, false, secondFrom));
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
    return readTotalRows(store, totalsStatement(number, occasion, hasHandScoreTable(store),
                                                store.engine().joinsAnswersToBanks()));
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

// The candidates' totals of one analysis, kept in a table of the session
// (it vanishes with the connection and never touches the database) while
// the per-question sums are read: both then use the same totals, and every
// answer is scored for the totals once.
const QString kSessionTotals = QStringLiteral("分析成绩");

bool keepSessionTotals(DataStore &store, const QString &occasion, bool withHandScores)
{
    Values values;
    const AnswerScoring scoring = answerScoring(store.engine().joinsAnswersToBanks(), withHandScores);
    const QString select = QStringLiteral("select 评分.考号 as 考号,评分.场次 as 场次,coalesce(sum(") + scoring.score +
                           QStringLiteral("),0) as 总分,coalesce(sum(") + scoring.fullMark +
                           QStringLiteral("),0) as 满分 from 评分") + scoring.joins + occasionFilter(occasion, values) + QStringLiteral(" group by 评分.考号,评分.场次");
    return store.execute(QStringLiteral("create temporary table %1 as %2").arg(kSessionTotals, select), values);
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

// The candidates of the kept totals by total (highest first, ties by 考号
// and 场次) with their group: 1 top, -1 bottom, 0 neither. Its values are
// the group size, twice.
QString candidateGroups()
{
    return QStringLiteral("(select 考号,场次,T,case when 名次<=? then 1 when 名次>人数-? then -1 else 0 end as 组 from "
                          "(select 考号,场次,总分 as T,row_number() over (order by 总分 desc,考号,场次) as 名次,"
                          "count(*) over () as 人数 from %1) as 排名) as 组别")
        .arg(kSessionTotals);
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
                          "sum(组别.T) as st,sum(组别.T*组别.T) as stt,"
                          "sum(case when 组别.组=1 then 1 else 0 end) as top,"
                          "sum(case when 组别.组=-1 then 1 else 0 end) as bottom from 评分 as 答 cross join ") +
           candidateGroups() +
           QStringLiteral(" where 组别.考号=答.考号 and 组别.场次=答.场次") + occasionCondition(oneOccasion) +
           QStringLiteral(" group by 答.题型,答.题号,答.考生答案)");
}

// The same for the answers that carry a hand score: how many, the sums of
// their candidates' totals and groups, and of the hand score h (Σh, Σh²,
// Σh·T, Σh of each group). Only 问答 answers are looked at.
QString handScoredAlike(bool oneOccasion)
{
    return QStringLiteral("(select 答.题型 as 题型,答.题号 as 题号,答.考生答案 as 考生答案,count(*) as hn,"
                          "sum(组别.T) as ht,sum(case when 组别.组=1 then 1 else 0 end) as htop,"
                          "sum(case when 组别.组=-1 then 1 else 0 end) as hbottom,sum(阅卷.得分) as hx,"
                          "sum(阅卷.得分*阅卷.得分) as hxx,sum(阅卷.得分*组别.T) as hxt,"
                          "sum(case when 组别.组=1 then 阅卷.得分 else 0 end) as htopx,"
                          "sum(case when 组别.组=-1 then 阅卷.得分 else 0 end) as hbottomx "
                          "from 评分 as 答 cross join 阅卷 cross join ") +
           candidateGroups() +
           QStringLiteral(" where 答.题型='%1' and 阅卷.考号=答.考号 and 阅卷.场次=答.场次 and 阅卷.题型=答.题型 and "
                          "阅卷.题号=答.题号 and 组别.考号=答.考号 and 组别.场次=答.场次")
               .arg(kHandBank) +
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
    QString answerScore = answerScoreExpression(false);
    answerScore.replace(QStringLiteral("评分."), QStringLiteral("同."));
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
    // The question's text, answer and score, looked up once per question.
    const BankLookup bank = bankLookup(QStringLiteral("题"));
    return QStringLiteral("select 题.*,") + bank.columns + QStringLiteral(" from (select 级.题型 as 题型,级.题号 as 题号,") +
           sums.join(u',') + QStringLiteral(" from ") + scoredAlike(withHandScores, oneOccasion) +
           QStringLiteral(" group by 级.题型,级.题号) as 题") + bank.joins + QStringLiteral(" order by ") +
           bankOrderExpression(QStringLiteral("题.题型")) + QStringLiteral(",题.题型,题.题号");
}

QuestionSumsList readQuestionSumsList(DataStore &store, const QString &occasion, bool withHandScores, int groupSize)
{
    const bool oneOccasion = !occasion.isEmpty();
    Values values;
    for (int part = 0; part < (withHandScores ? 2 : 1); ++part) {
        values << groupSize << groupSize;
        if (oneOccasion)
            values << occasion;
    }
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
    if (!keepSessionTotals(store, occasion, withHandScores)) {
        sums.candidates.error = store.lastError();
        return sums;
    }
    sums.candidates = readSessionTotals(store);
    if (!sums.candidates.error.isError())
        sums.questions =
            readQuestionSumsList(store, occasion, withHandScores, groupSize(int(sums.candidates.rows.size())));
    store.execute(QStringLiteral("drop table %1").arg(kSessionTotals));
    return sums;
}

} // namespace kaoshi
