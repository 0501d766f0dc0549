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

struct AnswerControls {
    std::array<QRadioButton *, kChoiceCount> singleChoices{};
    std::array<QCheckBox *, kChoiceCount> multipleChoices{};
    QRadioButton *rightChoice = nullptr;
    QRadioButton *wrongChoice = nullptr;
    QTextEdit *freeAnswer = nullptr;

    // type: the index of the QuestionType, 0 单选 … 3 问答. Letters are found
    // anywhere in the stored text; the others controls of the type are cleared.
    void show(int type, const QString &stored) const;
    // The answer of the controls of a type; a free answer as typed.
    QString collect(int type) const;
};

} // namespace kaoshi
