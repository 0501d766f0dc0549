#pragma once
// A question of a bank as the data layer gives it: its row, its 题号 as
// stored (a whole number in files of ours, anything in files made
// elsewhere) and every value of the row. What a store writes is the
// QuestionValues part.
#include "data/FieldValue.h"
#include "data/QuestionType.h"

#include <QString>

namespace kaoshi {

// The values stored for a question (题号 apart).
struct QuestionValues {
    QString text;        // 题目
    QString answer;      // 标准答案
    QString explanation; // 解析
    double score = 0;    // 分值
    QString chapter;     // 章节
};

struct Question {
    QuestionType type = QuestionType::SingleChoice;
    qint64 rowId = 0;        // the row, for as long as it exists
    FieldValue number;       // 题号 as stored
    QString text;            // 题目
    QString answer;          // 标准答案
    QString explanation;     // 解析
    FieldValue score;        // 分值 as stored: "5" reads as 5, 2.5 as 2.5
    QString chapter;         // 章节
    QString practiceAnswer;  // 练习答案
};

// Where a listed row lives: its bank and its row identity.
struct RowKey {
    QuestionType type = QuestionType::SingleChoice;
    qint64 rowId = 0;
};

} // namespace kaoshi
