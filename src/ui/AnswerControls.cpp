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

void AnswerControls::show(int type, const QString &stored) const
{
    switch (type) {
    case 0: {
        clearRadios(singleChoices);
        const ChoiceMarks marks = marksFromAnswer(stored);
        for (size_t i = 0; i < marks.size(); ++i)
            if (marks[i])
                singleChoices[i]->setChecked(true);
        break;
    }
    case 1: {
        const ChoiceMarks marks = marksFromAnswer(stored);
        for (size_t i = 0; i < marks.size(); ++i)
            multipleChoices[i]->setChecked(marks[i]);
        break;
    }
    case 2:
        clearRadios(std::array{rightChoice, wrongChoice});
        if (const Verdict verdict = verdictFromAnswer(stored); verdict == Verdict::Right)
            rightChoice->setChecked(true);
        else if (verdict == Verdict::Wrong)
            wrongChoice->setChecked(true);
        break;
    case 3:
        freeAnswer->setPlainText(stored);
        break;
    }
}

QString AnswerControls::collect(int type) const
{
    switch (type) {
    case 0:
        return singleChoiceAnswer(checkedMarks(singleChoices));
    case 1:
        return multipleChoiceAnswer(checkedMarks(multipleChoices));
    case 2:
        return trueFalseAnswer(rightChoice->isChecked()   ? Verdict::Right
                               : wrongChoice->isChecked() ? Verdict::Wrong
                                                          : Verdict::None);
    case 3:
        return freeAnswer->toPlainText();
    }
    return QString();
}

} // namespace kaoshi
