#pragma once
// What a menu item or navigation item asks of the window it opens.
#include "data/PaperTable.h"
#include "data/QuestionType.h"

#include <QString>

namespace kaoshi {

struct TaskRequest {
    QuestionType questionType = QuestionType::SingleChoice; // the bank a bank list shows
    QString chapter;      // the chapter a chapter item chose
    PaperOwner candidate; // who sits the paper an exam paper opens for
};

} // namespace kaoshi
