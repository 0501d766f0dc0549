#include "data/Keyset.h"

namespace kaoshi {

RowSet readKeysetWindow(DataStore &store, const KeysetQuery &query, const std::optional<ListPosition> &from,
                        bool backwards, qint64 offset, qint64 limit)
{
    Values values = query.columnValues;
    values << query.whereValues;
    QString sql = QStringLiteral("select ") + query.columns + QStringLiteral(" from ") + query.from +
                  QStringLiteral(" where (") + query.where + QLatin1Char(')');
    const QString beyond = backwards ? QStringLiteral("<") : QStringLiteral(">");
    if (from) {
        // The index on (key, row identity) gives the range and the order.
        if (query.key.isEmpty()) {
            sql += QStringLiteral(" and %1%2?").arg(query.rowId, beyond);
            values << from->rowId;
        } else {
            sql += QStringLiteral(" and %1%2=? and (%1%2? or %3%2?)").arg(query.key, beyond, query.rowId);
            values << from->number << from->number << from->rowId;
        }
    }
    const QString direction = backwards ? QStringLiteral(" desc") : QString();
    sql += QStringLiteral(" order by ");
    if (!query.key.isEmpty())
        sql += query.key + direction + QStringLiteral(", ");
    sql += query.rowId + direction + QStringLiteral(" limit ? offset ?");
    values << limit << offset;
    return store.query(sql, values);
}

std::optional<qint64> countKeysetRows(DataStore &store, const KeysetQuery &query)
{
    RowSet rows = store.query(QStringLiteral("select count(*) from ") + query.from + QStringLiteral(" where ") +
                                  query.where,
                              query.whereValues);
    if (rows.failed() || rows.atEnd())
        return std::nullopt;
    return rows.value(1).toInteger();
}

} // namespace kaoshi
