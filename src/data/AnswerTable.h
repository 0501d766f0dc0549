#pragma once
// The statements of table 评分: the candidates' stored answers. Rows arrive
// from outside the program; here they are listed, counted, read with their
// questions and deleted. Every 考号 and 场次 is a bound value.
#include "data/DataStore.h"
#include "data/Keyset.h"
#include "data/QuestionType.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace kaoshi {

// The distinct candidate numbers, in the order the engine returns them.
// Empty when the table cannot be read.
QStringList answerNumbers(DataStore &store);
// The distinct occasions of one candidate number.
QStringList answerOccasions(DataStore &store, const QString &number);
// Every occasion that has answers, in text order.
QStringList allAnswerOccasions(DataStore &store);

// How many answers a candidate number has for an occasion; nothing when the
// count could not be read.
std::optional<qint64> answerCount(DataStore &store, const QString &number, const QString &occasion);

// One stored answer with the question it answers.
struct AnswerDetail {
    qint64 questionNumber = 0; // 题号
    QString type;              // 题型 as stored: rows from elsewhere may name no bank
    QString answer;            // 考生答案
    QString number;            // 考号
    QString occasion;          // 场次
    QString name;              // 姓名
    QString question;          // 题目, "" when the bank has no such question
    QString standardAnswer;    // 标准答案, likewise
    double score = 0;          // 分值, likewise 0
    std::optional<double> handScore; // the marker's score, when there is one
};

// One candidate's answers of one occasion, each with its question looked up
// in the bank its 题型 names, in the order of the banks (单选, 多选, 判断, 问答,
// then any other 题型) and by 题号. Nothing when they cannot all be read (the
// store's last error says why).
std::optional<std::vector<AnswerDetail>> readAnswerDetails(DataStore &store, const QString &number,
                                                           const QString &occasion);

// One candidate's answers of one occasion, listed as runs read by keyset:
// the kinds of the four banks in their order, then answers without a 题型,
// then any other 题型 in text order; within a kind, the answers without a
// 题号 first (by row), then by 题号. Every run has its count.
struct AnswerRun {
    std::optional<QString> type; // 题型; nothing for the answers without one
    bool numbered = true;
    qint64 count = 0;
};
std::optional<std::vector<AnswerRun>> answerRuns(DataStore &store, const QString &number, const QString &occasion);
// Up to `limit` answers of a run, as readKeysetWindow reads them.
struct PlacedAnswer {
    ListPosition position;
    AnswerDetail detail;
};
std::optional<std::vector<PlacedAnswer>> answerRunRows(DataStore &store, const QString &number,
                                                       const QString &occasion, const AnswerRun &run,
                                                       const std::optional<ListPosition> &from, bool backwards,
                                                       qint64 offset, qint64 limit);

// What identifies a stored answer.
struct AnswerKey {
    qint64 questionNumber = 0; // 题号
    QString type;              // 题型 as stored
    QString number;            // 考号
    QString occasion;          // 场次
};

// One answer as a paper hands it in.
struct StoredAnswer {
    QString number;   // 考号
    QString occasion; // 场次
    QString name;     // 姓名
    qint64 questionNumber = 0; // 题号
    QuestionType type = QuestionType::SingleChoice; // 题型
    QString answer;   // 考生答案
};

// Inserts the rows. Call inside a Transaction:
// the rows are meant to be stored all together or not at all.
bool insertAnswers(DataStore &store, const std::vector<StoredAnswer> &rows);

// Deletes every answer row that matches one of the keys, and the hand score
// of each (table 阅卷), in one unit: either all of them go or none does.
bool deleteAnswers(DataStore &store, const std::vector<AnswerKey> &keys);

} // namespace kaoshi
