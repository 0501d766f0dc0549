#include "practice/QuestionLayout.h"

#include <QList>

namespace kaoshi {

namespace {

const QString kLetters = QStringLiteral("ABCDEFGH");
// What may follow an option letter in a label: A. A． A、 A: A： A) A）
const QString kSeparators = QStringLiteral(".．、:：)）");

bool isLabelAt(const QString &text, qsizetype at)
{
    return at + 1 < text.size() && kSeparators.contains(text[at + 1]);
}

// The first label of that letter from position `from`: with separators
// only, or the bare letter.
qsizetype findLabel(const QString &text, QChar letter, qsizetype from, bool separated)
{
    for (qsizetype at = text.indexOf(letter, from); at >= 0; at = text.indexOf(letter, at + 1))
        if (!separated || isLabelAt(text, at))
            return at;
    return -1;
}

// Where each option starts, in sequence from A.
QList<qsizetype> optionStarts(const QString &text, bool separated)
{
    QList<qsizetype> starts;
    qsizetype from = 0;
    for (const QChar letter : kLetters) {
        const qsizetype at = findLabel(text, letter, from, separated);
        if (at < 0)
            break;
        starts << at;
        from = at + 1;
    }
    return starts;
}

// True when the text between from and to holds a label of any option letter.
bool holdsLabel(const QString &text, qsizetype from, qsizetype to)
{
    for (qsizetype at = from; at < to; ++at)
        if (kLetters.contains(text[at]) && isLabelAt(text, at))
            return true;
    return false;
}

} // namespace

QuestionParts splitQuestionText(const QString &text)
{
    QuestionParts parts;
    QList<qsizetype> starts = optionStarts(text, true);
    const bool separated = !starts.isEmpty();
    if (!separated)
        starts = optionStarts(text, false);
    if (starts.isEmpty()) {
        parts.stem = text;
        return parts;
    }
    parts.labelLength = separated ? 2 : 1;
    parts.stem = text.left(starts[0]);
    starts << text.size();
    parts.clean = separated && starts.size() > 2;
    for (qsizetype i = 0; i + 1 < starts.size(); ++i) {
        parts.options << text.mid(starts[i], starts[i + 1] - starts[i]);
        const qsizetype bodyFrom = starts[i] + parts.labelLength;
        if (parts.optionBody(int(i)).trimmed().isEmpty() || holdsLabel(text, bodyFrom, starts[i + 1]))
            parts.clean = false;
    }
    return parts;
}

QString layoutQuestionText(const QString &text)
{
    const QuestionParts parts = splitQuestionText(text);
    if (parts.options.isEmpty())
        return text;
    const QString lineBreak = QStringLiteral("\r\n");
    return parts.stem + lineBreak + lineBreak + parts.options.join(lineBreak);
}

QString inlineOptionLetters(const QString &text)
{
    // As many options as splitQuestionText finds, without cutting them out.
    qsizetype count = optionStarts(text, true).size();
    if (count == 0)
        count = optionStarts(text, false).size();
    return QStringLiteral("ABCDEFG").left(qMin<qsizetype>(count, 7));
}

QString shownQuestionText(const QString &text)
{
    return layoutQuestionText(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace kaoshi
