#include "import/NumberedTextReader.h"

#include "data/TextRules.h"

#include <QRegularExpression>

namespace kaoshi {

namespace {

// "1." "1、" "1．" or "（1）" "(1)" at the start of a line.
const QRegularExpression &numberPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^[ \\t\\x{3000}]*(?:\\d+[ \\t]*[.．、]|[（(][ \\t]*\\d+[ \\t]*[）)])[ \\t\\x{3000}]*(.*)$"));
    return pattern;
}

// "A." "A、" "A．" "Ａ." … "G." at the start of a line.
const QRegularExpression &optionPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^[ \\t\\x{3000}]*([A-GＡ-Ｇ])[ \\t]*[.．、][ \\t\\x{3000}]*(.*)$"));
    return pattern;
}

const QRegularExpression &keyPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^[ \\t\\x{3000}]*(正确答案|答案|解析|分值|章节)[ \\t\\x{3000}]*[：:][ \\t\\x{3000}]*(.*)$"));
    return pattern;
}

QChar asciiLetter(QChar letter)
{
    return letter.unicode() >= u'Ａ' ? QChar(letter.unicode() - u'Ａ' + u'A') : letter;
}

// The parts of a question while its lines are read.
struct QuestionParts {
    QString stem;
    QList<QPair<QChar, QString>> options;
    QString answer, explanation, score, chapter;
    QString *current = nullptr;

    void append(const QString &line)
    {
        if (!current)
            return;
        if (!current->isEmpty())
            *current += u'\n';
        *current += line;
    }
    QString text() const
    {
        QString text = trimSpaces(stem);
        for (const auto &[letter, option] : options)
            text += letter + QStringLiteral(".") + trimSpaces(option);
        return text;
    }
};

} // namespace

bool NumberedTextReader::nextLine(QString &line)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (;;) {
        // A line ends at LF, CR LF or a lone CR; a CR that ends the text read
        // so far waits for the next piece, which may begin with its LF.
        const QRegularExpressionMatch found = lineBreak.match(m_buffer, m_pos);
        const bool complete = found.hasMatch() && (found.capturedEnd() < m_buffer.size() || m_in.atEnd() ||
                                                   found.captured() == u"\n");
        if (complete || m_in.atEnd()) {
            if (m_pos >= m_buffer.size() && m_in.atEnd())
                return false;
            const qsizetype stop = found.hasMatch() ? found.capturedStart() : m_buffer.size();
            line = m_buffer.mid(m_pos, stop - m_pos);
            m_pos = found.hasMatch() ? found.capturedEnd() : m_buffer.size();
            ++m_lineNumber;
            return true;
        }
        if (m_buffer.size() - m_pos > kMostRowBytes) {
            m_error = QStringLiteral("第%1行超过1 MB，文件无法读取").arg(m_lineNumber + 1);
            return false;
        }
        m_buffer.remove(0, m_pos);
        m_pos = 0;
        m_in.read(m_buffer);
    }
}

bool NumberedTextReader::next(RawQuestion &question)
{
    QString line;
    // Lines before the first number (titles, headings) are passed over.
    QRegularExpressionMatch match;
    for (;;) {
        if (m_holding) {
            m_holding = false;
            line = m_heldLine;
        } else if (!nextLine(line)) {
            return false;
        }
        match = numberPattern().match(line);
        if (match.hasMatch())
            break;
    }
    QuestionParts parts;
    question = RawQuestion();
    question.line = m_lineNumber;
    parts.stem = match.captured(1);
    parts.current = &parts.stem;
    qint64 length = line.size();
    while (nextLine(line)) {
        if (trimSpaces(line).isEmpty())
            break;
        length += line.size();
        if (length > kMostRowBytes) {
            m_error = QStringLiteral("第%1行起的题目超过1 MB，文件无法读取").arg(question.line);
            return false;
        }
        if (numberPattern().match(line).hasMatch()) {
            m_heldLine = line;
            m_holding = true;
            break;
        }
        if (const QRegularExpressionMatch key = keyPattern().match(line); key.hasMatch()) {
            const QString name = key.captured(1);
            parts.current = name == QStringLiteral("解析") ? &parts.explanation
                            : name == QStringLiteral("分值") ? &parts.score
                            : name == QStringLiteral("章节") ? &parts.chapter
                                                             : &parts.answer;
            *parts.current = key.captured(2);
        } else if (const QRegularExpressionMatch option = optionPattern().match(line); option.hasMatch()) {
            parts.options.append({asciiLetter(option.captured(1).at(0)), option.captured(2)});
            parts.current = &parts.options.last().second;
        } else {
            parts.append(line);
        }
    }
    if (!m_error.isEmpty())
        return false;
    question.text = parts.text();
    question.answer = trimSpaces(parts.answer);
    question.explanation = trimSpaces(parts.explanation);
    question.score = trimSpaces(parts.score);
    question.chapter = trimSpaces(parts.chapter);
    return true;
}

} // namespace kaoshi
