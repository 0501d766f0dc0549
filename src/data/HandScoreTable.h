#pragma once
// The statements of table 阅卷: the scores a marker gave to free (问答)
// answers, one row per answer (考号, 场次, 题型, 题号) with 得分 and the time
// it was given (阅卷时间). Grading uses such a score in place of comparing
// the answer with the standard answer.
#include "data/AnswerTable.h"
#include "data/DataStore.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace kaoshi {

// One stored 问答 answer with its question and, when marked, its hand score.
struct FreeAnswer {
    QString number;            // 考号
    QString occasion;          // 场次
    QString name;              // 姓名
    qint64 questionNumber = 0; // 题号
    QString question;          // 题目
    QString standardAnswer;    // 标准答案, the marker's reference
    QString answer;            // 考生答案
    double fullMark = 0;       // 分值
    std::optional<double> score; // 得分, when marked
};

// The 问答 answers of an occasion whose question exists, by 考号 then 题号;
// nothing when they could not be read.
std::optional<std::vector<FreeAnswer>> freeAnswers(DataStore &store, const QString &occasion);

// Keeps the marker's score of one answer, replacing an earlier one, in one
// statement.
bool storeHandScore(DataStore &store, const FreeAnswer &answer, double score, const QDateTime &markedAt);

// Deletes the score of the answer the key names, if there is one. Deleting
// an answer deletes its score in the same unit.
bool deleteHandScore(DataStore &store, const AnswerKey &key);

} // namespace kaoshi
