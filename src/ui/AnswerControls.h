#pragma once
// The answer controls of one question type each, as the practice windows and
// the question editor show them: option buttons A … G, tick boxes A … G, the
// options √ and ×, and a free-answer field. Turns a stored answer into their
// states and their states back into the answer text.
#include "data/AnswerEncoding.h"

#include <QString>
#include <array>

class QCheckBox;
class QRadioButton;
class QTextEdit;

namespace kaoshi {

// The answer page of each QuestionType, in the order of questionTypes().
enum AnswerPage { SingleChoicePage = 0, MultipleChoicePage = 1, TrueFalsePage = 2, FreeAnswerPage = 3 };

struct AnswerControls {
    std::array<QRadioButton *, kChoiceCount> singleChoices{};
    std::array<QCheckBox *, kChoiceCount> multipleChoices{};
    QRadioButton *rightChoice = nullptr;
    QRadioButton *wrongChoice = nullptr;
    QTextEdit *freeAnswer = nullptr;

    // Letters are found anywhere in the stored text; the other controls of
    // the page are cleared.
    void show(int page, const QString &stored) const;
    // The answer of the controls of a page; a free answer as typed.
    QString collect(int page) const;
};

} // namespace kaoshi
