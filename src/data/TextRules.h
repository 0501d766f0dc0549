#pragma once
// Rules for numbers held as text and for spaces, shared by every window:
// edit boxes, grid cells and bounds keep numbers as texts and convert them here.
#include <QString>

namespace kaoshi {

// Tolerance of every numeric comparison of such numbers.
inline constexpr double kNumberTolerance = 0.0000001;

// Reads the leading decimal number of a text ("12abc" → 12, " 3.5" → 3.5);
// 0 when the text does not start with a number.
double textToNumber(const QString &text);

// Integers in plain decimal (7, not 7.0); other values with up to 13
// significant digits and no trailing zeros.
QString numberToText(double value);

// Comparisons with the tolerance.
bool numberGreater(double a, double b);
bool numberLess(double a, double b);
bool numberIsZero(double a);

// Removes ASCII spaces and full-width spaces (U+3000) at both ends.
QString trimSpaces(const QString &text);
// Removes every ASCII and full-width space.
QString removeAllSpaces(const QString &text);
// Turns ASCII letters a–z into capitals; every other character stays.
QString upperAscii(const QString &text);

} // namespace kaoshi
