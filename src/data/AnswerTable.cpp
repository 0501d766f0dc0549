#include "data/AnswerTable.h"



namespace kaoshi {

namespace {

// The details statement: one left join per bank, each taken only for the
// answers of its own kind, so every answer row comes out exactly once.
QString detailsStatement()
{
    QString columns = QStringLiteral("select 评分.题号 as 题号,评分.题型 as 题型,评分.考生答案 as 考生答案,"
                                     "评分.考号 as 考号,评分.场次 as 场次,评分.姓名 as 姓名");
    QStringList text, answer, score, order;
    QString joins;
    int rank = 0;
    for (QuestionType kind : allQuestionTypes()) {
        // The bank names are the four fixed words, never user text.
        const QString type = tableName(kind);
        joins += QStringLiteral(" left join %1 on 评分.题型='%1' and %1.题号=评分.题号").arg(type);
        text << type + QStringLiteral(".题目");
        answer << type + QStringLiteral(".标准答案");
        score << type + QStringLiteral(".分值");
        order << QStringLiteral(" when '%1' then %2").arg(type).arg(++rank);
    }
    return columns + QStringLiteral(",coalesce(%1) as 题目,coalesce(%2) as 标准答案,coalesce(%3) as 分值 from 评分")
                         .arg(text.join(u','), answer.join(u','), score.join(u',')) +
           joins + QStringLiteral(" where 评分.考号=? and 评分.场次=? order by case 评分.题型") + order.join(QString()) +
           QStringLiteral(" else %1 end,评分.题型,评分.题号").arg(rank + 1);
}

} // namespace

QStringList answerNumbers(DataStore &store)
{
    return firstColumnTexts(store.query(QStringLiteral("select distinct(考号) from 评分"))).value_or(QStringList());
}

QStringList answerOccasions(DataStore &store, const QString &number)
{
    return firstColumnTexts(store.query(QStringLiteral("select distinct(场次) from 评分 where 考号=?"), {number}))
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
    static const QString statement = detailsStatement();
    RowSet rows = store.query(statement, {number, occasion});
    std::vector<AnswerDetail> details;
    for (; !rows.atEnd(); rows.next())
        details.push_back({rows.value(1).toInteger(), rows.value(2).toText(), rows.value(3).toText(),
                           rows.value(4).toText(), rows.value(5).toText(), rows.value(6).toText(),
                           rows.value(7).toText(), rows.value(8).toText(), rows.value(9).toNumber()});
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
