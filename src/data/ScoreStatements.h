#pragma once
// The statements that score the stored answers of 评分. An answer earns its
// hand score where a marker gave one (table 阅卷, for 问答 answers), else its
// question's full 分值 when its text equals the standard answer, else 0; an
// answer whose question is missing, or whose 题型 is none of the banks,
// scores nothing. The database adds the scores up: totals per candidate, and
// the sums per candidate and per question that the results analysis needs.
#include "data/DataStore.h"
#include "data/QuestionType.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

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

// The statements that make the table of the session (分析题) with one row
// per question of the four banks: 题型, 题号, 标准答案 and 分值.
QStringList questionKeyStatements(const Engine &engine);

// One row per 考号, 场次 and 姓名 that has answers, in that order, with 总分:
// the sum of the answers' scores (0 when none is right). An empty number or
// occasion does not filter. byJoin: each answer's question found in the
// table of questions above, which the connection must hold while the
// statement runs, for an engine that says so (Engine::joinsAnswersToBanks),
// rather than looked up per answer in its bank.
Statement totalsStatement(const QString &number, const QString &occasion, bool withHandScores, bool byJoin = false);

// A second connection for a long read that goes through every answer of a
// list (its counts, its total) with a small cache of its own, so that the
// program's memory does not grow with the list; nothing where the engine
// gives none (the store itself reads then).
std::unique_ptr<DataStore> openLightReader(DataStore &store);

// One slice of one candidate's answers of one occasion in one bank, for a
// total summed a slice at a time: the answers with a 题号 after `after`
// (from the first without it) up to and including the 题号 that about
// `limit` answers reach, so that the answers of one 题号 are never split.
// Only the answers of the four banks with a 题号 can score; the others add
// nothing. `last` is the slice's last 题号, null when it took the rest of
// the bank; error set when it could not be read.
struct ScoreSlice {
    double sum = 0;
    FieldValue last;
    DataError error;
};
ScoreSlice sumScoreSlice(DataStore &store, const QString &number, const QString &occasion, QuestionType bank,
                         const FieldValue &after, qint64 limit);

// The rows of totalsStatement, read to their end; error set (and no rows) when
// they could not all be read. Where the engine gives a second reading
// connection, the candidates are read in two ranges of 考号 at once, each on
// its own connection and thread, both on one state of the database, and the
// ranges joined in order: the same rows in the same order as one statement.
struct CandidateTotalRow {
    QString number;   // 考号
    QString occasion; // 场次
    QString name;     // 姓名
    double total = 0; // 总分
};
struct CandidateTotals {
    std::vector<CandidateTotalRow> rows;
    DataError error;
};
CandidateTotals readCandidateTotals(DataStore &store, const QString &number, const QString &occasion);
// The same with the second range starting at the 考号 `secondFrom` (rows
// without a 考号 belong to the first range).
CandidateTotals readCandidateTotalsSplitAt(DataStore &store, const QString &number, const QString &occasion,
                                           const FieldValue &secondFrom);

// Per candidate (考号, 场次) of the occasion ("" = every occasion), by 考号
// and 场次: the total and the sum of the 分值 of the questions answered.
struct CandidateScore {
    QString number;
    QString occasion;
    double total = 0;
    double fullMark = 0;
};
struct CandidateScores {
    std::vector<CandidateScore> rows;
    DataError error; // set when the rows could not all be read
};

// The option letters counted per group.
inline constexpr int kOptionLetters = 7; // A … G

// Per question answered in the occasion ("" = every occasion), in bank order
// then by 题号. The candidates are ranked by total (highest first, ties by
// 考号 and 场次); the first `groupSize` form the top group, the last
// `groupSize` the bottom group. x is an answer's score, T its candidate's total.
struct QuestionSums {
    QString type;
    qint64 number = 0;
    QString text;
    QString standardAnswer;
    std::optional<double> fullMark; // 分值; none when the question is missing
    double n = 0, x = 0, xx = 0, xt = 0, t = 0, tt = 0; // answers, Σx, Σx², Σx·T, ΣT, ΣT²
    double top = 0, bottom = 0, topX = 0, bottomX = 0;  // answers of the groups and their Σx
    double topLetter[kOptionLetters] = {};              // answers of the group containing A …
    double bottomLetter[kOptionLetters] = {};
};
struct QuestionSumsList {
    std::vector<QuestionSums> rows;
    DataError error;
};

// The candidates' totals and the per-question sums of the occasion, from
// one scoring of its answers; groupSize(candidates) gives the size of the
// top and bottom groups. The totals are kept in a temporary table of the
// connection while the sums are read, and dropped after.
struct AnalysisSums {
    CandidateScores candidates;
    QuestionSumsList questions;
};
AnalysisSums analysisSums(DataStore &store, const QString &occasion, const std::function<int(int)> &groupSize);

} // namespace kaoshi
