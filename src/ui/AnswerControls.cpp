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

void AnswerControls::show(int page, const QString &stored) const
{
    switch (page) {
    case SingleChoicePage: {
        clearRadios(singleChoices);
        const ChoiceMarks marks = marksFromAnswer(stored);
        for (size_t i = 0; i < marks.size(); ++i)
            if (marks[i])
                singleChoices[i]->setChecked(true);
        break;
    }
    case MultipleChoicePage: {
        const ChoiceMarks marks = marksFromAnswer(stored);
        for (size_t i = 0; i < marks.size(); ++i)
            multipleChoices[i]->setChecked(marks[i]);
        break;
    }
    case TrueFalsePage:
        clearRadios(std::array{rightChoice, wrongChoice});
        if (const Verdict verdict = verdictFromAnswer(stored); verdict == Verdict::Right)
            rightChoice->setChecked(true);
        else if (verdict == Verdict::Wrong)
            wrongChoice->setChecked(true);
        break;
    case FreeAnswerPage:
        freeAnswer->setPlainText(stored);
        break;
    }
}

QString AnswerControls::collect(int page) const
{
    switch (page) {
    case SingleChoicePage:
        return singleChoiceAnswer(checkedMarks(singleChoices));
    case MultipleChoicePage:
        return multipleChoiceAnswer(checkedMarks(multipleChoices));
    case TrueFalsePage:
        return trueFalseAnswer(rightChoice->isChecked()   ? Verdict::Right
                               : wrongChoice->isChecked() ? Verdict::Wrong
                                                          : Verdict::None);
    case FreeAnswerPage:
        return freeAnswer->toPlainText();
    }
    return QString();
}

} // namespace kaoshi
