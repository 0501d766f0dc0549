#pragma once
// Reading and writing the questions of one bank table (单选, 多选, 判断, 问答):
// the list statements, storing typed rows, replacing and deleting a question
// while keeping the bank numbered 1 … N without gaps.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace kaoshi {

class DataStore;
class RecordCursor;
class RowSet;

// A question as the bank list and the editor show it: every value as text.
struct QuestionTexts {
    QString number; // 题号; empty for a row the user typed
    QString text;   // 题目
    QString answer; // 标准答案
    QString explanation;
    QString score;
    QString chapter;
};

// The values stored for a question (题号 apart).
struct QuestionValues {
    QString text;
    QString answer;
    QString explanation;
    double score = 0;
    QString chapter;
};

// Columns of the bank list: 题号, 题目, 标准答案, 解析, 分值, 章节 and a hidden
// second 题号 for the print window, which never offers the first column.
inline constexpr int kBankColumnCount = 7;
const QStringList &bankColumnTitles();

// "select * from T order by 题号", or with a search text every question whose
// 题目, 标准答案, 解析 or 分值 contains it.
QString searchStatement(const QString &type, const QString &searchText);
// The seven cells of the bank list for the current row of a listing.
QStringList questionCells(const RowSet &row);

// The highest 题号 of the bank; 0 for an empty bank.
qint64 maxQuestionNumber(DataStore &store, const QString &type);

// Every text trimmed (ASCII and full-width spaces), the score read as a number.
QuestionValues trimmedValues(const QuestionTexts &texts);
// A row typed into the bank list: trimmed, with ASCII letters of 题目 and
// 标准答案 in capitals.
QuestionValues typedRowValues(const QuestionTexts &texts);

// Adds one question through a table cursor on the bank; true when stored.
bool insertQuestion(RecordCursor &bank, qint64 number, const QuestionValues &values);

// Stores typed rows as new questions numbered after the bank's maximum, in
// order, as one unit. Returns the number given to each row (0: not stored).
std::vector<qint64> saveNewQuestions(DataStore &store, const QString &type,
                                     const std::vector<QuestionTexts> &rows);

// Removes every question of the bank and the picture records of that bank.
bool clearBank(DataStore &store, const QString &type);

// Question n with its picture records is removed; every later question and
// its pictures moves down by one, in ascending order. One unit.
bool deleteQuestion(DataStore &store, const QString &type, qint64 number);

// How many rows a grid keeps when it should show `target` rows: blank rows
// are added up to the target, and only trailing blank rows are taken away.
// rowHasText(r) tells whether data row r (1-based) holds any text.
int fittedRowCount(int rowCount, int target, const std::function<bool(int)> &rowHasText);

} // namespace kaoshi
