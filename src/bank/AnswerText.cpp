#include "bank/AnswerText.h"

namespace kaoshi {

QString optionLetter(int index) { return QString(QChar(u'A' + index)); }

QString composeLetters(const LetterChoice &chosen)
{
    QString answer;
    for (int i = 0; i < kOptionLetters; ++i)
        if (chosen[size_t(i)])
            answer += optionLetter(i);
    return answer;
}

LetterChoice lettersInAnswer(const QString &answer)
{
    LetterChoice found{};
    for (int i = 0; i < kOptionLetters; ++i)
        found[size_t(i)] = answer.contains(optionLetter(i), Qt::CaseSensitive);
    return found;
}

QString judgementAnswer(bool isTrue, bool isFalse)
{
    if (isTrue)
        return kTrueAnswer;
    return isFalse ? kFalseAnswer : QString();
}

} // namespace kaoshi
