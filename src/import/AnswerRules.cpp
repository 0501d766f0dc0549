#include "import/AnswerRules.h"

#include "data/AnswerEncoding.h"
#include "data/TextRules.h"
#include "practice/QuestionLayout.h"

#include <QSet>
#include <cmath>

namespace kaoshi {

namespace {

// Full-width letters, digits and signs read as their ASCII forms.
QString narrowed(const QString &text) { return trimSpaces(text.normalized(QString::NormalizationForm_KC)); }

CheckedAnswer refused(const QString &reason) { return {QString(), reason}; }

CheckedAnswer choiceAnswer(const QString &given, const QString &questionText, bool multiple)
{
    QString letters;
    for (const QChar c : upperAscii(narrowed(given))) {
        if (c >= u'A' && c <= u'G')
            letters += c;
        else if (!multiple || !(c.isSpace() || QStringLiteral(",;/、，；").contains(c)))
            return refused(multiple ? QStringLiteral("多选答案只能是A～G的字母") : QStringLiteral("单选答案应是A～G中的一个字母"));
    }
    if (letters.isEmpty())
        return refused(QStringLiteral("标准答案为空"));
    if (!multiple && letters.size() != 1)
        return refused(QStringLiteral("单选答案应是A～G中的一个字母"));
    ChoiceMarks marks{};
    for (const QChar c : letters)
        marks[size_t(c.unicode() - u'A')] = true;
    const QString answer = multipleChoiceAnswer(marks);
    const QString offered = inlineOptionLetters(questionText);
    for (const QChar c : answer)
        if (!offered.contains(c))
            return refused(QStringLiteral("答案%1不在题目的选项中").arg(c));
    return {answer, QString()};
}

CheckedAnswer trueFalse(const QString &given)
{
    static const QSet<QString> right{QStringLiteral("√"), QStringLiteral("✓"), QStringLiteral("✔"), QStringLiteral("对"),
                                     QStringLiteral("正确"), QStringLiteral("是"), QStringLiteral("T"), QStringLiteral("TRUE"),
                                     QStringLiteral("Y"), QStringLiteral("YES")};
    static const QSet<QString> wrong{QStringLiteral("×"), QStringLiteral("✗"), QStringLiteral("✘"), QStringLiteral("错"),
                                     QStringLiteral("错误"), QStringLiteral("否"), QStringLiteral("F"), QStringLiteral("FALSE"),
                                     QStringLiteral("N"), QStringLiteral("NO")};
    // × is kept as it is: its compatibility form would not be a letter anyway.
    const QString key = upperAscii(narrowed(given));
    if (key.isEmpty())
        return refused(QStringLiteral("标准答案为空"));
    if (right.contains(key))
        return {kRightMark, QString()};
    if (wrong.contains(key))
        return {kWrongMark, QString()};
    return refused(QStringLiteral("判断答案应是√或×（对/错、正确/错误、T/F、Y/N、是/否）"));
}

} // namespace

CheckedAnswer normaliseAnswer(QuestionType type, const QString &given, const QString &questionText)
{
    if (type == QuestionType::SingleChoice)
        return choiceAnswer(given, questionText, false);
    if (type == QuestionType::MultipleChoice)
        return choiceAnswer(given, questionText, true);
    if (type == QuestionType::TrueFalse)
        return trueFalse(given);
    const QString answer = freeAnswer(given);
    if (answer.isEmpty())
        return refused(QStringLiteral("标准答案为空"));
    return {answer, QString()};
}

std::optional<double> parseScore(const QString &text)
{
    bool ok = false;
    const double value = narrowed(text).toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0)
        return std::nullopt;
    return value;
}

} // namespace kaoshi
