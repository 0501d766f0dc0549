#include "data/TextRules.h"

#include <cmath>

namespace kaoshi {

namespace {
constexpr QChar kFullWidthSpace(0x3000);

bool isSpace(QChar c) { return c == QLatin1Char(' ') || c == kFullWidthSpace; }
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
} // namespace

double textToNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(text[i])) { ++i; ++digits; }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && isDigit(text[i])) { ++i; ++digits; }
    }
    if (digits == 0)
        return 0.0;
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    return ok ? value : 0.0;
}

QString numberToText(double value)
{
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', 13);
}

bool numberGreater(double a, double b) { return a - b > kNumberTolerance; }
bool numberLess(double a, double b) { return a - b < -kNumberTolerance; }
bool numberIsZero(double a) { return std::fabs(a) <= kNumberTolerance; }

QString trimSpaces(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QString removeAllSpaces(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text)
        if (!isSpace(c))
            result.append(c);
    return result;
}

QString upperAscii(const QString &text)
{
    QString result = text;
    for (QChar &c : result)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return result;
}

} // namespace kaoshi
