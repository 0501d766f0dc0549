#pragma once
// The tables of our database on a PostgreSQL server: the same tables and
// column names as in a file, typed so that every value a file holds comes
// back as it was (see ServerSchema.cpp), plus 图片文件, the picture files
// themselves, which on a server travel with the data.
#include "data/DataError.h"

#include <QMap>
#include <QString>
#include <QStringList>

namespace kaoshi::server {

// Every table a database of ours holds, and the columns the program uses.
struct TableColumns {
    QString table;
    QStringList columns;
};
const QList<TableColumns> &requiredTables();

// Tables made when a database of ours lacks them (a server made by an
// earlier version); never required of a database.
const QList<TableColumns> &addedTables();
// The statements that make those of them not among the present tables.
QStringList addedTableStatements(const QStringList &present);

// The statements that make an empty database ours, run as one unit.
QStringList schemaStatements();

// The indexes the program's statements rely on, by name.
struct IndexStatement {
    QString name;
    QString statement;
};
QList<IndexStatement> indexStatements();

// What a database holds, judged from its tables and their columns (the
// table names of the current schema, each with its column names).
enum class Shape { Empty, Ours, NotOurs, MissingTable, MissingColumn };
Shape judgeShape(const QMap<QString, QStringList> &tables, DataError &why);

// Lists the tables and columns of the current schema.
inline const QString kShapeQuery = QStringLiteral(
    "select c.relname, a.attname from pg_catalog.pg_class c "
    "join pg_catalog.pg_namespace n on n.oid = c.relnamespace "
    "left join pg_catalog.pg_attribute a on a.attrelid = c.oid and a.attnum > 0 and not a.attisdropped "
    "where n.nspname = current_schema() and c.relkind in ('r', 'p', 'v', 'm', 'f')");
// Lists the index names of the current schema.
inline const QString kIndexQuery = QStringLiteral(
    "select indexname from pg_catalog.pg_indexes where schemaname = current_schema()");

} // namespace kaoshi::server
