#pragma once
// The statements that score the stored answers of 评分. An answer earns its
// hand score where a marker gave one (table 阅卷, for 问答 answers), else its
// question's full 分值 when its text equals the standard answer, else 0; an
// answer whose question is missing, or whose 题型 is none of the banks,
// scores nothing. The database adds the scores up: totals per candidate, and
// the sums per candidate and per question that the results analysis needs.
#include "data/DataStore.h"

#include <QString>

namespace kaoshi {

struct Statement {
    QString sql;
    Values values;
};

// Whether the file has the table of hand scores (a read-only file of an
// earlier version may not); without it every answer is scored by comparison.
bool hasHandScoreTable(DataStore &store);

// The score of the 评分 row in scope, NULL when its question is missing.
QString answerScoreExpression(bool withHandScores);

// Left joins of the four banks to rows whose 题型 and 题号 are in `table`,
// each bank joined only to the rows of its kind, and the matched question's
// columns "题目", "标准答案" and "分值" (NULL when the bank has no such question).
struct BankLookup {
    QString columns;
    QString joins;
};
BankLookup bankLookup(const QString &table);

// Orders rows by bank (单选, 多选, 判断, 问答, then any other 题型).
QString bankOrderExpression(const QString &typeColumn);

// One row per 考号, 场次 and 姓名 that has answers, in that order, with 总分:
// the sum of the answers' scores (0 when none is right). An empty number or
// occasion does not filter.
Statement totalsStatement(const QString &number, const QString &occasion, bool withHandScores);
RowSet queryTotals(DataStore &store, const QString &number, const QString &occasion);

// Per candidate (考号, 场次) of the occasion ("" = every occasion): 考号, 场次,
// 总分 and 满分 (the sum of the 分值 of the questions answered).
RowSet queryCandidateScores(DataStore &store, const QString &occasion);

// Per question answered in the occasion ("" = every occasion), in bank order
// then by 题号. The candidates are ranked by total (highest first, ties by
// 考号 and 场次); the first `groupSize` form the top group, the last
// `groupSize` the bottom group. Columns, x being an answer's score and T its
// candidate's total:
//   题型, 题号, 题目, 标准答案, 分值 (NULL when the question is missing),
//   作答 (answers), 和 Σx, 平方和 Σx², 积和 Σx·T, 总和 ΣT, 总平方和 ΣT²,
//   高组 / 低组 (answers in the top / bottom group), 高组和 / 低组和 (their Σx),
//   高A … 高G / 低A … 低G (answers of the group that contain the letter).
RowSet queryQuestionSums(DataStore &store, const QString &occasion, int groupSize);

// The option letters counted per group.
inline constexpr int kOptionLetters = 7; // A … G

} // namespace kaoshi
