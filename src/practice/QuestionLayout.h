#pragma once
#include <QString>

namespace kaoshi {

// Breaks an option list written inline in a question text onto separate
// lines: the stem, an empty line, then one line per option A, B, C … H.
// Letters are matched case-sensitively as whole characters; the first
// occurrence of each letter is taken, and a letter missing from the sequence
// ends the splitting. A text without "A" is returned unchanged. Lines are
// separated by "\r\n".
QString layoutQuestionText(const QString &text);

} // namespace kaoshi
