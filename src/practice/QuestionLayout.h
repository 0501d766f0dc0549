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
// The laid-out text as a text field or a grid cell shows it: lines separated by "\n".
QString shownQuestionText(const QString &text);

// The option letters that layoutQuestionText finds in a question text, in
// order ("ABCD" for 甲？A.一B.二C.三D.四); "" when the text has no "A".
QString inlineOptionLetters(const QString &text);

} // namespace kaoshi
