#include "exam/OptionOrder.h"

#include "data/TextRules.h"
#include "practice/QuestionLayout.h"

#include <QRandomGenerator>
#include <algorithm>

namespace kaoshi {

namespace {

const QString kOptionLetters = QStringLiteral("ABCDEFG");

QString sortedLetters(QString letters)
{
    std::sort(letters.begin(), letters.end());
    return letters;
}

// Each letter whose place is in the order becomes the letter of the place
// that map gives it.
template <typename Map>
QString mapLetters(const QList<int> &order, const QString &letters, Map map)
{
    if (order.isEmpty())
        return letters;
    QString mapped;
    for (const QChar letter : letters) {
        const int at = letter.unicode() - u'A';
        const int to = at >= 0 && at < order.size() ? map(at) : -1;
        mapped += to >= 0 ? QChar(u'A' + to) : letter;
    }
    return sortedLetters(mapped);
}

} // namespace

bool hasOptions(QuestionType type)
{
    return type == QuestionType::SingleChoice || type == QuestionType::MultipleChoice;
}

bool optionsMayMove(QuestionType type, const QString &text, const QString &answer)
{
    if (!hasOptions(type))
        return false;
    const QuestionParts parts = splitQuestionText(text);
    if (!parts.clean || parts.options.size() > kOptionLetters.size())
        return false;
    const QString letters = kOptionLetters.left(parts.options.size());
    const QString trimmed = trimSpaces(answer);
    return !trimmed.isEmpty() &&
           std::all_of(trimmed.begin(), trimmed.end(), [&](QChar c) { return letters.contains(c); });
}

bool orderFits(const QList<int> &order, int count)
{
    if (order.size() != count)
        return false;
    QList<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < count; ++i)
        if (sorted[i] != i)
            return false;
    return true;
}

QList<int> shuffledOptionOrder(int count, QRandomGenerator &generator)
{
    QList<int> order;
    for (int i = 0; i < count; ++i)
        order << i;
    for (int i = count; i > 1; --i)
        std::swap(order[i - 1], order[int(generator.bounded(quint32(i)))]);
    return order;
}

QStringList optionsInOrder(const QStringList &options, const QList<int> &order)
{
    if (!orderFits(order, int(options.size())))
        return options;
    QStringList shown;
    for (int i = 0; i < order.size(); ++i)
        shown << QChar(u'A' + i) + options[order[i]].mid(1);
    return shown;
}

QString shownLettersOf(const QList<int> &order, const QString &ownLetters)
{
    return mapLetters(order, ownLetters, [&](int own) { return int(order.indexOf(own)); });
}

QString ownLettersOf(const QList<int> &order, const QString &shownLetters)
{
    return mapLetters(order, shownLetters, [&](int shown) { return order[shown]; });
}

} // namespace kaoshi
