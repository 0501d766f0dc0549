#include "data/WorkTable.h"

#include "data/Schema.h"

#include <QStringList>

namespace kaoshi {

QString workTableMakeStatement()
{
    QStringList parts;
    for (const QString &type : questionTypes()) {
        // The bank names are the four fixed words, never user text.
        parts << QStringLiteral("select 评分.考号,评分.场次,评分.姓名,评分.题号,评分.题型,评分.考生答案,"
                                "%1.标准答案,%1.分值 from 评分,%1 where 评分.题号=%1.题号 and 评分.题型='%1'")
                     .arg(type);
    }
    return QStringLiteral("create table 临时 as select * from (") + parts.join(QStringLiteral(" union all ")) +
           QStringLiteral(")");
}

bool rebuildWorkTable(DataStore &store)
{
    static const QString make = workTableMakeStatement();
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

RowSet queryTotals(DataStore &store, const QString &number, const QString &occasion)
{
    const TotalsStatement statement = totalsStatement(number, occasion);
    return store.query(statement.sql, statement.values);
}

} // namespace kaoshi
