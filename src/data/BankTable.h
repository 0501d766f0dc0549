#pragma once
// The statements of the four bank tables 单选, 多选, 判断 and 问答, and of the
// picture rows that belong to their questions. Every function first checks
// that the table is one of the four banks; a name that is not is refused
// before any statement is built. Values are bound, never pasted.
#include "data/DataStore.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <span>
#include <vector>

namespace kaoshi {

// The values stored for a question (题号 apart).
struct QuestionValues {
    QString text;        // 题目
    QString answer;      // 标准答案
    QString explanation; // 解析
    double score = 0;    // 分值
    QString chapter;     // 章节
};

// Where a listed row lives: the bank (index into questionTypes()) and its row identity.
struct RowKey {
    int bank = 0;
    qint64 rowId = 0;
};

namespace bank {

// The number typed into a box as a bound value: an integer for "7", a real
// for "2.5"; nothing for a text that is not a decimal number.
std::optional<FieldValue> numberValue(const QString &typed);

// The lowest and highest 题号, read by the aliases 最小值 and 最大值; "" for an
// empty bank. failed: the bank could not be read.
struct Bounds {
    QString lower;
    QString upper;
    bool failed = false;
    DataError error;
    // An empty bank has the upper bound zero.
    bool isEmpty() const;
};
Bounds readBounds(DataStore &store, const QString &type);

// The highest 题号 as an integer (0 for an empty bank); nothing when it cannot
// be read or is not a whole number.
std::optional<qint64> maxNumber(DataStore &store, const QString &type);

// The question with that 题号 (a single-record cursor over all its columns).
RecordCursor questionByNumber(DataStore &store, const QString &type, const FieldValue &number);
RecordCursor questionByRowId(DataStore &store, const QString &type, qint64 rowId);
// How many questions the bank holds.
std::optional<qint64> questionCount(DataStore &store, const QString &type);
// The distinct 题号 of the bank, ascending.
std::optional<std::vector<qint64>> questionNumbers(DataStore &store, const QString &type);
// The distinct 题号 of the bank's questions of one chapter, ascending; the
// empty chapter also takes the questions whose 章节 was never written.
std::optional<std::vector<qint64>> chapterQuestionNumbers(DataStore &store, const QString &type,
                                                          const QString &chapter);

bool saveAnswer(DataStore &store, const QString &type, const FieldValue &number, const QString &answer);
bool clearAnswers(DataStore &store, const QString &type);

// The row identities of the bank in 题号 order; with a search text, those whose
// 题目, 标准答案, 解析 or 分值 contains it. Reads one integer per row.
std::optional<std::vector<qint64>> listRowIds(DataStore &store, const QString &type, const QString &searchText);
// Every column of the rows with these identities (rowid first, as 行号).
RowSet rowsById(DataStore &store, const QString &type, std::span<const qint64> rowIds);

// The wrong questions of the four banks, bank by bank in 题号 order: practice
// answer not empty and different from the standard answer.
std::optional<std::vector<RowKey>> listWrongQuestions(DataStore &store);

// Appends questions numbered first, first+1, … with one prepared insert.
bool insertQuestions(DataStore &store, const QString &type, qint64 first, std::span<const QuestionValues> questions);
// The question row of that identity takes these values; its 题号 stays.
bool updateQuestion(DataStore &store, const QString &type, qint64 rowId, const QuestionValues &values);
// Removes the question row; when no other row keeps its 题号, its picture rows
// go too and every later question and picture row moves down by one.
// Call inside a Transaction.
bool deleteQuestion(DataStore &store, const QString &type, qint64 rowId);
// Every question of the bank and the bank's picture rows. Call inside a Transaction.
bool clearBank(DataStore &store, const QString &type);
// The four banks as one unit of work: all of them are emptied, or none.
bool clearAllBanks(DataStore &store);

// The 题号 texts that more than one row of the bank carries.
std::optional<QStringList> duplicateNumbers(DataStore &store, const QString &type);

// The 题目 of every question of the bank; nothing when the bank cannot be read.
std::optional<QStringList> questionTexts(DataStore &store, const QString &type);

// The distinct chapters of the four banks, in order.
QStringList chapters(DataStore &store);

// The questions with these 题号, in the order asked (the first row of a 题号
// that several rows carry); a 题号 without a row is left out. Nothing when
// the bank cannot be read.
struct NumberedQuestion {
    qint64 number = 0;
    QuestionValues values;
};
std::optional<std::vector<NumberedQuestion>> questionsByNumber(DataStore &store, const QString &type,
                                                               std::span<const qint64> numbers);

} // namespace bank
} // namespace kaoshi
