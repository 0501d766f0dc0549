#pragma once
// The statements of the papers in progress: tables 答卷 (one row per drawn
// question with the answer given so far) and 答卷计时 (the time a paper has
// left). A paper is kept there from its draw until its hand-in, which moves
// its answers into 评分 and removes it in the same unit of work. Files made
// before papers existed lack both tables; they are made when first needed.
#include "data/AnswerTable.h"
#include "data/DataStore.h"
#include "data/QuestionType.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace kaoshi {

// Whose paper: the signed-in candidate's 考号 and 场次 (and 姓名 for 评分).
struct PaperOwner {
    QString number;   // 考号
    QString occasion; // 场次
    QString name;     // 姓名
};

// One drawn question and the answer given so far ("" while unanswered).
struct PaperItem {
    QuestionType type = QuestionType::SingleChoice; // 题型
    qint64 number = 0; // 题号
    QString answer;    // 考生答案, encoded as stored
    bool operator==(const PaperItem &) const = default;
};

struct KeptPaper {
    std::vector<PaperItem> items; // in the paper's order
    qint64 secondsLeft = 0;       // -1: no time limit
    // The 序号 of each item as kept (none: 0, 1, … as for a fresh draw). A
    // kept row whose 题型 names no bank is left out of items but keeps its
    // 序号, so that the rows after it are written under their own.
    std::vector<int> rows{};
};
// The 序号 of each item of the paper.
std::vector<int> rowsOf(const KeptPaper &paper);

// Whether a server holds every one of the named indexes already (false on a
// file, where making them again costs nothing). Making one that exists would
// still lock its table against every seat's writes and wait behind them.
bool indexesPresent(DataStore &store, const QStringList &names);

// Makes the two tables when the file lacks them; false when it cannot.
bool ensurePaperTables(DataStore &store);

// The paper kept for this 考号 and 场次; a kept row whose 题型 names no bank
// is left out (untouched, see KeptPaper::rows). failed: it could not be read (which
// decides nothing: the caller must not take it for "no paper").
struct PaperLookup {
    std::optional<KeptPaper> paper;
    bool failed = false;
};
PaperLookup findKeptPaper(DataStore &store, const QString &number, const QString &occasion);

// Keeps a freshly drawn paper, in one unit. The paper's time row is its
// claim: one (考号, 场次) has one kept paper, so of two copies of the program
// that draw for the same candidate at once exactly one keeps its paper.
enum class KeepOutcome { Kept, Taken, Failed };
KeepOutcome keepNewPaper(DataStore &store, const PaperOwner &owner, const KeptPaper &paper);
// Keeps the answer of the row with this 序号 (the position of a paper kept
// without gaps: 0-based, in the paper's order).
bool keepPaperAnswer(DataStore &store, const PaperOwner &owner, int position, const QString &answer);
// Keeps answers by 序号 in the order given, as one unit (a seat sends
// what it kept while the server was gone). NotKept: the paper is kept no
// more, or has no such position; nothing was changed then.
enum class AnswersOutcome { Kept, NotKept, Failed };
AnswersOutcome keepPaperAnswers(DataStore &store, const PaperOwner &owner,
                                const std::vector<std::pair<int, QString>> &answers);
bool keepSecondsLeft(DataStore &store, const PaperOwner &owner, qint64 secondsLeft);

// Hands the paper in: one 评分 row per item and the removal of the kept
// paper, as one unit; on failure nothing has changed. A paper that is no
// longer kept (handed in elsewhere) or whose candidate already has answers in
// 评分 is refused, so that no candidate is graded twice.
enum class HandInOutcome { HandedIn, NotKept, AlreadyGraded, Failed };
HandInOutcome handInPaper(DataStore &store, const PaperOwner &owner, const std::vector<PaperItem> &items);

} // namespace kaoshi
