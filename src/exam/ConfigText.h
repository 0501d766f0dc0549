#pragma once
// How the configuration boxes read and show their integers.
#include <QString>

namespace kaoshi {

// The integer a box text denotes: an optional "-" and the digits that follow
// it; 0 when the text starts with neither ("", "-", "abc"). Values beyond the
// 64-bit range are held at its ends.
qint64 configValueOfText(const QString &text);

// The text a box shows when it loses the focus: the value in decimal, and
// nothing for 0.
QString configBoxText(qint64 value);

} // namespace kaoshi
