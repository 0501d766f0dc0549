#include "data/AnswerTable.h"

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

} // namespace

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
    Transaction unit(store);
    if (!unit.isOpen())
        return false;
    for (const AnswerKey &key : keys) {
        if (!store.execute(QStringLiteral("delete from 评分 where 题号=? and 题型=? and 考号=? and 场次=?"),
                           {key.questionNumber, key.type, key.number, key.occasion}))
            return false;
    }
    return unit.commit();
}

} // namespace kaoshi
