#pragma once
// The answer controls of one question type each, as the practice windows and
// the question editor show them: option buttons A … G, tick boxes A … G, the
// options √ and ×, and a free-answer field. Turns a stored answer into their
// states and their states back into the answer text.
#include "data/AnswerEncoding.h"
#include "data/QuestionType.h"

#include <QString>
#include <array>

class QCheckBox;
class QRadioButton;
class QTextEdit;

namespace kaoshi {

struct AnswerControls {
    std::array<QRadioButton *, kChoiceCount> singleChoices{};
    std::array<QCheckBox *, kChoiceCount> multipleChoices{};
    QRadioButton *rightChoice = nullptr;
    QRadioButton *wrongChoice = nullptr;
    QTextEdit *freeAnswer = nullptr;

    // Letters are found anywhere in the stored text; the other controls of
    // the kind are cleared.
    void show(QuestionType type, const QString &stored) const;
    // The answer of the controls of a kind; a free answer as typed.
    QString collect(QuestionType type) const;
};

} // namespace kaoshi
