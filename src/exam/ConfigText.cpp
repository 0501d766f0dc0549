#include "exam/ConfigText.h"

#include <limits>

namespace kaoshi {

qint64 configValueOfText(const QString &text)
{
    qsizetype i = 0;
    const bool negative = i < text.size() && text[i] == QLatin1Char('-');
    if (negative)
        ++i;
    // Accumulated as a negative number, whose range reaches one further.
    constexpr qint64 lowest = std::numeric_limits<qint64>::min();
    qint64 value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        const int digit = text[i].unicode() - '0';
        if (value < (lowest + digit) / 10) {
            value = lowest;
            break;
        }
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    return value == lowest ? std::numeric_limits<qint64>::max() : -value;
}

QString configBoxText(qint64 value) { return value == 0 ? QString() : QString::number(value); }

} // namespace kaoshi
