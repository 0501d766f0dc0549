#include "practice/QuestionLayout.h"

namespace kaoshi {

QString layoutQuestionText(const QString &text)
{
    const qsizetype first = text.indexOf(QLatin1Char('A'));
    if (first < 0)
        return text;
    const QString lineBreak = QStringLiteral("\r\n");
    QString result = text.left(first) + lineBreak + lineBreak;
    QString rest = text.mid(first);
    for (const QChar letter : QStringLiteral("BCDEFGH")) {
        const qsizetype at = rest.indexOf(letter);
        if (at < 0)
            break;
        result += rest.left(at) + lineBreak;
        rest = rest.mid(at);
    }
    return result + rest;
}

} // namespace kaoshi
