#pragma once
// The standard answer as the editor's answer controls compose and show it:
// letters A … G of the selected options in order, "√" or "×", or free text.
#include <QString>
#include <array>

namespace kaoshi {

inline constexpr int kOptionLetters = 7; // A … G
using LetterChoice = std::array<bool, kOptionLetters>;

QString optionLetter(int index); // 0 → "A"
// The letters of the chosen options, A to G without separators ("ACD").
QString composeLetters(const LetterChoice &chosen);
// Which letters occur anywhere in an answer (case-sensitive).
LetterChoice lettersInAnswer(const QString &answer);

inline const QString kTrueAnswer = QStringLiteral("√");
inline const QString kFalseAnswer = QStringLiteral("×");
QString judgementAnswer(bool isTrue, bool isFalse);

} // namespace kaoshi
