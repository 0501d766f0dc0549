#include "data/HandScoreTable.h"

namespace kaoshi {

std::optional<std::vector<FreeAnswer>> freeAnswers(DataStore &store, const QString &occasion)
{
    RowSet rows = store.query(
        QStringLiteral("select 评分.考号,评分.场次,评分.姓名,评分.题号,问答.题目,问答.标准答案,评分.考生答案,问答.分值,"
                       "阅卷.得分 from 评分 join 问答 on 问答.题号=评分.题号 left join 阅卷 on 阅卷.考号=评分.考号 and "
                       "阅卷.场次=评分.场次 and 阅卷.题型=评分.题型 and 阅卷.题号=评分.题号 "
                       "where 评分.题型='问答' and 评分.场次=? order by 评分.考号,评分.题号"),
        {occasion});
    std::vector<FreeAnswer> answers;
    for (; !rows.atEnd(); rows.next()) {
        FreeAnswer a{rows.value(1).toText(), rows.value(2).toText(), rows.value(3).toText(),
                     rows.value(4).toInteger(), rows.value(5).toText(), rows.value(6).toText(),
                     rows.value(7).toText(), rows.value(8).toNumber(), std::nullopt};
        if (const FieldValue score = rows.value(9); !score.isNull())
            a.score = score.toNumber();
        answers.push_back(std::move(a));
    }
    if (rows.failed())
        return std::nullopt;
    return answers;
}

bool storeHandScore(DataStore &store, const FreeAnswer &answer, double score, const QDateTime &markedAt)
{
    return store.execute(
        QStringLiteral("insert into 阅卷 (考号,场次,题型,题号,得分,阅卷时间) values (?,?,'问答',?,?,?) "
                       "on conflict (考号,场次,题型,题号) do update set 得分=excluded.得分,阅卷时间=excluded.阅卷时间"),
        {answer.number, answer.occasion, answer.questionNumber, score,
         markedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
}

bool deleteHandScore(DataStore &store, const AnswerKey &key)
{
    return store.execute(QStringLiteral("delete from 阅卷 where 题号=? and 题型=? and 考号=? and 场次=?"),
                         {key.questionNumber, key.type, key.number, key.occasion});
}

} // namespace kaoshi
