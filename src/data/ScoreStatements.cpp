#include "data/ScoreStatements.h"

#include "data/QuestionType.h"

#include <QStringList>

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
    return !store.query(QStringLiteral("select 1 from 阅卷 where 0")).failed();
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

Statement totalsStatement(const QString &number, const QString &occasion, bool withHandScores)
{
    QStringList where;
    Values values;
    if (!number.isEmpty()) {
        where << QStringLiteral("评分.考号=?");
        values << number;
    }
    if (!occasion.isEmpty()) {
        where << QStringLiteral("评分.场次=?");
        values << occasion;
    }
    return {QStringLiteral("select 评分.考号 as 考号,评分.场次 as 场次,评分.姓名 as 姓名,coalesce(sum(") +
                answerScoreExpression(withHandScores) + QStringLiteral("),0) as 总分 from 评分") +
                (where.isEmpty() ? QString() : QStringLiteral(" where ") + where.join(QStringLiteral(" and "))) +
                QStringLiteral(" group by 评分.考号,评分.场次,评分.姓名 order by 评分.考号,评分.场次,评分.姓名"),
            values};
}

RowSet queryTotals(DataStore &store, const QString &number, const QString &occasion)
{
    const Statement statement = totalsStatement(number, occasion, hasHandScoreTable(store));
    return store.query(statement.sql, statement.values);
}

CandidateScores candidateScores(DataStore &store, const QString &occasion)
{
    Values values;
    const QString sql = QStringLiteral("select 评分.考号 as 考号,评分.场次 as 场次,coalesce(sum(") +
                        answerScoreExpression(hasHandScoreTable(store)) + QStringLiteral("),0) as 总分,coalesce(sum(") +
                        fullMarkExpression() + QStringLiteral("),0) as 满分 from 评分") +
                        occasionFilter(occasion, values) +
                        QStringLiteral(" group by 评分.考号,评分.场次 order by 评分.考号,评分.场次");
    CandidateScores result;
    RowSet rows = store.query(sql, values);
    for (; !rows.atEnd(); rows.next())
        result.rows.push_back({rows.value(1).toText(), rows.value(2).toText(), rows.value(3).toNumber(),
                               rows.value(4).toNumber()});
    if (rows.failed())
        result = {{}, rows.error()};
    return result;
}

QuestionSumsList questionSums(DataStore &store, const QString &occasion, int groupSize)
{
    Values values;
    const bool withHandScores = hasHandScoreTable(store);
    // First the answers alike: the same question, answer text, hand score
    // and candidate group give the same score, so their score is worked out
    // once per kind, not per answer. Each answer is joined to its
    // candidate's total, rank and group (1 top, -1 bottom, 0 neither).
    const QString answers =
        QStringLiteral("(select 评分.题型 as 题型,评分.题号 as 题号,评分.考号 as 考号,评分.场次 as 场次,"
                       "评分.考生答案 as 考生答案,") +
        (withHandScores ? QStringLiteral("case when 评分.题型='%1' then %2 end").arg(kHandBank, handScoreLookup())
                        : QStringLiteral("null")) +
        QStringLiteral(" as 手 from 评分") + occasionFilter(occasion, values) + QStringLiteral(") as 答");
    values << groupSize << groupSize;
    const QString candidates =
        QStringLiteral("(select 考号,场次,T,case when 名次<=? then 1 when 名次>人数-? then -1 else 0 end as 组 from "
                       "(select 考号,场次,T,row_number() over (order by T desc,考号,场次) as 名次,count(*) over () as 人数 "
                       "from (select 评分.考号 as 考号,评分.场次 as 场次,coalesce(sum(") +
        answerScoreExpression(withHandScores) + QStringLiteral("),0) as T from 评分") +
        occasionFilter(occasion, values) + QStringLiteral(" group by 评分.考号,评分.场次))) as 分组");
    const QString alike =
        QStringLiteral("(select 答.题型 as 题型,答.题号 as 题号,答.考生答案 as 考生答案,答.手 as 手,分组.组 as 组,"
                       "count(*) as n,total(分组.T) as st,total(分组.T*分组.T) as stt from ") +
        answers + QStringLiteral(" join ") + candidates +
        QStringLiteral(" on 分组.考号=答.考号 and 分组.场次=答.场次 group by 答.题型,答.题号,答.考生答案,答.手,分组.组) as 评分");
    const QString scored = QStringLiteral("(select 评分.*,coalesce(评分.手,") + answerScoreExpression(false) +
                           QStringLiteral(") as x from ") + alike + QStringLiteral(") as 级");
    QStringList sums{QStringLiteral("total(n) as 作答"), QStringLiteral("total(n*x) as 和"),
                     QStringLiteral("total(n*x*x) as 平方和"), QStringLiteral("total(x*st) as 积和"),
                     QStringLiteral("total(st) as 总和"), QStringLiteral("total(stt) as 总平方和"),
                     QStringLiteral("total(case when 组=1 then n end) as 高组"),
                     QStringLiteral("total(case when 组=-1 then n end) as 低组"),
                     QStringLiteral("total(case when 组=1 then n*x end) as 高组和"),
                     QStringLiteral("total(case when 组=-1 then n*x end) as 低组和")};
    for (int i = 0; i < kOptionLetters; ++i) {
        const QChar letter(u'A' + i);
        sums << QStringLiteral("total(case when 组=1 and instr(考生答案,'%1')>0 then n end) as 高%1").arg(letter)
             << QStringLiteral("total(case when 组=-1 and instr(考生答案,'%1')>0 then n end) as 低%1").arg(letter);
    }
    // The question's text, answer and score, looked up once per question.
    const BankLookup bank = bankLookup(QStringLiteral("题"));
    const QString sql = QStringLiteral("select 题.*,") + bank.columns +
                        QStringLiteral(" from (select 级.题型 as 题型,级.题号 as 题号,") + sums.join(u',') +
                        QStringLiteral(" from ") + scored + QStringLiteral(" group by 级.题型,级.题号) as 题") +
                        bank.joins + QStringLiteral(" order by ") + bankOrderExpression(QStringLiteral("题.题型")) +
                        QStringLiteral(",题.题型,题.题号");
    QuestionSumsList result;
    RowSet rows = store.query(sql, values);
    for (; !rows.atEnd(); rows.next())
        result.rows.push_back(readQuestionSums(rows));
    if (rows.failed())
        result = {{}, rows.error()};
    return result;
}

} // namespace kaoshi
