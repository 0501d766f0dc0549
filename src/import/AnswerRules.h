#pragma once
// How imported answers and scores are brought into the form each bank
// stores, or refused with the reason shown to the user.
#include "data/QuestionType.h"

#include <QString>
#include <optional>

namespace kaoshi {

struct CheckedAnswer {
    QString answer;  // in the bank's answer encoding
    QString refusal; // "" when the answer is usable
};

// 单选: one letter A–G (lower case and full-width letters accepted).
// 多选: letters A–G, any separators, stored ascending without repeats.
// 判断: √ or × from 对/错, 正确/错误, T/F, Y/N, ✓/✗, 是/否 and the like.
// 问答: the text without ASCII and full-width spaces at both ends.
// A choice answer naming an option that the question text lacks is refused.
CheckedAnswer normaliseAnswer(QuestionType type, const QString &given, const QString &questionText);

// A score is a number ≥ 0; nullopt when the text is not one. An empty text
// is not handled here (the caller stores 0 and says so).
std::optional<double> parseScore(const QString &text);

} // namespace kaoshi
