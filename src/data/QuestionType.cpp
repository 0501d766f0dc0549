#include "data/QuestionType.h"

namespace kaoshi {

namespace {

// Table name, 题型 value and caption are one word for each kind.
const std::array<QString, kQuestionTypeCount> &words()
{
    static const std::array<QString, kQuestionTypeCount> list{QStringLiteral("单选"), QStringLiteral("多选"),
                                                             QStringLiteral("判断"), QStringLiteral("问答")};
    return list;
}

} // namespace

const std::array<QuestionType, kQuestionTypeCount> &allQuestionTypes()
{
    static constexpr std::array<QuestionType, kQuestionTypeCount> types{
        QuestionType::SingleChoice, QuestionType::MultipleChoice, QuestionType::TrueFalse, QuestionType::FreeAnswer};
    return types;
}

std::optional<QuestionType> typeAt(int index)
{
    if (index < 0 || index >= kQuestionTypeCount)
        return std::nullopt;
    return allQuestionTypes()[size_t(index)];
}

QString tableName(QuestionType type) { return words()[size_t(typeIndex(type))]; }
QString typeValue(QuestionType type) { return words()[size_t(typeIndex(type))]; }
QString typeCaption(QuestionType type) { return words()[size_t(typeIndex(type))]; }

std::optional<QuestionType> questionTypeOf(const QString &text)
{
    for (QuestionType type : allQuestionTypes())
        if (typeValue(type) == text)
            return type;
    return std::nullopt;
}

} // namespace kaoshi
