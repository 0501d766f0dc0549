#include "data/WorkTable.h"

#include "data/QuestionType.h"

#include <QStringList>

namespace kaoshi {

QString workTableSelect()
{
    QStringList parts;
    for (QuestionType kind : allQuestionTypes()) {
        const QString type = tableName(kind);
        // The bank names are the four fixed words, never user text.
        parts << QStringLiteral("select 评分.考号,评分.场次,评分.姓名,评分.题号,评分.题型,评分.考生答案,"
                                "%1.标准答案,%1.分值 from 评分,%1 where 评分.题号=%1.题号 and 评分.题型='%1'")
                     .arg(type);
    }
    return QStringLiteral("select * from (") + parts.join(QStringLiteral(" union all ")) + QStringLiteral(") as 答题");
}

QString workTableMakeStatement(const Engine &engine)
{
    return engine.makeTableStatement(QStringLiteral("临时"), workTableSelect());
}

bool rebuildWorkTable(DataStore &store)
{
    const QString make = workTableMakeStatement(store.engine());
    Transaction unit(store);
    if (!unit.isOpen())
        return false;
    if (!store.execute(QStringLiteral("drop table if exists 临时")) || !store.execute(make))
        return false;
    return unit.commit();
}

TotalsStatement totalsStatement(const QString &number, const QString &occasion)
{
    QString where;
    Values values;
    if (!number.isEmpty()) {
        where += QStringLiteral("考号=? and ");
        values << number;
    }
    if (!occasion.isEmpty()) {
        where += QStringLiteral("场次=? and ");
        values << occasion;
    }
    return {QStringLiteral("select 考号,场次,姓名,sum(分值) AS 总分 from 临时 where ") + where +
                QStringLiteral("考生答案=标准答案 group by 考号,场次,姓名"),
            values};
}

std::optional<std::vector<CandidateTotal>> readTotals(DataStore &store, const QString &number, const QString &occasion)
{
    const TotalsStatement statement = totalsStatement(number, occasion);
    RowSet rows = store.query(statement.sql, statement.values);
    std::vector<CandidateTotal> totals;
    for (; !rows.atEnd(); rows.next())
        totals.push_back({rows.value(1).toText(), rows.value(2).toText(), rows.value(3).toText(),
                          rows.value(4).toNumber()});
    if (rows.failed())
        return std::nullopt;
    return totals;
}

} // namespace kaoshi
