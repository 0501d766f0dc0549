#pragma once
// The four kinds of question, always handled in this order. Each kind has its
// bank table, the value the 题型 columns hold for it and the caption of its
// tab. Text from a database or from the user becomes a QuestionType here and
// nowhere else; a text that names no kind is refused.
#include <QString>
#include <array>
#include <optional>

namespace kaoshi {

enum class QuestionType { SingleChoice, MultipleChoice, TrueFalse, FreeAnswer };

inline constexpr int kQuestionTypeCount = 4;

// The four kinds in processing order.
const std::array<QuestionType, kQuestionTypeCount> &allQuestionTypes();

// The place of a kind in processing order (0 … 3), for arrays of four.
constexpr int typeIndex(QuestionType type) { return static_cast<int>(type); }
// The kind at a place in processing order; nothing outside 0 … 3.
std::optional<QuestionType> typeAt(int index);

// The bank table: 单选, 多选, 判断, 问答.
QString tableName(QuestionType type);
// The value of the 题型 columns (评分, 图片, 答卷).
QString typeValue(QuestionType type);
// The caption of the kind's tab and the word in messages.
QString typeCaption(QuestionType type);

// The kind a 题型 value or a bank name names; nothing for any other text.
std::optional<QuestionType> questionTypeOf(const QString &text);

} // namespace kaoshi
