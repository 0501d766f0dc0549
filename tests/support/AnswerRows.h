#pragma once
// Stored answers for fixture databases: rows of 评分 as they arrive from
// outside the program, and a trigger that makes a table refuse writes.
#include "data/DataStore.h"

#include <QString>
#include <initializer_list>

namespace kaoshi::test {

struct AnswerRow {
    QString number;   // 考号
    QString occasion; // 场次
    QString name;     // 姓名
    qint64 question;  // 题号
    QString type;     // 题型
    QString answer;   // 考生答案
};

inline bool addAnswers(DataStore &store, std::initializer_list<AnswerRow> rows)
{
    for (const AnswerRow &row : rows)
        if (!store.execute(QStringLiteral("insert into 评分 (考号,场次,姓名,题号,题型,考生答案) values (?,?,?,?,?,?)"),
                           {row.number, row.occasion, row.name, row.question, row.type, row.answer}))
            return false;
    return true;
}

// event: "insert", "update" or "delete".
inline bool refuseWrites(DataStore &store, const QString &table, const QString &event)
{
    return store.execute(QStringLiteral("create trigger 拒绝_%1_%2 before %2 on %1 begin "
                                        "select raise(abort,'拒绝写入'); end")
                             .arg(table, event));
}

} // namespace kaoshi::test
