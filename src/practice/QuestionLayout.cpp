#include "practice/QuestionLayout.h"

#include <QList>

namespace kaoshi {

namespace {

// Where each option letter A, B, C … H starts: the first "A", then the first
// of each next letter after the one before; the chain stops at a missing letter.
QList<qsizetype> optionStarts(const QString &text)
{
    QList<qsizetype> starts;
    qsizetype from = 0;
    for (const QChar letter : QStringLiteral("ABCDEFGH")) {
        const qsizetype at = text.indexOf(letter, from);
        if (at < 0)
            break;
        starts << at;
        from = at;
    }
    return starts;
}

} // namespace

QString layoutQuestionText(const QString &text)
{
    const QList<qsizetype> starts = optionStarts(text);
    if (starts.isEmpty())
        return text;
    const QString lineBreak = QStringLiteral("\r\n");
    QString result = text.left(starts[0]) + lineBreak + lineBreak;
    for (qsizetype i = 1; i < starts.size(); ++i)
        result += text.mid(starts[i - 1], starts[i] - starts[i - 1]) + lineBreak;
    return result + text.mid(starts.last());
}

QString inlineOptionLetters(const QString &text)
{
    const qsizetype count = qMin<qsizetype>(optionStarts(text).size(), 7);
    return QStringLiteral("ABCDEFG").left(count);
}

QString shownQuestionText(const QString &text)
{
    return layoutQuestionText(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace kaoshi
