#pragma once
// The bank list's and the editor's work on one bank (单选, 多选, 判断, 问答):
// storing typed rows, replacing, deleting and clearing questions while
// keeping the bank numbered 1 … N without gaps. The statements themselves
// belong to the bank table (data/BankTable.h).
#include "data/BankTable.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace kaoshi {

class DataStore;

// A question as the bank list and the editor show it: every value as text.
struct QuestionTexts {
    QString number; // 题号; empty for a row the user typed
    QString text;   // 题目
    QString answer; // 标准答案
    QString explanation;
    QString score;
    QString chapter;
    qint64 rowId = 0; // the stored row it shows; 0 for a typed row
};
// Columns of the bank list: 题号, 题目, 标准答案, 解析, 分值, 章节 and a hidden
// second 题号 for the print window, which never offers the first column.
inline constexpr int kBankColumnCount = 7;
const QStringList &bankColumnTitles();

// The seven cells of the bank list for a question.
QStringList questionCells(const Question &question);

// Every text trimmed (ASCII and full-width spaces), the score read as a number.
QuestionValues trimmedValues(const QuestionTexts &texts);
// A row typed into the bank list: trimmed, with ASCII letters of 题目 and
// 标准答案 in capitals.
QuestionValues typedRowValues(const QuestionTexts &texts);

// Stores typed rows as new questions numbered after the bank's maximum, in
// order, as one unit. Returns the number given to each row (0: not stored,
// and then nothing was stored).
std::vector<qint64> saveNewQuestions(DataStore &store, QuestionType type, const std::vector<QuestionTexts> &rows);

// Removes every question of the bank and the picture records of that bank; one unit.
bool clearBank(DataStore &store, QuestionType type);

// The question row with that identity is removed with its picture records;
// every later question and its pictures moves down by one. One unit.
bool deleteQuestion(DataStore &store, QuestionType type, qint64 rowId);

} // namespace kaoshi
