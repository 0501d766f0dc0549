#include "data/Schema.h"

namespace kaoshi {

const QStringList &questionTypes()
{
    static const QStringList types{QStringLiteral("单选"), QStringLiteral("多选"),
                                   QStringLiteral("判断"), QStringLiteral("问答")};
    return types;
}

bool isQuestionType(const QString &text) { return questionTypes().contains(text); }

QStringList schemaStatements()
{
    QStringList statements;
    // 分值 is NUMERIC: a whole score is kept as an integer, so that it reads
    // and matches "like" as "5", not "5.0"; 2.5 stays a real number.
    for (const QString &type : questionTypes()) {
        statements << QStringLiteral("create table %1 (题号 INTEGER, 题目 TEXT, 标准答案 TEXT, "
                                     "解析 TEXT, 分值 NUMERIC, 章节 TEXT, 练习答案 TEXT)")
                          .arg(type)
                   << QStringLiteral("create index %1_题号 on %1 (题号)").arg(type);
    }
    statements << QStringLiteral("create table 图片 (题型 TEXT, 题号 INTEGER, 摘要 TEXT, 图片 TEXT)")
               << QStringLiteral("create index 图片_题型_题号 on 图片 (题型, 题号)")
               << QStringLiteral("create table 评分 (考号 TEXT, 场次 TEXT, 姓名 TEXT, 题号 INTEGER, "
                                 "题型 TEXT, 考生答案 TEXT)")
               << QStringLiteral("create index 评分_题型_题号 on 评分 (题型, 题号)")
               << QStringLiteral("create table 配置 (单选抽题 INTEGER, 多选抽题 INTEGER, "
                                 "判断抽题 INTEGER, 问答抽题 INTEGER, 计时 INTEGER)")
               << QStringLiteral("insert into 配置 values (0, 0, 0, 0, 0)");
    return statements;
}

} // namespace kaoshi
