#pragma once
// The statements of the four bank tables 单选, 多选, 判断 and 问答, and of the
// picture rows that belong to their questions. A bank is a QuestionType, so
// a table name is always one of the four; values are bound, never pasted.
// Questions come and go as typed records.
#include "data/DataStore.h"
#include "data/Keyset.h"
#include "data/PaperParts.h"
#include "data/Question.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <span>
#include <vector>

namespace kaoshi {

namespace bank {

// The number typed into a box as a bound value: an integer for "7", a real
// for "2.5"; nothing for a text that is not a decimal number.
std::optional<FieldValue> numberValue(const QString &typed);

// The lowest and highest 题号 as text; "" for an empty bank. failed: the
// bank could not be read.
struct Bounds {
    QString lower;
    QString upper;
    bool failed = false;
    DataError error;
    // An empty bank has the upper bound zero.
    bool isEmpty() const;
};
Bounds readBounds(DataStore &store, QuestionType type);

// The highest 题号 as an integer (0 for an empty bank); nothing when it cannot
// be read or is not a whole number.
std::optional<qint64> maxNumber(DataStore &store, QuestionType type);

// The first question with that 题号, or with that row identity; nothing when
// there is none or it cannot be read.
std::optional<Question> questionByNumber(DataStore &store, QuestionType type, const FieldValue &number);
std::optional<Question> questionByRowId(DataStore &store, QuestionType type, qint64 rowId);
// Whether none of the four banks holds a question; nothing when one cannot be read.
std::optional<bool> allBanksEmpty(DataStore &store);
// How many questions the bank holds.
std::optional<qint64> questionCount(DataStore &store, QuestionType type);
// The distinct 题号 of the bank, ascending.
std::optional<std::vector<qint64>> questionNumbers(DataStore &store, QuestionType type);
// The distinct 题号 of the bank's questions of one chapter, ascending; the
// empty chapter also takes the questions whose 章节 was never written.
std::optional<std::vector<qint64>> chapterQuestionNumbers(DataStore &store, QuestionType type,
                                                          const QString &chapter);

bool saveAnswer(DataStore &store, QuestionType type, const FieldValue &number, const QString &answer);
bool clearAnswers(DataStore &store, QuestionType type);

// The row identities of the bank in 题号 order; with a search text, those whose
// 题目, 标准答案, 解析 or 分值 contains it. Reads one integer per row.
std::optional<std::vector<qint64>> listRowIds(DataStore &store, QuestionType type, const QString &searchText);
// The questions of a paper's parts, every bank in one statement: per bank
// and 题号 the first row (by row identity) that carries it; a 题号 without a
// row is left out. Nothing when they cannot be read.
std::optional<std::vector<Question>> questionsOfParts(DataStore &store, const PartNumbers &parts);
// The questions with these identities, in no particular order.
std::optional<std::vector<Question>> questionsById(DataStore &store, QuestionType type,
                                                   std::span<const qint64> rowIds);

// The bank in 题号 order read a window at a time through the 题号 index
// (keyset): a position in the order is (题号, rowid).
using kaoshi::ListPosition; // (题号, rowid)
// How many rows have a 题号, and how many have none.
struct NumberedCount {
    qint64 numbered = 0;
    qint64 unnumbered = 0;
};
std::optional<NumberedCount> numberedCount(DataStore &store, QuestionType type);
// Up to `limit` questions with a 题号, skipping `offset`: after `from` in
// ascending order, or before it in descending order when `backwards`; from
// the first (or last) row without `from`. Nothing when they cannot be read.
std::optional<std::vector<Question>> numberedRows(DataStore &store, QuestionType type,
                                                  const std::optional<ListPosition> &from, bool backwards,
                                                  qint64 offset, qint64 limit);
// The 题号 between low and high (both included) that more than one row carries.
std::optional<QStringList> duplicateNumbersBetween(DataStore &store, QuestionType type, const FieldValue &low,
                                                   const FieldValue &high);

// The wrong questions of the four banks, bank by bank in 题号 order: practice
// answer not empty and different from the standard answer.
std::optional<std::vector<RowKey>> listWrongQuestions(DataStore &store);
// The wrong questions of one bank as two runs in list order: those without
// a 题号 by row, then the numbered ones by 题号. A partial index holds them,
// so that they are counted and read without reading the bank.
std::optional<qint64> wrongQuestionCount(DataStore &store, QuestionType type, bool numbered);
std::optional<std::vector<Question>> wrongQuestionRows(DataStore &store, QuestionType type, bool numbered,
                                                       const std::optional<ListPosition> &from, bool backwards,
                                                       qint64 offset, qint64 limit);

// A search through the bank in list order (rows without a 题号 first, by row,
// then by 题号), a slice at a time: the rows scanned after a position, each
// telling whether its 题目, 标准答案, 解析 or 分值 contains the text (every
// row does for an empty text).
struct ScannedRow {
    ListPosition position;
    bool matches = false;
};
std::optional<std::vector<ScannedRow>> scanForText(DataStore &store, QuestionType type, const QString &searchText,
                                                   bool numbered, const std::optional<ListPosition> &from,
                                                   qint64 limit);

// Appends the questions after the bank's highest 题号, numbered in their
// order, as one unit of work: all are stored or none is. Returns the 题号 of
// the first. Refused when the numbers would pass the largest 题号.
std::optional<qint64> appendQuestions(DataStore &store, QuestionType type, std::span<const QuestionValues> questions);
// Stores questions numbered first, first+1, … with one prepared insert, as
// one unit.
bool insertQuestions(DataStore &store, QuestionType type, qint64 first, std::span<const QuestionValues> questions);
// The question row of that identity takes these values; its 题号 stays.
bool updateQuestion(DataStore &store, QuestionType type, qint64 rowId, const QuestionValues &values);
// Removes the question row; when no other row keeps its 题号, its picture rows
// go too and every later question and picture row moves down by one.
// Call inside a Transaction.
bool deleteQuestion(DataStore &store, QuestionType type, qint64 rowId);
// Every question of the bank and the bank's picture rows. Call inside a Transaction.
bool clearBank(DataStore &store, QuestionType type);
// The four banks as one unit of work: all of them are emptied, or none.
bool clearAllBanks(DataStore &store);

// The 题号 texts that more than one row of the bank carries.
std::optional<QStringList> duplicateNumbers(DataStore &store, QuestionType type);

// The 题目 of every question of the bank; nothing when the bank cannot be read.
std::optional<QStringList> questionTexts(DataStore &store, QuestionType type);

// The trimmed 题目 of a bank, copied into a temporary table of the connection
// (on disk, not in memory), so that an import tells the questions the bank
// already holds through an index instead of holding every text. It is filled
// a step at a time, so that a window stays responsive over a big bank, and
// dropped with the object. One per bank and connection at a time.
class QuestionTextIndex
{
public:
    QuestionTextIndex(DataStore &store, QuestionType type);
    ~QuestionTextIndex();
    QuestionTextIndex(const QuestionTextIndex &) = delete;
    QuestionTextIndex &operator=(const QuestionTextIndex &) = delete;

    // Copies up to `rows` more questions; true once every question is in,
    // nothing on failure (the store's last error says why).
    std::optional<bool> fill(qint64 rows = 50000);
    bool isComplete() const { return m_complete; }
    // Those of the texts (trimmed) that the bank holds; nothing on failure.
    std::optional<QSet<QString>> present(const QStringList &texts);

private:
    DataStore &m_store;
    QString m_type;
    QString m_table;
    qint64 m_lastRowId = 0;
    qint64 m_copied = 0;
    bool m_made = false;
    bool m_complete = false;
};

// The distinct chapters of the four banks, in order.
QStringList chapters(DataStore &store);

// The questions with these 题号, in the order asked (the first row of a 题号
// that several rows carry); a 题号 without a row is left out. Nothing when
// the bank cannot be read.
struct NumberedQuestion {
    qint64 number = 0;
    QuestionValues values;
};
std::optional<std::vector<NumberedQuestion>> questionsByNumber(DataStore &store, QuestionType type,
                                                               std::span<const qint64> numbers);

} // namespace bank
} // namespace kaoshi
