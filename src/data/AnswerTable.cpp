#include "data/AnswerTable.h"

#include "data/HandScoreTable.h"
#include "data/ScoreStatements.h"



namespace kaoshi {

namespace {

// The details statement: one left join per bank, each taken only for the
// answers of its own kind, so every answer row comes out exactly once; with
// the answer's hand score where the table of hand scores exists.
QString detailsStatement(bool withHandScores)
{
    QString columns = QStringLiteral("select 评分.题号 as 题号,评分.题型 as 题型,评分.考生答案 as 考生答案,"
                                     "评分.考号 as 考号,评分.场次 as 场次,评分.姓名 as 姓名");
    const BankLookup bank = bankLookup(QStringLiteral("评分"));
    columns += QStringLiteral(",") + bank.columns;
    columns += withHandScores ? QStringLiteral(",(select 阅卷.得分 from 阅卷 where 阅卷.考号=评分.考号 and 阅卷.场次=评分.场次 "
                                               "and 阅卷.题型=评分.题型 and 阅卷.题号=评分.题号) as 阅卷得分")
                              : QStringLiteral(",null as 阅卷得分");
    return columns + QStringLiteral(" from 评分") + bank.joins + QStringLiteral(" where 评分.考号=? and 评分.场次=? order by ") +
           bankOrderExpression(QStringLiteral("评分.题型")) + QStringLiteral(",评分.题型,评分.题号");
}

// The run's rows of 评分: one candidate, one occasion, one kind, with or without a 题号.
QString runCondition(const AnswerRun &run, Values &values)
{
    QString where = QStringLiteral("评分.考号=? and 评分.场次=? and ");
    if (run.type) {
        where += QStringLiteral("评分.题型=?");
        values << *run.type;
    } else {
        where += QStringLiteral("评分.题型 is null");
    }
    return where + (run.numbered ? QStringLiteral(" and 评分.题号 is not null") : QStringLiteral(" and 评分.题号 is null"));
}

KeysetQuery answerRunQuery(DataStore &store, const QString &number, const QString &occasion, const AnswerRun &run)
{
    KeysetQuery query;
    query.rowId = QStringLiteral("评分.") + store.engine().rowIdColumn();
    query.from = QStringLiteral("评分");
    query.whereValues = {number, occasion};
    query.where = runCondition(run, query.whereValues);
    query.key = run.numbered ? QStringLiteral("评分.题号") : QString();
    // The question is looked up in the bank its kind names (the first row
    // with that 题号); the other kinds have none.
    const std::optional<QuestionType> bank = run.type ? questionTypeOf(*run.type) : std::nullopt;
    QStringList looked;
    for (const QString &column : {QStringLiteral("题目"), QStringLiteral("标准答案"), QStringLiteral("分值")}) {
        looked << (bank ? QStringLiteral("(select b.%1 from %2 b where b.题号=评分.题号 order by b.%3 limit 1)")
                              .arg(column, tableName(*bank), store.engine().rowIdColumn())
                        : QStringLiteral("null"));
    }
    query.columns = query.rowId + QStringLiteral(",评分.题号,评分.题型,评分.考生答案,评分.考号,评分.场次,评分.姓名,") +
                    looked.join(u',') +
                    (hasHandScoreTable(store)
                         ? QStringLiteral(",(select 阅卷.得分 from 阅卷 where 阅卷.考号=评分.考号 and 阅卷.场次=评分.场次 "
                                          "and 阅卷.题型=评分.题型 and 阅卷.题号=评分.题号)")
                         : QStringLiteral(",null"));
    return query;
}

// The 题型 of the answers after `after` (the first when nothing), in text order.
std::optional<std::optional<QString>> nextAnswerKind(DataStore &store, const QString &number, const QString &occasion,
                                                     const std::optional<QString> &after)
{
    Values values{number, occasion};
    QString sql = QStringLiteral("select min(题型) from 评分 where 考号=? and 场次=? and 题型 is not null");
    if (after) {
        sql += QStringLiteral(" and 题型>?");
        values << *after;
    }
    RowSet rows = store.query(sql, values);
    if (rows.failed() || rows.atEnd())
        return std::nullopt;
    const FieldValue kind = rows.value(1);
    return kind.isNull() ? std::optional<QString>() : std::optional<QString>(kind.toText());
}

} // namespace

std::optional<std::vector<AnswerRun>> answerRuns(DataStore &store, const QString &number, const QString &occasion)
{
    std::vector<std::optional<QString>> kinds;
    for (QuestionType type : allQuestionTypes())
        kinds.push_back(typeValue(type));
    kinds.push_back(std::nullopt);
    // The other kinds, found one index step at a time.
    std::optional<QString> after;
    for (;;) {
        const std::optional<std::optional<QString>> next = nextAnswerKind(store, number, occasion, after);
        if (!next)
            return std::nullopt;
        if (!*next)
            break;
        after = *next;
        if (!questionTypeOf(**next))
            kinds.push_back(*next);
    }
    std::vector<AnswerRun> runs;
    for (const std::optional<QString> &kind : kinds) {
        for (const bool numbered : {false, true}) {
            AnswerRun run{kind, numbered, 0};
            const std::optional<qint64> count = countKeysetRows(store, answerRunQuery(store, number, occasion, run));
            if (!count)
                return std::nullopt;
            run.count = *count;
            if (run.count > 0)
                runs.push_back(run);
        }
    }
    return runs;
}

std::optional<std::vector<PlacedAnswer>> answerRunRows(DataStore &store, const QString &number,
                                                       const QString &occasion, const AnswerRun &run,
                                                       const std::optional<ListPosition> &from, bool backwards,
                                                       qint64 offset, qint64 limit)
{
    RowSet rows =
        readKeysetWindow(store, answerRunQuery(store, number, occasion, run), from, backwards, offset, limit);
    std::vector<PlacedAnswer> answers;
    for (; !rows.atEnd(); rows.next()) {
        AnswerDetail d{rows.value(2).toInteger(), rows.value(3).toText(), rows.value(4).toText(),
                       rows.value(5).toText(), rows.value(6).toText(), rows.value(7).toText(),
                       rows.value(8).toText(), rows.value(9).toText(), rows.value(10).toNumber(), std::nullopt};
        if (const FieldValue hand = rows.value(11); !hand.isNull())
            d.handScore = hand.toNumber();
        answers.push_back({{rows.value(2), rows.value(1).toInteger()}, std::move(d)});
    }
    if (rows.failed())
        return std::nullopt;
    return answers;
}

QStringList answerNumbers(DataStore &store)
{
    return firstColumnTexts(store.query(QStringLiteral("select distinct(考号) from 评分 order by 考号"))).value_or(QStringList());
}

QStringList answerOccasions(DataStore &store, const QString &number)
{
    return firstColumnTexts(store.query(QStringLiteral("select distinct(场次) from 评分 where 考号=? order by 场次"), {number}))
        .value_or(QStringList());
}

QStringList allAnswerOccasions(DataStore &store)
{
    return firstColumnTexts(store.query(QStringLiteral("select distinct 场次 from 评分 order by 场次")))
        .value_or(QStringList());
}

std::optional<qint64> answerCount(DataStore &store, const QString &number, const QString &occasion)
{
    RowSet rows = store.query(QStringLiteral("select count(*) from 评分 where 考号=? and 场次=?"), {number, occasion});
    if (rows.failed() || rows.atEnd())
        return std::nullopt;
    return rows.value(1).toInteger();
}

std::optional<std::vector<AnswerDetail>> readAnswerDetails(DataStore &store, const QString &number,
                                                           const QString &occasion)
{
    static const QString plain = detailsStatement(false);
    static const QString withHandScores = detailsStatement(true);
    RowSet rows = store.query(hasHandScoreTable(store) ? withHandScores : plain, {number, occasion});
    std::vector<AnswerDetail> details;
    for (; !rows.atEnd(); rows.next()) {
        AnswerDetail d{rows.value(1).toInteger(), rows.value(2).toText(), rows.value(3).toText(),
                       rows.value(4).toText(), rows.value(5).toText(), rows.value(6).toText(),
                       rows.value(7).toText(), rows.value(8).toText(), rows.value(9).toNumber(), std::nullopt};
        if (const FieldValue hand = rows.value(10); !hand.isNull())
            d.handScore = hand.toNumber();
        details.push_back(std::move(d));
    }
    if (rows.failed())
        return std::nullopt;
    return details;
}

bool insertAnswers(DataStore &store, const std::vector<StoredAnswer> &rows)
{
    std::vector<Values> values;
    values.reserve(rows.size());
    for (const StoredAnswer &row : rows)
        values.push_back({row.number, row.occasion, row.name, row.questionNumber, typeValue(row.type), row.answer});
    return store.executeEach(QStringLiteral("insert into 评分 (考号,场次,姓名,题号,题型,考生答案) values (?,?,?,?,?,?)"),
                             values);
}

bool deleteAnswers(DataStore &store, const std::vector<AnswerKey> &keys)
{
    // Asked before the unit begins: on a server a statement that fails
    // inside a unit ends it.
    const bool withHandScores = hasHandScoreTable(store);
    Transaction unit(store);
    if (!unit.isOpen())
        return false;
    for (const AnswerKey &key : keys) {
        if (!store.execute(QStringLiteral("delete from 评分 where 题号=? and 题型=? and 考号=? and 场次=?"),
                           {key.questionNumber, key.type, key.number, key.occasion}))
            return false;
        // A later answer with the same key must not inherit this one's score.
        if (withHandScores && !deleteHandScore(store, key))
            return false;
    }
    return unit.commit();
}

} // namespace kaoshi
