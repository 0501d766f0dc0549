#include "practice/PracticeQueries.h"

#include "data/DataStore.h"
#include "data/KeyedRows.h"
#include "data/TextRules.h"

namespace kaoshi {

const QStringList &wrongListTitles()
{
    static const QStringList titles{QString(), QStringLiteral("题号"), QStringLiteral("题型"),
                                    QStringLiteral("题目"), QStringLiteral("标准答案"), QStringLiteral("练习答案")};
    return titles;
}

const std::vector<int> &wrongListWidths()
{
    static const std::vector<int> widths{0, 50, 50, 500, 70, 70};
    return widths;
}

std::shared_ptr<RowSource> wrongQuestionListing(DataStore &store)
{
    std::optional<std::vector<RowKey>> keys = bank::listWrongQuestions(store);
    if (!keys)
        return nullptr;
    return std::make_shared<KeyedRows>(
        store, std::move(*keys),
        [](const Question &question) {
            return QStringList{QString(),       question.number.toText(), typeCaption(question.type),
                               question.text,   question.answer,          question.practiceAnswer};
        },
        kWrongListColumns);
}

} // namespace kaoshi
