#include "ui/AnswerControls.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QTextEdit>

namespace kaoshi {

namespace {

// Option buttons that exclude each other cannot be unchecked one by one.
template <typename Radios>
void clearRadios(const Radios &radios)
{
    for (QRadioButton *radio : radios) {
        radio->setAutoExclusive(false);
        radio->setChecked(false);
        radio->setAutoExclusive(true);
    }
}

template <typename Boxes>
ChoiceMarks checkedMarks(const Boxes &boxes)
{
    ChoiceMarks marks{};
    for (size_t i = 0; i < marks.size(); ++i)
        marks[i] = boxes[i]->isChecked();
    return marks;
}

} // namespace

void AnswerControls::show(QuestionType type, const QString &stored) const
{
    switch (type) {
    case QuestionType::SingleChoice: {
        clearRadios(singleChoices);
        const ChoiceMarks marks = marksFromAnswer(stored);
        for (size_t i = 0; i < marks.size(); ++i)
            if (marks[i])
                singleChoices[i]->setChecked(true);
        break;
    }
    case QuestionType::MultipleChoice: {
        const ChoiceMarks marks = marksFromAnswer(stored);
        for (size_t i = 0; i < marks.size(); ++i)
            multipleChoices[i]->setChecked(marks[i]);
        break;
    }
    case QuestionType::TrueFalse:
        clearRadios(std::array{rightChoice, wrongChoice});
        if (const Verdict verdict = verdictFromAnswer(stored); verdict == Verdict::Right)
            rightChoice->setChecked(true);
        else if (verdict == Verdict::Wrong)
            wrongChoice->setChecked(true);
        break;
    case QuestionType::FreeAnswer:
        freeAnswer->setPlainText(stored);
        break;
    }
}

QString AnswerControls::collect(QuestionType type) const
{
    switch (type) {
    case QuestionType::SingleChoice:
        return singleChoiceAnswer(checkedMarks(singleChoices));
    case QuestionType::MultipleChoice:
        return multipleChoiceAnswer(checkedMarks(multipleChoices));
    case QuestionType::TrueFalse:
        return trueFalseAnswer(rightChoice->isChecked()   ? Verdict::Right
                               : wrongChoice->isChecked() ? Verdict::Wrong
                                                          : Verdict::None);
    case QuestionType::FreeAnswer:
        return freeAnswer->toPlainText();
    }
    return QString();
}

} // namespace kaoshi
