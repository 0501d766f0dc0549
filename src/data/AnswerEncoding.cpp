#include "data/AnswerEncoding.h"

#include "data/TextRules.h"

namespace kaoshi {

QString choiceCaption(int index) { return QString(QChar(u'A' + index)); }

ChoiceMarks marksFromAnswer(const QString &stored)
{
    ChoiceMarks marks{};
    for (int i = 0; i < kChoiceCount; ++i)
        marks[size_t(i)] = stored.contains(QChar(u'A' + i));
    return marks;
}

QString singleChoiceAnswer(const ChoiceMarks &checked)
{
    QString answer;
    for (int i = 0; i < kChoiceCount; ++i)
        if (checked[size_t(i)])
            answer = choiceCaption(i);
    return answer;
}

QString multipleChoiceAnswer(const ChoiceMarks &checked)
{
    QString answer;
    for (int i = 0; i < kChoiceCount; ++i)
        if (checked[size_t(i)])
            answer += choiceCaption(i);
    return answer;
}

Verdict verdictFromAnswer(const QString &stored)
{
    if (stored == kRightMark)
        return Verdict::Right;
    if (stored == kWrongMark)
        return Verdict::Wrong;
    return Verdict::None;
}

QString trueFalseAnswer(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Right:
        return kRightMark;
    case Verdict::Wrong:
        return kWrongMark;
    case Verdict::None:
        break;
    }
    return QString();
}

QString freeAnswer(const QString &text) { return trimSpaces(text); }

} // namespace kaoshi
