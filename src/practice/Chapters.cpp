#include "practice/Chapters.h"

#include "data/DataStore.h"

namespace kaoshi {

QStringList listChapters(DataStore &store)
{
    QStringList chapters;
    RowSet rows = store.query(QStringLiteral(
        "select distinct(章节) from (select 章节 from 单选 union all select 章节 from 多选 "
        "union all select 章节 from 判断 union all select 章节 from 问答) order by 章节"));
    for (rows.first(); !rows.atEnd(); rows.next())
        chapters << rows.value(QStringLiteral("章节")).toText();
    rows.close();
    return chapters;
}

} // namespace kaoshi
